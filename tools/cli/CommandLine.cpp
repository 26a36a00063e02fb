// Command-line parsing of the tools.
#include "cli/CommandLine.h"

#include <cerrno>
#include <cstdlib>

namespace kcli {

std::string CommandLine::Get(const std::string& name, const std::string& otherwise) const {
  const auto found = options.find(name);
  return found != options.end() ? found->second : otherwise;
}

bool Parse(int argc, char** argv, int first, const std::vector<Option>& known, CommandLine* out,
           std::string* error) {
  bool optionsEnded = false;
  for (int i = first; i < argc; ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      out->positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const Option* option = nullptr;
    for (const Option& candidate : known) {
      if (name == candidate.name) option = &candidate;
    }
    if (option == nullptr) {
      *error = "unknown option " + name;
      return false;
    }
    if (!option->takesValue) {
      if (equals != std::string::npos) {
        *error = name + " takes no value";
        return false;
      }
      out->options[name] = "";
    } else if (equals != std::string::npos) {
      out->options[name] = arg.substr(equals + 1);
    } else if (i + 1 < argc) {
      out->options[name] = argv[++i];
    } else {
      *error = name + " needs a value";
      return false;
    }
  }
  return true;
}

bool ParseNumber(const std::string& text, long long min, long long max, long long* out) {
  if (text.empty() || text.size() > 20) return false;
  if (text[0] != '-' && (text[0] < '0' || text[0] > '9')) return false;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size() || value < min || value > max) return false;
  *out = value;
  return true;
}

}  // namespace kcli
