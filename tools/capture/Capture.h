// Packet captures of the quote protocol: a pcap or pcapng file read through
// libpcap, its TCP connections on one server port followed, and each
// direction of each connection put back together as a byte stream.
//
// The reader hands out events in capture order: a chunk of bytes that has
// become contiguous in one direction (with the timestamp of the segment that
// completed it and its offset in that direction's stream), a gap where a
// segment was lost, and the end of a direction.
#ifndef KESTREL_CAPTURE_CAPTURE_H
#define KESTREL_CAPTURE_CAPTURE_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "capture/Magic.h"

namespace kcap {

enum class Direction { kToServer = 0, kToClient = 1 };

struct Endpoint {
  std::string address;  // dotted IPv4 or IPv6 text
  uint16_t port = 0;
};

// One TCP connection to the server port.
struct Connection {
  int index = 0;  // 0, 1, ... in the order of their first segment
  Endpoint client;
  Endpoint server;
  // "client -> server" text for people: 10.0.0.1:40000 -> 10.0.0.2:9000.
  std::string Name() const;
};

struct Timestamp {
  int64_t seconds = 0;
  int64_t nanoseconds = 0;
};

struct Event {
  enum class Kind {
    kData,  // bytes [offset, offset + size) of the direction's stream
    kGap,   // bytes [offset, gapEnd) were never seen; the direction stops here
    kEnd,   // the direction ended (FIN or RST), or the capture did
  };
  Kind kind = Kind::kData;
  int connection = 0;
  Direction direction = Direction::kToClient;
  uint64_t offset = 0;
  uint64_t gapEnd = 0;  // kGap: first offset seen after the missing bytes
  const uint8_t* data = nullptr;
  size_t size = 0;
  Timestamp time;  // of the segment that made the event
};

// Counts of what the reader passed over.
struct Skipped {
  uint64_t notFollowed = 0;    // other protocols, other ports, unknown link types
  uint64_t truncated = 0;      // frames cut short by the capture's snap length or damaged
  uint64_t fragments = 0;      // IPv4 fragments: not reassembled
  uint64_t overflowBytes = 0;  // out-of-order bytes beyond the buffering limit
};

// Bytes of out-of-order data held per direction before the hole in front of
// them is declared a gap.
inline constexpr size_t kDefaultMaxPending = 8u << 20;
// Connections followed at once; later ones are counted as skipped.
inline constexpr size_t kMaxConnections = 4096;

class Reader {
 public:
  Reader();
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Opens a capture file, or a capture held in memory (which must outlive
  // the reader), following connections whose server side uses `port`.
  // False, with the reason in `error`, when libpcap refuses it.
  bool Open(const std::string& path, uint16_t port, std::string* error);
  bool OpenMemory(const uint8_t* bytes, size_t size, uint16_t port, std::string* error);
  void SetMaxPending(size_t bytes) { maxPending_ = bytes; }

  // The next event; false at the end of the capture, after every direction
  // has had its kEnd (or kGap). `event->data` stays valid until the next
  // call. A read error of the file ends the capture with `ReadError()` set.
  bool Next(Event* event);

  const Connection& ConnectionAt(int index) const;
  int ConnectionCount() const { return static_cast<int>(connections_.size()); }
  const Skipped& skipped() const { return skipped_; }
  const std::string& ReadError() const { return readError_; }

 private:
  struct Stream;
  struct Conn;
  struct Segment;

  bool OpenHandle(void* handle, uint16_t port, std::string* error);
  void Packet(const uint8_t* frame, size_t size, Timestamp time);
  void Tcp(const Segment& segment);
  void Deliver(Conn& conn, Direction direction, const Segment& segment);
  void Drain(Stream& stream, int index, Direction direction, Timestamp time);
  // Queues bytes [begin, end) as the next data of the stream.
  void Data(Stream& stream, int index, Direction direction, const uint8_t* begin,
            const uint8_t* end, Timestamp time);
  // True when bytes of the stream are known to be missing: data waits behind
  // a hole, or the FIN lies beyond what was delivered.
  static bool Missing(const Stream& stream);
  void Stop(Stream& stream, int index, Direction direction, Timestamp time, bool gap);
  void Finish();

  void* pcap_ = nullptr;
  void* memory_ = nullptr;  // FILE* over an in-memory capture
  uint16_t port_ = 0;
  int linkType_ = 0;
  size_t maxPending_ = kDefaultMaxPending;
  bool finished_ = false;
  Timestamp last_;  // of the latest packet; the time of the events at the end
  std::vector<std::unique_ptr<Conn>> connections_;
  std::map<std::string, int> live_;  // connection key to index, while open
  std::vector<Event> queue_;
  size_t queueNext_ = 0;
  std::vector<std::vector<uint8_t>> held_;  // bytes the queued events point at
  Skipped skipped_;
  std::string readError_;
};

}  // namespace kcap

#endif  // KESTREL_CAPTURE_CAPTURE_H
