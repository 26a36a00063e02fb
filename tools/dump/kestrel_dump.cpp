// kestrel-dump: what is on the wire. Decodes a capture of the quote server's
// byte stream and prints every message.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/CommandLine.h"
#include "dump/Dump.h"
#include "wire/MessageBuilder.h"

namespace {

const char kHelp[] = R"(Usage: kestrel-dump [OPTIONS] [FILE]

Decodes a capture of the quote server's byte stream (the bytes as a client
receives them, messages back to back) and prints every message: its byte
offset, size, type, type name and everything the library decoded from it.

Input (one of):
  FILE              the capture file
  -                 standard input (also when no FILE is given)
  --hex BYTES       the capture as hex digits, for example "81 BA"; white
                    space between bytes is allowed

Options:
  --format FORMAT   json: one JSON object per line (the default)
                    table: indented text and tables, for people
  --max-rows N      table format: show at most N rows of each series or
                    table (default: all)
  --max-message N   refuse a message that announces more than N bytes of
                    type and body (default 16777216)
  -h, --help        print this help

JSON Lines output. Each line is one message:
  {"offset":0,"size":45,"type":80,"name":"login","compressed":false,
   "result":{...}}
  type        the type the library reported (for a compressed envelope,
              the type of the message inside it; "compressed" is then true)
  result      null when the library returned no result (heartbeats,
              unknown types, messages it could not decode); otherwise the
              result record: market data as {"error","series","quotes",
              "queues","events"}, service replies by their own fields.
  Texts are printed byte for byte: bytes 0x80 and above as \u0080..\u00FF.

Exit status:
  0  every byte of the input belonged to a whole message
  1  malformed input: a length prefix without a stop bit, a length over
     the limit, a capture that ends inside a message, or unreadable input;
     the message names the byte offset, and every whole message before it
     has been printed
  2  a bad command line
)";

int Usage(const std::string& problem) {
  std::cerr << "kestrel-dump: " << problem << "\nTry kestrel-dump --help.\n";
  return kdump::kDumpUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  kcli::CommandLine line;
  std::string error;
  const std::vector<kcli::Option> known = {{"--hex", true},      {"--format", true},
                                           {"--max-rows", true}, {"--max-message", true},
                                           {"--help", false},    {"-h", false}};
  if (!kcli::Parse(argc, argv, 1, known, &line, &error)) return Usage(error);
  if (line.Has("--help") || line.Has("-h")) {
    std::cout << kHelp;
    return kdump::kDumpOk;
  }

  kdump::DumpOptions options;
  const std::string format = line.Get("--format", "json");
  if (format != "json" && format != "table") return Usage("unknown format " + format);
  options.table = format == "table";
  long long number = 0;
  if (line.Has("--max-rows")) {
    if (!kcli::ParseNumber(line.Get("--max-rows", ""), 0, 1 << 30, &number)) {
      return Usage("--max-rows needs a number from 0");
    }
    options.maxRows = static_cast<int>(number);
  }
  if (line.Has("--max-message")) {
    if (!kcli::ParseNumber(line.Get("--max-message", ""), 1, kKestrelFramerMaxMessageLimit,
                           &number)) {
      return Usage("--max-message needs a number from 1 to " +
                   std::to_string(kKestrelFramerMaxMessageLimit));
    }
    options.maxMessage = static_cast<int>(number);
  }
  if (line.positional.size() > 1) return Usage("give one capture at most");
  if (line.Has("--hex") && !line.positional.empty()) return Usage("give a FILE or --hex, not both");

  if (line.Has("--hex")) {
    kwire::Bytes bytes;
    size_t badAt = 0;
    const std::string hex = line.Get("--hex", "");
    if (!kwire::ParseHex(hex, &bytes, &badAt)) {
      std::cerr << "kestrel-dump: --hex: character " << badAt
                << (badAt < hex.size() ? " is not a hex digit of a byte\n"
                                       : ": the text ends inside a byte\n");
      return kdump::kDumpMalformed;
    }
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    return kdump::DumpStream(in, options, std::cout, std::cerr);
  }
  const std::string path = line.positional.empty() ? "-" : line.positional[0];
  if (path == "-") return kdump::DumpStream(std::cin, options, std::cout, std::cerr);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::cerr << "kestrel-dump: cannot open " << path << "\n";
    return kdump::kDumpMalformed;
  }
  return kdump::DumpStream(file, options, std::cout, std::cerr);
}
