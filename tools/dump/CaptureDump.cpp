// Packet captures: every connection to the server port, both directions,
// each cut into messages (server) or requests (client) as it reassembles.
#include <map>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "KestrelUtils.h"
#include "capture/Capture.h"
#include "dump/Analyser.h"
#include "dump/Dump.h"
#include "encode/RequestReader.h"

namespace kdump {

namespace {

namespace rq = kestrel::requests;

// One direction of one connection, as far as it has been cut.
struct Direction {
  std::unique_ptr<KestrelFramer> framer;  // the server's messages
  std::vector<uint8_t> requests;          // the client's bytes not yet cut
  uint64_t requestOffset = 0;             // stream offset of requests[0]
  bool stopped = false;                   // after a gap or a malformed frame
};

class CaptureDumper {
 public:
  CaptureDumper(const DumpOptions& options, Analyser& analyser)
      : options_(options), analyser_(analyser) {}

  void Run(kcap::Reader& reader) {
    kcap::Event event;
    while (!analyser_.Stopped() && reader.Next(&event)) {
      const kcap::Connection& connection = reader.ConnectionAt(event.connection);
      Origin origin;
      origin.connection = event.connection;
      origin.peer = connection.Name();
      origin.fromClient = event.direction == kcap::Direction::kToServer;
      origin.seconds = event.time.seconds;
      origin.nanoseconds = event.time.nanoseconds;
      Direction& direction = directions_[{event.connection, origin.fromClient}];
      if (direction.stopped) continue;
      switch (event.kind) {
        case kcap::Event::Kind::kData:
          if (origin.fromClient) {
            Requests(direction, event, origin);
          } else {
            Messages(direction, event, origin);
          }
          break;
        case kcap::Event::Kind::kGap:
          analyser_.Gap(origin, event.offset, event.gapEnd);
          direction.stopped = true;
          break;
        case kcap::Event::Kind::kEnd:
          End(direction, event, origin);
          break;
      }
    }
    if (!reader.ReadError().empty())
      analyser_.Problem("reading the capture: " + reader.ReadError());
    const kcap::Skipped& skipped = reader.skipped();
    analyser_.Skipped("not_followed", skipped.notFollowed);
    analyser_.Skipped("truncated", skipped.truncated);
    analyser_.Skipped("fragments", skipped.fragments);
    analyser_.Skipped("overflow_bytes", skipped.overflowBytes);
  }

 private:
  std::string Where(const Origin& origin, uint64_t offset) const {
    return "connection " + std::to_string(origin.connection) + " (" + origin.peer + "), " +
           (origin.fromClient ? "client" : "server") + " byte " + std::to_string(offset);
  }

  void Messages(Direction& direction, const kcap::Event& event, const Origin& origin) {
    if (direction.framer == nullptr)
      direction.framer = std::make_unique<KestrelFramer>(options_.maxMessage);
    KestrelFramer& framer = *direction.framer;
    if (!framer.Feed(reinterpret_cast<const char*>(event.data), static_cast<int>(event.size)) &&
        framer.GetStatus() < kFramerBadLength) {
      analyser_.Problem(Where(origin, event.offset) + ": out of memory");
      direction.stopped = true;
      return;
    }
    KestrelFrame frame{};
    while (!analyser_.Stopped() && framer.Next(&frame) == kFramerMessage) {
      analyser_.ServerMessage(frame, &origin);
    }
    if (framer.GetStatus() == kFramerBadLength || framer.GetStatus() == kFramerTooLong) {
      analyser_.Problem(Where(origin, static_cast<uint64_t>(framer.GetErrorOffset())) +
                        (framer.GetStatus() == kFramerBadLength
                             ? ": length prefix of five bytes without a stop bit"
                             : ": length prefix announces more than " +
                                   std::to_string(framer.GetMaxMessage()) +
                                   " bytes (see --max-message)"));
      direction.stopped = true;
    }
  }

  void Requests(Direction& direction, const kcap::Event& event, const Origin& origin) {
    std::vector<uint8_t>& bytes = direction.requests;
    bytes.insert(bytes.end(), event.data, event.data + event.size);
    size_t used = 0;
    for (;;) {
      size_t size = 0;
      const rq::RequestCut cut = rq::CutRequest(bytes.data() + used, bytes.size() - used,
                                                static_cast<uint64_t>(options_.maxMessage), &size);
      if (cut == rq::RequestCut::kNeedMore) break;
      if (cut == rq::RequestCut::kBadLength) {
        analyser_.Problem(Where(origin, direction.requestOffset + used) +
                          ": request length prefix without a stop bit, or over --max-message");
        direction.stopped = true;
        break;
      }
      analyser_.ClientRequest(bytes.data() + used, size, direction.requestOffset + used, origin);
      used += size;
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(used));
    direction.requestOffset += used;
  }

  void End(Direction& direction, const kcap::Event& event, const Origin& origin) {
    const size_t buffered = origin.fromClient ? direction.requests.size()
                            : direction.framer
                                ? static_cast<size_t>(direction.framer->GetBufferedBytes())
                                : 0;
    if (buffered > 0) {
      analyser_.Problem(Where(origin, event.offset - buffered) +
                        ": the stream ends inside a message (" + std::to_string(buffered) +
                        " of its bytes present)");
    }
    direction.stopped = true;
  }

  const DumpOptions& options_;
  Analyser& analyser_;
  std::map<std::pair<int, bool>, Direction> directions_;
};

int Dump(kcap::Reader& reader, bool opened, const std::string& error, const DumpOptions& options,
         std::ostream& out, std::ostream& err) {
  Analyser analyser(options, out, err);
  if (!opened) {
    analyser.Problem("cannot read the capture: " + error);
    return analyser.Finish();
  }
  CKestrelCode::StartUp();
  CaptureDumper(options, analyser).Run(reader);
  return analyser.Finish();
}

}  // namespace

bool CapturesSupported() { return true; }

int DumpCaptureFile(const std::string& path, const DumpOptions& options, std::ostream& out,
                    std::ostream& err) {
  kcap::Reader reader;
  std::string error;
  const bool opened = reader.Open(path, static_cast<uint16_t>(options.port), &error);
  return Dump(reader, opened, error, options, out, err);
}

int DumpCaptureBytes(const uint8_t* bytes, size_t size, const DumpOptions& options,
                     std::ostream& out, std::ostream& err) {
  kcap::Reader reader;
  std::string error;
  const bool opened = reader.OpenMemory(bytes, size, static_cast<uint16_t>(options.port), &error);
  return Dump(reader, opened, error, options, out, err);
}

}  // namespace kdump
