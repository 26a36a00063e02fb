// Packet captures of simulated connections: a TCP connection's segments
// (handshake, data in segments of varied sizes, close) and the pcap and
// pcapng files that hold them, written byte by byte.
//
// The tests build their own captures from these pieces: they reorder,
// repeat, overlap or drop segments before writing them.
#ifndef KESTREL_SIM_PCAP_H
#define KESTREL_SIM_PCAP_H

#include <cstdint>
#include <string>
#include <vector>

#include "sim/Session.h"

namespace ksim {

// How the frames of a capture are wrapped.
enum class LinkFrame {
  kEthernet,  // Ethernet II
  kVlan,      // Ethernet II with an 802.1Q tag
  kCooked,    // Linux cooked capture (version 1)
};

// The two ends of a connection and their initial sequence numbers.
struct Endpoints {
  bool ipv6 = false;
  Bytes clientAddress = {10, 0, 0, 1};  // 4 or 16 bytes
  Bytes serverAddress = {10, 0, 0, 2};
  uint16_t clientPort = 40000;
  uint16_t serverPort = 9100;
  uint32_t clientIsn = 1000;
  uint32_t serverIsn = 50000;
};

// One TCP segment; `micros` is its capture time in microseconds since 1970.
struct Segment {
  bool toServer = false;
  uint32_t seq = 0;
  uint8_t flags = 0;
  Bytes payload;
  int64_t micros = 0;
};

inline constexpr uint8_t kFin = 0x01;
inline constexpr uint8_t kSyn = 0x02;
inline constexpr uint8_t kRst = 0x04;
inline constexpr uint8_t kPsh = 0x08;
inline constexpr uint8_t kAck = 0x10;

// Builds the segments of one connection in the order they are sent.
class ConnectionBuilder {
 public:
  ConnectionBuilder(const Endpoints& ends, uint64_t seed, int64_t startMicros);
  // The three-way handshake.
  void Open();
  // Bytes of one direction, cut into segments of varied sizes (1 to 1460
  // bytes).
  void Send(bool toServer, const Bytes& bytes);
  // FIN from both sides.
  void Close();

  const Endpoints& ends() const { return ends_; }
  std::vector<Segment>& segments() { return segments_; }

 private:
  void Add(bool toServer, uint8_t flags, Bytes payload);

  Endpoints ends_;
  Random random_;
  int64_t micros_;
  uint32_t next_[2];  // next sequence number: to the server, to the client
  std::vector<Segment> segments_;
};

// A segment as a whole link-layer frame: link header, IP, TCP (with
// checksums) and payload.
Bytes FrameOf(const Segment& segment, const Endpoints& ends, LinkFrame link);

// One frame of a capture.
struct CapturedFrame {
  int64_t micros;
  Bytes bytes;
};
std::vector<CapturedFrame> Frames(const std::vector<Segment>& segments, const Endpoints& ends,
                                  LinkFrame link);

// A classic pcap file (microsecond timestamps) and a pcapng file (one
// section, one interface) of the frames.
Bytes PcapFile(const std::vector<CapturedFrame>& frames, LinkFrame link);
Bytes PcapngFile(const std::vector<CapturedFrame>& frames, LinkFrame link);

}  // namespace ksim

#endif  // KESTREL_SIM_PCAP_H
