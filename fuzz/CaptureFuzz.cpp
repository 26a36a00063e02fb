// The packet-capture reader, TCP reassembly and kestrel-dump over captures.
//
// The input describes a capture rather than being one, so that the fuzzer
// reaches reassembly instead of stopping at libpcap's header checks:
//   byte 0, bit 0 clear: frames of a link type (byte 1 picks it), each a
//     one-byte length and that many bytes: the reader's link, IP and TCP
//     parsing of arbitrary frames;
//   bit 0 set: TCP segments of up to four connections (byte 1: bit 0 IPv6,
//     bits 1-2 the link framing), each a control byte (direction, SYN, FIN,
//     RST, connection), a 16-bit sequence step, a length byte and the
//     payload: reordering, overlaps, gaps and both directions' decoding.
// The capture is written as a pcap file and read from memory, once by the
// reader alone (with a small out-of-order limit) and once by kestrel-dump.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <vector>

#include "capture/Capture.h"
#include "dump/Dump.h"
#include "sim/Pcap.h"

namespace {

constexpr size_t kMaxInput = 1 << 16;
constexpr uint16_t kPort = 9100;
constexpr size_t kSmallPending = 4096;
constexpr int kConnections = 4;
// Link types the raw-frame mode chooses among: Ethernet, bare IP, Linux
// cooked (both versions), BSD loopback, bare IPv4 and IPv6, and one the
// reader does not know.
constexpr uint32_t kLinkTypes[] = {1, 101, 113, 276, 0, 228, 229, 105};

void Le16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Le32(std::vector<uint8_t>& out, uint32_t value) {
  Le16(out, static_cast<uint16_t>(value));
  Le16(out, static_cast<uint16_t>(value >> 16));
}

std::vector<uint8_t> PcapOf(uint32_t linkType, const std::vector<std::vector<uint8_t>>& frames) {
  std::vector<uint8_t> out;
  Le32(out, 0xa1b2c3d4);
  Le16(out, 2);
  Le16(out, 4);
  Le32(out, 0);
  Le32(out, 0);
  Le32(out, 65535);
  Le32(out, linkType);
  uint32_t micros = 0;
  for (const auto& frame : frames) {
    Le32(out, 1700000000);
    Le32(out, micros += 10);
    Le32(out, static_cast<uint32_t>(frame.size()));
    Le32(out, static_cast<uint32_t>(frame.size()));
    out.insert(out.end(), frame.begin(), frame.end());
  }
  return out;
}

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > kMaxInput) return 0;
  std::vector<std::vector<uint8_t>> frames;
  uint32_t linkType = 1;
  size_t at = 2;
  if ((data[0] & 1) == 0) {
    linkType = kLinkTypes[data[1] % (sizeof kLinkTypes / sizeof kLinkTypes[0])];
    while (at < size) {
      const size_t wanted = data[at++];
      const size_t length = std::min(wanted, size - at);
      frames.emplace_back(data + at, data + at + length);
      at += length;
    }
  } else {
    const auto link = static_cast<ksim::LinkFrame>((data[1] >> 1) % 3);
    linkType = link == ksim::LinkFrame::kCooked ? 113 : 1;
    ksim::Endpoints ends[kConnections];
    uint32_t next[kConnections][2];
    for (int c = 0; c < kConnections; ++c) {
      ends[c].ipv6 = (data[1] & 1) != 0;
      if (ends[c].ipv6) {
        ends[c].clientAddress = ksim::Bytes(16, 0);
        ends[c].serverAddress = ksim::Bytes(16, 0);
        ends[c].clientAddress[15] = 1;
        ends[c].serverAddress[15] = 2;
      }
      ends[c].clientPort = static_cast<uint16_t>(40000 + c);
      ends[c].serverPort = kPort;
      // Sequence numbers near the wrap of 2^32.
      next[c][0] = 0xffffff00u + static_cast<uint32_t>(c);
      next[c][1] = 0x7fffff00u;
    }
    while (at + 4 <= size) {
      const uint8_t control = data[at];
      const auto step = static_cast<int16_t>(data[at + 1] | data[at + 2] << 8);
      const size_t length = std::min<size_t>(data[at + 3], size - at - 4);
      at += 4;
      const int c = control >> 6;
      const bool toServer = (control & 1) != 0;
      ksim::Segment segment;
      segment.toServer = toServer;
      segment.flags = static_cast<uint8_t>(((control >> 1) & 0x07) | ksim::kAck);  // FIN, SYN, RST
      uint32_t& seq = next[c][toServer ? 0 : 1];
      seq += static_cast<uint32_t>(static_cast<int32_t>(step));
      segment.seq = seq;
      segment.payload.assign(data + at, data + at + length);
      at += length;
      frames.push_back(ksim::FrameOf(segment, ends[c], link));
    }
  }
  const std::vector<uint8_t> capture = PcapOf(linkType, frames);

  kcap::Reader reader;
  std::string error;
  if (reader.OpenMemory(capture.data(), capture.size(), kPort, &error)) {
    reader.SetMaxPending(kSmallPending);
    kcap::Event event;
    while (reader.Next(&event)) {
      if (event.kind == kcap::Event::Kind::kData && event.size > 0) {
        volatile uint8_t touch = event.data[event.size - 1];
        (void)touch;
      }
    }
  }
  NullBuffer nothing;
  std::ostream out(&nothing);
  kdump::DumpOptions options;
  options.port = kPort;
  options.stats = true;
  kdump::DumpCaptureBytes(capture.data(), capture.size(), options, out, out);
  return 0;
}
