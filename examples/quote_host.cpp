// kestrel_quote_host: a small host program. Connects to a quote server on
// the loopback address, logs in, subscribes to some codes and prints every
// quote as it arrives, until the server closes the connection.
//
//   kestrel_quote_host PORT [CODE ...]      (default codes: 600000.SH 0700.HK)
//
// It uses the library's C++ face only: requests and a subscription list,
// the stream reader and typed results. Try it against the simulator:
//
//   kestrel-sim serve --port 9000 &
//   kestrel_quote_host 9000 600000.SH IF2406.CFE
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include <KestrelUtils/KestrelUtils.h>

namespace {

// Sends a request's bytes; the request frees itself.
bool SendRequest(int socket, const kestrel::Request& request) {
  if (!request) return false;
  const char* bytes = request.data();
  size_t left = request.size();
  while (left > 0) {
    const ssize_t sent = send(socket, bytes, left, MSG_NOSIGNAL);
    if (sent <= 0) break;
    bytes += sent;
    left -= static_cast<size_t>(sent);
  }
  return left == 0;
}

// Subscribes to the codes, asking for time (2), price (3) and volume (8).
bool Subscribe(int socket, const std::vector<std::string>& codes) {
  kestrel::SubscriptionList list;
  for (const std::string& code : codes) list.add(code, {2, 3, 8});
  return SendRequest(socket, kestrel::encodeCommit(list));
}

// A single value as text; series and empty values print nothing.
std::string Format(const kestrel::Value& value) {
  struct Printer {
    std::string operator()(std::monostate) const { return ""; }
    std::string operator()(int v) const { return std::to_string(v); }
    std::string operator()(std::int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const {
      char text[32];
      std::snprintf(text, sizeof text, "%g", v);
      return text;
    }
    std::string operator()(std::string_view v) const { return std::string(v); }
  };
  return std::visit(Printer{}, value);
}

// One line per quote: its code, then id=value for every indicator.
int PrintQuotes(CKestrelData& data) {
  int printed = 0;
  for (CKestrelQuoteData& quote : kestrel::quotes(data)) {
    std::string line = "quote " + std::string(kestrel::text(quote.GetTernCode()));
    for (const kestrel::Entry& entry : kestrel::entries(quote)) {
      line += " " + std::to_string(entry.id) + "=" + Format(entry.value);
    }
    std::printf("%s\n", line.c_str());
    ++printed;
  }
  return printed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kestrel_quote_host PORT [CODE ...]\n");
    return 2;
  }
  std::vector<std::string> codes(argv + 2, argv + argc);
  if (codes.empty()) codes = {"600000.SH", "0700.HK"};

  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[1])));
  // A silent server must not hold the host forever.
  timeval timeout{10, 0};
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (socket < 0 || connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::perror("connect");
    return 1;
  }

  CKestrelCode::StartUp();
  if (!SendRequest(socket, kestrel::encodeLogin(1, 2, {5}, "demo"))) {
    std::fprintf(stderr, "cannot send the login request\n");
    return 1;
  }

  kestrel::Reader reader;
  int quotes = 0;
  char buffer[4096];
  for (;;) {
    const ssize_t received = recv(socket, buffer, sizeof buffer, 0);
    if (received <= 0) break;  // closed by the server, or silent for too long
    reader.feed(buffer, static_cast<size_t>(received));
    while (std::optional<kestrel::Result> result = reader.next()) {
      if (CLoginInfo* login = result->as<CLoginInfo>()) {
        std::printf("logged in as %s at %s\n", login->GetUserId(), login->GetServerName());
        if (!Subscribe(socket, codes)) std::fprintf(stderr, "cannot subscribe\n");
      } else if (result->type() == kestrel::MessageType::QuoteUpdate) {
        if (CKestrelData* data = result->as<CKestrelData>()) quotes += PrintQuotes(*data);
      } else if (result->type() == kestrel::MessageType::HeartBeat) {
        std::printf("heartbeat\n");
      }
    }  // each result is freed as it goes out of scope
    if (reader.failed()) {
      std::fprintf(stderr, "malformed stream at byte %lld\n", reader.errorOffset());
      break;
    }
  }
  close(socket);
  std::printf("%d quotes\n", quotes);
  return quotes > 0 ? 0 : 1;
}
