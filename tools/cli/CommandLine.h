// The command lines of the tools: options with and without values, and
// positional arguments.
//
// Options are written "--name value" or "--name=value"; "--" ends the
// options; a lone "-" is a positional argument (standard input).
#ifndef KESTREL_CLI_COMMANDLINE_H
#define KESTREL_CLI_COMMANDLINE_H

#include <map>
#include <string>
#include <vector>

namespace kcli {

struct Option {
  const char* name;  // "--format"; a short alias such as "-h" is an option of its own
  bool takesValue;
};

struct CommandLine {
  std::map<std::string, std::string> options;  // given options; "" for those without values
  std::vector<std::string> positional;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Get(const std::string& name, const std::string& otherwise) const;
};

// Parses argv[first] onwards. Returns false, with a message for the user in
// `error`, for an unknown option, a missing value or a value given to an
// option that takes none.
bool Parse(int argc, char** argv, int first, const std::vector<Option>& known, CommandLine* out,
           std::string* error);

// A whole decimal number from min to max; false for anything else.
bool ParseNumber(const std::string& text, long long min, long long max, long long* out);

}  // namespace kcli

#endif  // KESTREL_CLI_COMMANDLINE_H
