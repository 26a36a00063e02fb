// kestrel-sim: a simulated quote server. Writes a recorded session to a
// capture file, or plays a session to a client over TCP on the loopback
// address.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include "cli/CommandLine.h"
#include "sim/Pcap.h"
#include "sim/Requests.h"
#include "sim/Serve.h"
#include "sim/Session.h"
#include "wire/MessageBuilder.h"

namespace {

using kwire::Bytes;

const char kHelp[] = R"(Usage: kestrel-sim [--seed N] [--types LIST] [--out FILE] [--pcap FILE]
                  [--port N]
       kestrel-sim serve [--port N] [--seed N] [--rounds N] [--interval MS]
                         [--timeout S]
       kestrel-sim --version | --help

Without a command, writes a recorded session of the quote server as a
capture: the server's messages back to back, as a client receives them. The
session holds a login reply, the subscription list, a status-test reply, raw
data, quote updates of A shares, an index, an ETF, Hong Kong, futures,
overseas futures, gold, FX and an open fund (with level-2 deals, reverted
deals, orders, an order queue, market events and corporate actions),
masked and simple indicators, day and minute K-lines, level-2 transaction
history, formalized trends and deals, a history trend, QE data, sector
charts, a sector quotes order, a paged ranking and a heartbeat. Some go out
inside compressed envelopes.

  --seed N        seed of the prices (default 1); the same seed writes the
                  same bytes
  --types LIST    only messages of these types, for example 80,26,64 (a
                  compressed envelope counts as the type inside it); every
                  type must occur in the session
  --out FILE      write to FILE instead of standard output
  --pcap FILE     also (or, without --out, only) write the session as a
                  packet capture (pcap, Ethernet, IPv4): one TCP connection
                  from 10.0.0.1:40000 to 10.0.0.2 with the terminal's
                  requests (login, subscriptions, history init and ranking
                  requests, each before its reply) and the server's
                  messages, in segments of varied sizes with timestamps
                  from 2023-11-14 22:13:20 UTC
  --port N        the server's port in the capture (default 9100)

serve: listens on 127.0.0.1 only, prints "listening on 127.0.0.1:PORT",
accepts one client and plays one session: it answers login (80),
subscription list (26), status test (59) and raw data (48) requests; after a
subscription commit (32) it pushes quote updates of the codes of the
commit's first list that it quotes, each with the indicators the commit
asked for (those it has), then a heartbeat, and closes.

  --port N        port to listen on (default 0: any free port)
  --rounds N      quote updates to push after the commit (default 5)
  --interval MS   milliseconds between two pushes (default 100)
  --timeout S     seconds the whole session may take (default 10)

Exit status:
  0  done
  1  a failure: a socket error, a malformed request, the time limit, or a
     file or standard output that cannot be written (the system's reason
     is given)
  2  a bad command line (including --types naming a type the session
     does not hold)
)";

int Usage(const std::string& problem) {
  std::cerr << "kestrel-sim: " << problem << "\nTry kestrel-sim --help.\n";
  return 2;
}

bool Number(const kcli::CommandLine& line, const char* name, long long min, long long max,
            long long* value) {
  return !line.Has(name) || kcli::ParseNumber(line.Get(name, ""), min, max, value);
}

// Writes the bytes to the file, or to standard output for "-"; false,
// with the system's reason printed, when they cannot be written.
bool WriteAll(const std::string& path, const Bytes& bytes) {
  std::FILE* file = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "kestrel-sim: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  const int error = errno;
  const bool closed = path == "-" || std::fclose(file) == 0;
  if (!written || !closed) {
    std::fprintf(stderr, "kestrel-sim: cannot write %s: %s\n",
                 path == "-" ? "standard output" : path.c_str(),
                 std::strerror(written ? errno : error));
    return false;
  }
  return true;
}

