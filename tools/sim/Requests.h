// The client's side of a simulated session: the requests a terminal sends,
// encoded by the library, and the session as a captured TCP connection.
#ifndef KESTREL_SIM_REQUESTS_H
#define KESTREL_SIM_REQUESTS_H

#include <cstdint>
#include <set>
#include <vector>

#include "sim/Pcap.h"
#include "sim/Session.h"

namespace ksim {

// A request and the type of the server message it asks for (the reply
// follows the request in a session).
struct Request {
  MessageType replyType;
  Bytes bytes;
};

// The requests of a recorded session: login, subscription list, status
// test, raw data, subscription commit, masked commit and verify, peek,
// history init requests of every kind, and the three ranking requests.
std::vector<Request> SessionRequests();

// One connection: the session's messages and requests, each request just
// before the first message of its reply type (requests without one at the
// end), as segments after a handshake and before a close.
ConnectionBuilder SessionConnection(const std::vector<Message>& messages,
                                    const std::vector<Request>& requests, const Endpoints& ends,
                                    uint64_t seed, int64_t startMicros);

// The capture time of the first segment of a simulated session:
// 2023-11-14 22:13:20 UTC.
inline constexpr int64_t kSessionStartMicros = 1700000000LL * 1000000;

}  // namespace ksim

#endif  // KESTREL_SIM_REQUESTS_H
