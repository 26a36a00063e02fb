// kestrel-sim: a simulated quote server. Writes a recorded session to a
// capture file, or plays a session to a client over TCP on the loopback
// address.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include "cli/CommandLine.h"
#include "sim/Serve.h"
#include "sim/Session.h"

namespace {

const char kHelp[] = R"(Usage: kestrel-sim [--seed N] [--types LIST] [--out FILE]
       kestrel-sim serve [--port N] [--seed N] [--rounds N] [--interval MS]
                         [--timeout S]

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
                  compressed envelope counts as the type inside it)
  --out FILE      write to FILE instead of standard output

serve: listens on 127.0.0.1 only, prints "listening on 127.0.0.1:PORT",
accepts one client and plays one session: it answers login (80),
subscription list (26), status test (59) and raw data (48) requests; after a
subscription commit (32) it pushes quote updates of the codes of the
commit's first list that it quotes, then a heartbeat, and closes.

  --port N        port to listen on (default 0: any free port)
  --rounds N      quote updates to push after the commit (default 5)
  --interval MS   milliseconds between two pushes (default 100)
  --timeout S     seconds the whole session may take (default 10)

Exit status: 0 done; 1 a failure (socket, malformed request, time limit,
unwritable file); 2 a bad command line.
)";

int Usage(const std::string& problem) {
  std::cerr << "kestrel-sim: " << problem << "\nTry kestrel-sim --help.\n";
  return 2;
}

bool Number(const kcli::CommandLine& line, const char* name, long long min, long long max,
            long long* value) {
  return !line.Has(name) || kcli::ParseNumber(line.Get(name, ""), min, max, value);
}

int Capture(const kcli::CommandLine& line) {
  long long seed = 1;
  if (!Number(line, "--seed", 0, 1LL << 62, &seed)) return Usage("--seed needs a number");
  std::set<uint32_t> types;
  std::stringstream list(line.Get("--types", ""));
  for (std::string item; std::getline(list, item, ',');) {
    long long type = 0;
    if (!kcli::ParseNumber(item, 0, 1 << 20, &type)) return Usage("bad type in --types: " + item);
    types.insert(static_cast<uint32_t>(type));
  }
  std::string bytes;
  for (const ksim::Message& message : ksim::Session(static_cast<uint64_t>(seed)).Capture()) {
    if (types.empty() || types.count(message.type)) {
      bytes.append(message.bytes.begin(), message.bytes.end());
    }
  }
  if (!line.Has("--out")) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return std::cout.flush() ? 0 : 1;
  }
  std::ofstream out(line.Get("--out", ""), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::cerr << "kestrel-sim: cannot write " << line.Get("--out", "") << "\n";
    return 1;
  }
  return 0;
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
  std::vector<kcli::Option> known = {{"--seed", true}, {"--help", false}, {"-h", false}};
  if (serve) {
    known.insert(known.end(),
                 {{"--port", true}, {"--rounds", true}, {"--interval", true}, {"--timeout", true}});
  } else {
    known.insert(known.end(), {{"--types", true}, {"--out", true}});
  }
  kcli::CommandLine line;
  std::string error;
  if (!kcli::Parse(argc, argv, serve ? 2 : 1, known, &line, &error)) return Usage(error);
  if (line.Has("--help") || line.Has("-h")) {
    std::cout << kHelp;
    return 0;
  }
  if (!line.positional.empty()) return Usage("unexpected argument " + line.positional[0]);
  return serve ? Serve(line) : Capture(line);
}
