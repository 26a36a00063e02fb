// The simulator's TCP side: one client, one session, bounded in time and in
// the size of what it accepts.
#include "sim/Serve.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/Session.h"

namespace ksim {

namespace {

using Clock = std::chrono::steady_clock;

// Requests are small: a larger one is taken as a broken client.
constexpr uint64_t kMaxRequest = 64 * 1024;

// Reads the fields of one request body; past the end it yields zeros and
// empty texts.
class RequestReader {
 public:
  RequestReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool Done() const { return pos_ >= size_; }
  size_t Position() const { return pos_; }
  uint64_t UInt() {
    uint64_t value = 0;
    for (int n = 0; n < 10 && pos_ < size_; ++n) {
      const uint8_t byte = bytes_[pos_++];
      value = (value << 7) | (byte & 0x7f);
      if (byte & 0x80) break;
    }
    return value;
  }
  int64_t Int() {
    if (Done()) return 0;
    // Starts from all ones when the sign bit (bit 6 of the first byte) is set.
    uint64_t value = (bytes_[pos_] & 0x40) ? ~uint64_t{0} : 0;
    for (int n = 0; n < 10 && pos_ < size_; ++n) {
      const uint8_t byte = bytes_[pos_++];
      value = (value << 7) | (byte & 0x7f);
      if (byte & 0x80) break;
    }
    return static_cast<int64_t>(value);
  }
  std::string Sized() {
    const uint64_t n = std::min<uint64_t>(UInt(), size_ - std::min(pos_, size_));
    std::string text(reinterpret_cast<const char*>(bytes_ + pos_), n);
    pos_ += n;
    return text;
  }
  // The compact form of one security code, as it stands on the wire.
  Bytes Code() {
    const size_t start = pos_;
    const uint64_t id = UInt();
    if (id == 0 || id == 127) {
      if (id == 127 && pos_ < size_) ++pos_;  // the suffix index
      while (pos_ < size_ && (bytes_[pos_++] & 0x80) == 0) {
      }
    } else {
      UInt();
    }
    return Bytes(bytes_ + start, bytes_ + std::min(pos_, size_));
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t pos_ = 0;
};

struct Request {
  uint32_t type;
  Bytes body;
};

enum class Cut { kWhole, kNeedMore, kMalformed };

// Cuts one request (length, type, body, check byte) off the front of `in`.
Cut NextRequest(Bytes* in, Request* request) {
  uint64_t length = 0;
  size_t prefix = 0;
  while (prefix < in->size() && prefix < 5) {
    const uint8_t byte = (*in)[prefix++];
    length = (length << 7) | (byte & 0x7f);
    if (byte & 0x80) break;
    if (prefix == 5) return Cut::kMalformed;
  }
  if (prefix == 0 || ((*in)[prefix - 1] & 0x80) == 0) return Cut::kNeedMore;
  if (length < 1 || length > kMaxRequest) return Cut::kMalformed;
  const size_t whole = prefix + length + 1;
  if (in->size() < whole) return Cut::kNeedMore;
  unsigned sum = 0;
  for (size_t i = prefix; i < prefix + length; ++i) sum += (*in)[i];
  if (static_cast<uint8_t>((sum & 0xff) | 0x80) != (*in)[whole - 1]) return Cut::kMalformed;
  RequestReader reader(in->data() + prefix, length);
  request->type = static_cast<uint32_t>(reader.UInt());
  request->body.assign(in->begin() + static_cast<std::ptrdiff_t>(prefix + reader.Position()),
                       in->begin() + static_cast<std::ptrdiff_t>(prefix + length));
  in->erase(in->begin(), in->begin() + static_cast<std::ptrdiff_t>(whole));
  return Cut::kWhole;
}

// A subscribed code and the indicator ids asked for it.
struct Wanted {
  const Security* security;
  std::vector<uint32_t> ids;
};

// The codes of one list of a commit request with their ids; the empty-list
// marker (a zero count and two more bytes) gives none. A code named twice
// asks for the ids of both.
std::vector<Wanted> CommitList(RequestReader& reader) {
  std::vector<Wanted> found;
  const uint64_t count = reader.UInt();
  if (count == 0) {
    reader.UInt();
    reader.UInt();
    return found;
  }
  for (uint64_t i = 0; i < count && !reader.Done(); ++i) {
    const Security* security = FindByWire(reader.Code());
    const uint64_t ids = reader.UInt();
    std::vector<uint32_t> asked;
    for (uint64_t k = 0; k < ids && !reader.Done(); ++k)
      asked.push_back(static_cast<uint32_t>(reader.UInt()));
    if (security == nullptr) continue;
    auto same = std::find_if(found.begin(), found.end(),
                             [&](const Wanted& one) { return one.security == security; });
    if (same == found.end()) {
      found.push_back({security, asked});
    } else {
      same->ids.insert(same->ids.end(), asked.begin(), asked.end());
    }
  }
  return found;
}

bool SendAll(int socket, const Bytes& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

int Fail(const char* what) {
  std::fprintf(stderr, "kestrel-sim: %s\n", what);
  return 1;
}

// A failed system call: what failed and the system's reason.
int FailWithReason(const char* what) {
  std::fprintf(stderr, "kestrel-sim: %s: %s\n", what, std::strerror(errno));
  return 1;
}

// Closes a socket when the scope ends.
struct Socket {
  int fd;
  ~Socket() {
    if (fd >= 0) close(fd);
  }
};

int MillisecondsUntil(Clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now());
  return static_cast<int>(std::max<int64_t>(0, left.count()));
}

// The session with one connected client.
class Conversation {
 public:
  Conversation(int socket, const ServeOptions& options)
      : socket_(socket), options_(options), session_(options.seed) {}

