// kestrel-sim serve: plays one session to one client over TCP on the
// loopback address, then exits.
#ifndef KESTREL_SIM_SERVE_H
#define KESTREL_SIM_SERVE_H

#include <cstdint>

namespace ksim {

struct ServeOptions {
  int port = 0;           // 0: any free port (the chosen one is printed)
  uint64_t seed = 1;      // of the session's prices
  int rounds = 5;         // quote updates pushed after the subscription
  int intervalMs = 100;   // between two pushes
  int timeoutMs = 10000;  // the whole session, from listening to the end
};

// Listens on 127.0.0.1, prints "listening on 127.0.0.1:PORT" on standard
// output, accepts one client and answers its requests: login (80), the
// subscription list (26), status test (59), raw data (48, echoed) and a
// subscription commit (32), after which it pushes `rounds` quote updates
// for the subscribed codes it knows, sends a heartbeat and closes. Returns
// 0 when the session was played to its end or the client left, 1 on a
// malformed request, a socket failure or when the time limit passed.
int Serve(const ServeOptions& options);

}  // namespace ksim

#endif  // KESTREL_SIM_SERVE_H
