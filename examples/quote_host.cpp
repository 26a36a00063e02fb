// kestrel_quote_host: a small host program. Connects to a quote server on
// the loopback address, logs in, subscribes to some codes and prints every
// quote as it arrives, until the server closes the connection.
//
//   kestrel_quote_host PORT [CODE ...]      (default codes: 600000.SH 0700.HK)
//
// It uses the library's exported interface only: the request encoders, the
// stream framer and DecodeOneMessage. Try it against the simulator:
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
#include <cstring>
#include <string>
#include <vector>

#include "KestrelUtils.h"

namespace {

// Sends a request and frees it, as every host does.
bool SendRequest(int socket, CCode* request) {
  if (request == nullptr) return false;
  const char* bytes = request->GetContent();
  int left = request->GetLength();
  while (left > 0) {
    const ssize_t sent = send(socket, bytes, static_cast<size_t>(left), MSG_NOSIGNAL);
    if (sent <= 0) break;
    bytes += sent;
    left -= static_cast<int>(sent);
  }
  delete request;
  return left == 0;
}

// Subscribes to the codes, asking for time (2), price (3) and volume (8).
bool Subscribe(int socket, const std::vector<std::string>& codes) {
  std::vector<WatchListItem> items(codes.size(), WatchListItem{});
  for (size_t i = 0; i < codes.size(); ++i) {
    std::snprintf(items[i].TernCode, sizeof items[i].TernCode, "%s", codes[i].c_str());
    items[i].IndIndex = new uint16_t[3]{2, 3, 8};  // the item's destructor frees it
    items[i].IndIndexNum = 3;
  }
  return SendRequest(socket, CKestrelCode::EncodeCommitRequest(
                                 items.data(), static_cast<int>(items.size()), nullptr, 0));
}

// One line per quote: its code, then id=value for every indicator.
int PrintQuotes(CKestrelData* data) {
  for (int q = 0; q < data->GetQuoteDataNum(); ++q) {
    CKestrelQuoteData& quote = data->GetKestrelQuoteData()[q];
    CIndexToValue* values = quote.GetIndexToValue();
    std::string line = std::string("quote ") + quote.GetTernCode();
    for (int i = 0; i < values->GetNum(); ++i) {
      const CIndexValue& value = values->GetIndexValue()[i];
      char text[64] = "";
      switch (values->GetValueType()[i]) {
        case 2:
          std::snprintf(text, sizeof text, "%d", value.nValue);
          break;
        case 3:
          std::snprintf(text, sizeof text, "%g", value.dValue);
          break;
        case 4:
          std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value.llValue));
          break;
        case 11:
          std::snprintf(text, sizeof text, "%s", value.pcValue ? value.pcValue : "");
          break;
        default:
          break;
      }
      line += " " + std::to_string(values->GetIndexId()[i]) + "=" + text;
    }
    std::printf("%s\n", line.c_str());
  }
  return data->GetQuoteDataNum();
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
  int services[] = {5};
  if (!SendRequest(socket, CKestrelCode::EncodeLoginRequest(1, 2, services, 1, "demo"))) {
    std::fprintf(stderr, "cannot send the login request\n");
    return 1;
  }

  KestrelFramer framer;
  int quotes = 0;
  char buffer[4096];
  for (;;) {
    const ssize_t received = recv(socket, buffer, sizeof buffer, 0);
    if (received <= 0) break;  // closed by the server, or silent for too long
    framer.Feed(buffer, static_cast<int>(received));
    KestrelFrame frame;
    while (framer.Next(&frame) == kFramerMessage) {
      int type = 0;
      char* result = CKestrelCode::DecodeOneMessage(frame.Message, &type);
      if (type == 80 && result != nullptr) {
        auto* login = reinterpret_cast<CLoginInfo*>(result);
        std::printf("logged in as %s at %s\n", login->GetUserId(), login->GetServerName());
        if (!Subscribe(socket, codes)) std::fprintf(stderr, "cannot subscribe\n");
      } else if (type == 64 && result != nullptr) {
        quotes += PrintQuotes(reinterpret_cast<CKestrelData*>(result));
      } else if (type == 58) {
        std::printf("heartbeat\n");
      }
      CKestrelCode::ClearDecodeMessage(result, type);
    }
    if (framer.GetStatus() >= kFramerBadLength) {
      std::fprintf(stderr, "malformed stream at byte %lld\n", framer.GetErrorOffset());
      break;
    }
  }
  close(socket);
  std::printf("%d quotes\n", quotes);
  return quotes > 0 ? 0 : 1;
}