int Capture(const kcli::CommandLine& line) {
  long long seed = 1, port = 9100;
  if (!Number(line, "--seed", 0, 1LL << 62, &seed)) return Usage("--seed needs a number");
  if (!Number(line, "--port", 1, 65535, &port))
    return Usage("--port needs a number from 1 to 65535");
  const std::vector<ksim::Message> session = ksim::Session(static_cast<uint64_t>(seed)).Capture();
  std::set<uint32_t> types;
  if (line.Has("--types")) {
    std::stringstream list(line.Get("--types", ""));
    for (std::string item; std::getline(list, item, ',');) {
      long long type = 0;
      if (!kcli::ParseNumber(item, 0, 1 << 20, &type))
        return Usage("bad type in --types: \"" + item + "\"");
      bool held = false;
      for (const ksim::Message& message : session) held = held || message.type == type;
      if (!held) return Usage("the session holds no message of type " + item);
      types.insert(static_cast<uint32_t>(type));
    }
    if (types.empty()) return Usage("--types needs at least one type");
  }
  std::vector<ksim::Message> chosen;
  Bytes bytes;
  for (const ksim::Message& message : session) {
    if (types.empty() || types.count(message.type)) {
      chosen.push_back(message);
      bytes.insert(bytes.end(), message.bytes.begin(), message.bytes.end());
    }
  }
  if (line.Has("--pcap")) {
    ksim::Endpoints ends;
    ends.serverPort = static_cast<uint16_t>(port);
    ksim::ConnectionBuilder connection =
        ksim::SessionConnection(chosen, ksim::SessionRequests(), ends, static_cast<uint64_t>(seed),
                                ksim::kSessionStartMicros);
    const Bytes capture =
        ksim::PcapFile(ksim::Frames(connection.segments(), ends, ksim::LinkFrame::kEthernet),
                       ksim::LinkFrame::kEthernet);
    if (!WriteAll(line.Get("--pcap", ""), capture)) return 1;
    if (!line.Has("--out")) return 0;
  }
  return WriteAll(line.Get("--out", "-"), bytes) ? 0 : 1;
}

int Serve(const kcli::CommandLine& line) {
  ksim::ServeOptions options;
  long long port = 0, seed = 1, rounds = 5, interval = 100, timeout = 10;
  if (!Number(line, "--port", 0, 65535, &port)) return Usage("--port needs a number to 65535");
  if (!Number(line, "--seed", 0, 1LL << 62, &seed)) return Usage("--seed needs a number");
  if (!Number(line, "--rounds", 0, 100000, &rounds)) return Usage("--rounds needs a number");
  if (!Number(line, "--interval", 0, 60000, &interval)) {
    return Usage("--interval needs milliseconds to 60000");
  }
  if (!Number(line, "--timeout", 1, 3600, &timeout)) return Usage("--timeout needs 1 to 3600");
  options.port = static_cast<int>(port);
  options.seed = static_cast<uint64_t>(seed);
  options.rounds = static_cast<int>(rounds);
  options.intervalMs = static_cast<int>(interval);
  options.timeoutMs = static_cast<int>(timeout) * 1000;
  return ksim::Serve(options);
}

}  // namespace

int main(int argc, char** argv) {
  const bool serve = argc > 1 && std::string(argv[1]) == "serve";
  std::vector<kcli::Option> known = {
      {"--seed", true}, {"--port", true}, {"--help", false}, {"-h", false}, {"--version", false}};
  if (serve) {
    known.insert(known.end(), {{"--rounds", true}, {"--interval", true}, {"--timeout", true}});
  } else {
    known.insert(known.end(), {{"--types", true}, {"--out", true}, {"--pcap", true}});
  }
  kcli::CommandLine line;
  std::string error;
  if (!kcli::Parse(argc, argv, serve ? 2 : 1, known, &line, &error)) return Usage(error);
  if (line.Has("--help") || line.Has("-h")) {
    std::cout << kHelp;
    return std::cout.flush() ? 0 : 1;
  }
  if (line.Has("--version")) {
    std::cout << "kestrel-sim " << KESTREL_VERSION << "\n";
    return std::cout.flush() ? 0 : 1;
  }
  if (!line.positional.empty()) return Usage("unexpected argument " + line.positional[0]);
  return serve ? Serve(line) : Capture(line);
}
