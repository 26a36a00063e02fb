// kestrel-dump: what is on the wire. Decodes the quote server's byte stream,
// or a packet capture of whole connections, and prints every message.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "capture/Magic.h"
#include "cli/CommandLine.h"
#include "dump/Dump.h"
#include "wire/MessageBuilder.h"

namespace {

const char kHelp[] = R"(Usage: kestrel-dump [OPTIONS] [FILE]

Decodes the quote protocol and prints every message: its byte offset, size,
type, type name and everything the library decoded from it.

Input (one of):
  FILE              a capture of the server's byte stream (the bytes as a
                    client receives them, messages back to back), or a
                    packet capture (pcap or pcapng, told by its first bytes)
  -                 standard input (also when no FILE is given)
  --hex BYTES       the byte stream as hex digits, for example "81 BA";
                    white space between bytes is allowed

Packet captures:
  --port N          the quote server's TCP port: every connection to it is
                    followed, each direction reassembled by sequence number
                    (out of order, retransmitted and overlapping segments;
                    IPv4 and IPv6; Ethernet, VLAN and Linux cooked frames).
                    The server's messages and the client's requests are both
                    decoded; each line also names its connection, the
                    capture time of the segment that completed it and its
                    offset in that direction's stream. A lost segment is
                    reported with the offsets of the gap, and that direction
                    is not decoded further. Needs a build with libpcap.

Selection and summary:
  --type LIST       only messages and requests of these types, for example
                    64,3 (a compressed envelope counts as the type inside)
  --code LIST       only messages and requests that name one of these
                    codes, for example 600000.SH,0700.HK
  -c N, --count N   stop after N messages
  --stats           after the messages, print counts and bytes per type,
                    compressed envelopes, errors, distinct securities and
                    the time span of a capture
  -q, --quiet       print no messages (with --stats: the statistics alone)

Output:
  --format FORMAT   json: one JSON object per line (the default)
                    table: indented text and tables, for people; series
                    columns are headed by indicator names (date, time, open,
                    high, low, close, volume, amount, ...)
  --max-rows N      table format: show at most N rows of each series or
                    table (default: all)
  --max-message N   refuse a message that announces more than N bytes of
                    type and body (default 16777216)
  --version         print the version
  -h, --help        print this help

JSON Lines output. Each line is one message:
  {"offset":0,"size":45,"type":80,"name":"login","compressed":false,
   "result":{...}}
  type        the type the library reported (for a compressed envelope,
              the type of the message inside it; "compressed" is then true)
  refused     why a compressed envelope gave no result (not zlib, cut
              short, too large once inflated, or its message did not decode)
  result      null when the library returned no result (heartbeats,
              unknown types, messages it could not decode); otherwise the
              result record: market data as {"error","series","quotes",
              "queues","events"}, service replies by their own fields.
  From a packet capture, lines start with "connection", "peer", "time" (UTC)
  and "from" ("server" or "client"); a request carries "check_ok",
  "complete", "trailing" and its fields as "request"; a lost segment gives
  {"gap":{"from":F,"to":T}}. --stats adds one {"statistics":{...}} line.
  Texts are printed byte for byte: bytes 0x80 and above as \u0080..\u00FF.

Exit status:
  0  every byte of the input belonged to a whole message
  1  malformed or unreadable input: a length prefix without a stop bit, a
     length over the limit, a capture that ends inside a message, a file
     that cannot be read (the system's reason is given), or a packet
     capture in a build without libpcap; the message names the byte
     offset, and every whole message before it has been printed
  2  a bad command line
  3  a packet capture lost segments: the gaps are reported, everything
     else was decoded
  4  the output could not be written (for example, a full disk)
)";

int Usage(const std::string& problem) {
  std::cerr << "kestrel-dump: " << problem << "\nTry kestrel-dump --help.\n";
  return kdump::kDumpUsage;
}

// A comma-separated list, each item checked by `take`; false for an empty
// list or a bad item, whose text is left in `bad`.
template <typename Take>
bool ParseList(const std::string& text, Take take, std::string* bad) {
  std::stringstream list(text);
  int items = 0;
  for (std::string item; std::getline(list, item, ',');) {
    if (!take(item)) {
      *bad = item;
      return false;
    }
    ++items;
  }
  *bad = text;
  return items > 0;
}