  int Run(Clock::time_point deadline) {
    Bytes pending;
    for (;;) {
      const bool pushing = !subscribed_.empty() || committed_;
      const Clock::time_point wake = pushing ? std::min(deadline, nextPush_) : deadline;
      pollfd poller{socket_, POLLIN, 0};
      const int ready = poll(&poller, 1, MillisecondsUntil(wake));
      if (ready < 0) return FailWithReason("poll failed");
      if (ready > 0) {
        uint8_t buffer[4096];
        const ssize_t n = recv(socket_, buffer, sizeof buffer, 0);
        if (n <= 0) {
          std::fprintf(stderr, "kestrel-sim: the client left\n");
          return 0;
        }
        pending.insert(pending.end(), buffer, buffer + n);
        Request request;
        Cut cut;
        while ((cut = NextRequest(&pending, &request)) == Cut::kWhole) {
          if (!Answer(request)) return FailWithReason("cannot send to the client");
        }
        if (cut == Cut::kMalformed) return Fail("malformed request; closing");
      }
      if (committed_ && Clock::now() >= nextPush_) {
        if (pushed_ == options_.rounds) {
          SendAll(socket_, Heartbeat());
          std::fprintf(stderr, "kestrel-sim: session played to its end\n");
          return 0;
        }
        if (!subscribed_.empty() && !SendAll(socket_, session_.QuotePush(Securities(), Ids()))) {
          return FailWithReason("cannot send to the client");
        }
        ++pushed_;
        nextPush_ = Clock::now() + std::chrono::milliseconds(options_.intervalMs);
      }
      if (Clock::now() >= deadline) return Fail("time limit reached; closing");
    }
  }