int DumpPath(const std::string& path, const kdump::DumpOptions& options) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    std::cerr << "kestrel-dump: cannot open " << path << ": " << std::strerror(errno) << "\n";
    return kdump::kDumpMalformed;
  }
  if (S_ISDIR(status.st_mode)) {
    std::cerr << "kestrel-dump: cannot read " << path << ": " << std::strerror(EISDIR) << "\n";
    return kdump::kDumpMalformed;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::cerr << "kestrel-dump: cannot open " << path << ": " << std::strerror(errno) << "\n";
    return kdump::kDumpMalformed;
  }
  std::string head(kcap::kMagicBytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(file.gcount()));
  if (kdump::IsCapture(head)) {
    if (options.port < 0) return Usage("a packet capture needs --port N, the quote server's port");
    return kdump::DumpCaptureFile(path, options, std::cout, std::cerr);
  }
  return kdump::DumpStream(file, options, std::cout, std::cerr, head);
}

int DumpStandardInput(const kdump::DumpOptions& options) {
  std::string head(kcap::kMagicBytes, '\0');
  std::cin.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(std::cin.gcount()));
  if (!kdump::IsCapture(head))
    return kdump::DumpStream(std::cin, options, std::cout, std::cerr, head);
  if (options.port < 0) return Usage("a packet capture needs --port N, the quote server's port");
  // libpcap reads a capture from memory; standard input is read whole first.
  std::string bytes = head + std::string(std::istreambuf_iterator<char>(std::cin), {});
  return kdump::DumpCaptureBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                 options, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  kcli::CommandLine line;
  std::string error;
  const std::vector<kcli::Option> known = {
      {"--hex", true},   {"--format", true}, {"--max-rows", true}, {"--max-message", true},
      {"--port", true},  {"--type", true},   {"--code", true},     {"--count", true},
      {"-c", true},      {"--stats", false}, {"--quiet", false},   {"-q", false},
      {"--help", false}, {"-h", false},      {"--version", false}};
  if (!kcli::Parse(argc, argv, 1, known, &line, &error)) return Usage(error);
  if (line.Has("--help") || line.Has("-h")) {
    std::cout << kHelp;
    return std::cout.flush() ? kdump::kDumpOk : kdump::kDumpOutput;
  }
  if (line.Has("--version")) {
    std::cout << "kestrel-dump " << KESTREL_VERSION
              << (kdump::CapturesSupported() ? "" : " (without packet captures)") << "\n";
    return std::cout.flush() ? kdump::kDumpOk : kdump::kDumpOutput;
  }

  kdump::DumpOptions options;
  const std::string format = line.Get("--format", "json");
  if (format != "json" && format != "table") return Usage("unknown format " + format);
  options.table = format == "table";
  options.stats = line.Has("--stats");
  options.quiet = line.Has("--quiet") || line.Has("-q");
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
  if (line.Has("--port")) {
    if (!kcli::ParseNumber(line.Get("--port", ""), 1, 65535, &number)) {
      return Usage("--port needs a number from 1 to 65535");
    }
    options.port = static_cast<int>(number);
  }
  for (const char* name : {"-c", "--count"}) {
    if (!line.Has(name)) continue;
    if (!kcli::ParseNumber(line.Get(name, ""), 1, 1LL << 62, &number)) {
      return Usage(std::string(name) + " needs a number from 1");
    }
    options.count = number;
  }
  std::string bad;
  if (line.Has("--type") && !ParseList(
                                line.Get("--type", ""),
                                [&](const std::string& item) {
                                  long long type = 0;
                                  if (!kcli::ParseNumber(item, 0, 1 << 30, &type)) return false;
                                  options.types.insert(static_cast<int>(type));
                                  return true;
                                },
                                &bad)) {
    return Usage("--type needs a list of type numbers, not \"" + bad + "\"");
  }
  if (line.Has("--code") && !ParseList(
                                line.Get("--code", ""),
                                [&](const std::string& item) {
                                  if (item.empty()) return false;
                                  options.codes.insert(item);
                                  return true;
                                },
                                &bad)) {
    return Usage("--code needs a list of codes such as 600000.SH, not \"" + bad + "\"");
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
  return path == "-" ? DumpStandardInput(options) : DumpPath(path, options);
}