 private:
  bool Answer(const Request& request) {
    RequestReader reader(request.body.data(), request.body.size());
    switch (static_cast<MessageType>(static_cast<int>(request.type))) {
      case MessageType::Login: {
        // Two numbers, a counted list, then the user's text.
        reader.UInt();
        reader.UInt();
        const uint64_t count = reader.UInt();
        for (uint64_t i = 0; i < count && !reader.Done(); ++i) reader.UInt();
        return SendAll(socket_, session_.LoginReplyTo(reader.Sized()));
      }
      case MessageType::ServerSubInfo:
        return SendAll(socket_, session_.WatchListOf(Securities()));
      case MessageType::StatusTest: {
        // The five numbers come back in the reply's order.
        const auto v1 = static_cast<uint32_t>(reader.UInt());
        const int64_t v2 = reader.Int();
        const uint64_t v3 = reader.UInt();
        const auto v5 = static_cast<uint32_t>(reader.UInt());
        const auto v4 = static_cast<uint32_t>(reader.UInt());
        return SendAll(socket_, StatusReply(v1, v2, static_cast<int64_t>(v3), v5, v4, 0));
      }
      case MessageType::RawData:
        return SendAll(socket_, RawData(request.body));
      case MessageType::Commit: {
        // The second list travels first; the simulator takes the first list
        // as the codes to quote and drops those of the second.
        const std::vector<Wanted> dropped = CommitList(reader);
        for (const Wanted& wanted : CommitList(reader)) {
          auto same = Find(wanted.security);
          if (same == subscribed_.end()) {
            subscribed_.push_back(wanted);
          } else {
            same->ids = wanted.ids;  // a new commit of a code replaces its ids
          }
        }
        for (const Wanted& wanted : dropped) {
          auto same = Find(wanted.security);
          if (same != subscribed_.end()) subscribed_.erase(same);
        }
        committed_ = true;
        nextPush_ = Clock::now();
        std::fprintf(stderr, "kestrel-sim: quoting %zu code%s\n", subscribed_.size(),
                     subscribed_.size() == 1 ? "" : "s");
        return true;
      }
      default:
        std::fprintf(stderr, "kestrel-sim: ignoring a request of type %u\n", request.type);
        return true;
    }
  }

  std::vector<Wanted>::iterator Find(const Security* security) {
    return std::find_if(subscribed_.begin(), subscribed_.end(),
                        [&](const Wanted& one) { return one.security == security; });
  }
  std::vector<const Security*> Securities() const {
    std::vector<const Security*> out;
    for (const Wanted& wanted : subscribed_) out.push_back(wanted.security);
    return out;
  }
  std::vector<std::vector<uint32_t>> Ids() const {
    std::vector<std::vector<uint32_t>> out;
    for (const Wanted& wanted : subscribed_) out.push_back(wanted.ids);
    return out;
  }

  int socket_;
  const ServeOptions& options_;
  Session session_;
  std::vector<Wanted> subscribed_;
  bool committed_ = false;
  int pushed_ = 0;
  Clock::time_point nextPush_ = Clock::now();
};

}  // namespace

int Serve(const ServeOptions& options) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
  Socket listener{socket(AF_INET, SOCK_STREAM, 0)};
  if (listener.fd < 0) return FailWithReason("cannot make a socket");
  const int on = 1;
  setsockopt(listener.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(options.port));
  if (bind(listener.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    const std::string what = "cannot listen on 127.0.0.1:" + std::to_string(options.port);
    return FailWithReason(what.c_str());
  }
  socklen_t length = sizeof address;
  if (listen(listener.fd, 1) != 0 ||
      getsockname(listener.fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return FailWithReason("cannot listen");
  }
  std::printf("listening on 127.0.0.1:%d\n", ntohs(address.sin_port));
  std::fflush(stdout);

  pollfd poller{listener.fd, POLLIN, 0};
  if (poll(&poller, 1, MillisecondsUntil(deadline)) <= 0) return Fail("no client came; closing");
  Socket client{accept(listener.fd, nullptr, nullptr)};
  if (client.fd < 0) return FailWithReason("accept failed");
  return Conversation(client.fd, options).Run(deadline);
}

}  // namespace ksim
