// Writing TCP segments as captured frames, and the two capture file formats.
#include "sim/Pcap.h"

#include <algorithm>

namespace ksim {

namespace {

// Link-layer type numbers of the capture file headers.
constexpr uint32_t kLinkTypeEthernet = 1;
constexpr uint32_t kLinkTypeCooked = 113;

constexpr uint16_t kEtherIpv4 = 0x0800;
constexpr uint16_t kEtherIpv6 = 0x86dd;
constexpr uint16_t kEtherVlan = 0x8100;
constexpr uint16_t kVlanId = 42;
constexpr uint16_t kCookedFromUs = 4;  // packet type: sent by this host
constexpr uint16_t kArpHardwareEthernet = 1;
constexpr uint8_t kProtocolTcp = 6;
constexpr uint8_t kTtl = 64;
constexpr size_t kIpv4Header = 20;
constexpr size_t kTcpHeader = 20;
constexpr uint16_t kWindow = 65535;
constexpr size_t kMaxSegment = 1460;
constexpr uint32_t kSnapLength = 262144;
constexpr int64_t kMicrosPerSecond = 1000000;

// pcap file header fields.
constexpr uint32_t kPcapMagic = 0xa1b2c3d4;
constexpr uint16_t kPcapMajor = 2;
constexpr uint16_t kPcapMinor = 4;
// pcapng block types and fields.
constexpr uint32_t kSectionHeaderBlock = 0x0a0d0d0a;
constexpr uint32_t kByteOrderMagic = 0x1a2b3c4d;
constexpr uint32_t kInterfaceBlock = 1;
constexpr uint32_t kEnhancedPacketBlock = 6;

const uint8_t kClientMac[] = {0x02, 0, 0, 0, 0, 1};
const uint8_t kServerMac[] = {0x02, 0, 0, 0, 0, 2};

void Be16(Bytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}
void Be32(Bytes& out, uint32_t value) {
  Be16(out, static_cast<uint16_t>(value >> 16));
  Be16(out, static_cast<uint16_t>(value));
}
void Le16(Bytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Le32(Bytes& out, uint32_t value) {
  Le16(out, static_cast<uint16_t>(value));
  Le16(out, static_cast<uint16_t>(value >> 16));
}
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// The ones' complement sum of 16-bit words, folded.
uint32_t Sum(const Bytes& bytes, size_t from, size_t to, uint32_t sum = 0) {
  for (size_t i = from; i < to; i += 2) {
    sum += static_cast<uint32_t>(bytes[i] << 8) + (i + 1 < to ? bytes[i + 1] : 0);
  }
  return sum;
}
uint16_t Fold(uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

uint32_t LinkType(LinkFrame link) {
  return link == LinkFrame::kCooked ? kLinkTypeCooked : kLinkTypeEthernet;
}

}  // namespace

ConnectionBuilder::ConnectionBuilder(const Endpoints& ends, uint64_t seed, int64_t startMicros)
    : ends_(ends), random_(seed), micros_(startMicros), next_{ends.clientIsn, ends.serverIsn} {}

void ConnectionBuilder::Add(bool toServer, uint8_t flags, Bytes payload) {
  micros_ += random_.Between(20, 3000);
  Segment segment;
  segment.toServer = toServer;
  segment.seq = next_[toServer ? 0 : 1];
  segment.flags = flags;
  segment.micros = micros_;
  next_[toServer ? 0 : 1] +=
      static_cast<uint32_t>(payload.size()) + ((flags & (kSyn | kFin)) ? 1 : 0);
  segment.payload = std::move(payload);
  segments_.push_back(std::move(segment));
}

void ConnectionBuilder::Open() {
  Add(true, kSyn, {});
  Add(false, kSyn | kAck, {});
  Add(true, kAck, {});
}

void ConnectionBuilder::Send(bool toServer, const Bytes& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    // Mostly full segments, some small ones and some of a single byte.
    const int64_t pick = random_.Between(0, 9);
    const size_t most = pick < 5 ? kMaxSegment : pick < 9 ? 200 : 1;
    const size_t size = std::min<size_t>(
        bytes.size() - at, static_cast<size_t>(random_.Between(1, static_cast<int64_t>(most))));
    Add(toServer, kAck | kPsh,
        Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + size)));
    at += size;
  }
}

void ConnectionBuilder::Close() {
  Add(false, kFin | kAck, {});
  Add(true, kFin | kAck, {});
  Add(false, kAck, {});
}

Bytes FrameOf(const Segment& segment, const Endpoints& ends, LinkFrame link) {
  const Bytes& source = segment.toServer ? ends.clientAddress : ends.serverAddress;
  const Bytes& destination = segment.toServer ? ends.serverAddress : ends.clientAddress;
  // TCP header and payload.
  Bytes tcp;
  Be16(tcp, segment.toServer ? ends.clientPort : ends.serverPort);
  Be16(tcp, segment.toServer ? ends.serverPort : ends.clientPort);
  Be32(tcp, segment.seq);
  Be32(tcp, 0);  // acknowledgement numbers are not followed
  tcp.push_back(static_cast<uint8_t>(kTcpHeader / 4 << 4));
  tcp.push_back(segment.flags);
  Be16(tcp, kWindow);
  Be16(tcp, 0);  // checksum, below
  Be16(tcp, 0);
  Append(tcp, segment.payload);
  // The checksum covers a pseudo-header of addresses, protocol and length.
  uint32_t pseudo = Sum(source, 0, source.size()) + Sum(destination, 0, destination.size()) +
                    kProtocolTcp + static_cast<uint32_t>(tcp.size());
  const uint16_t check = Fold(Sum(tcp, 0, tcp.size(), pseudo));
  tcp[16] = static_cast<uint8_t>(check >> 8);
  tcp[17] = static_cast<uint8_t>(check);

  Bytes ip;
  if (!ends.ipv6) {
    ip.push_back(0x45);
    ip.push_back(0);
    Be16(ip, static_cast<uint16_t>(kIpv4Header + tcp.size()));
    Be16(ip, 0);       // identification
    Be16(ip, 0x4000);  // don't fragment
    ip.push_back(kTtl);
    ip.push_back(kProtocolTcp);
    Be16(ip, 0);
    Append(ip, source);
    Append(ip, destination);
    const uint16_t header = Fold(Sum(ip, 0, ip.size()));
    ip[10] = static_cast<uint8_t>(header >> 8);
    ip[11] = static_cast<uint8_t>(header);
  } else {
    Be32(ip, 0x60000000);
    Be16(ip, static_cast<uint16_t>(tcp.size()));
    ip.push_back(kProtocolTcp);
    ip.push_back(kTtl);
    Append(ip, source);
    Append(ip, destination);
  }
  Append(ip, tcp);

  const uint16_t ether = ends.ipv6 ? kEtherIpv6 : kEtherIpv4;
  Bytes frame;
  if (link == LinkFrame::kCooked) {
    Be16(frame, kCookedFromUs);
    Be16(frame, kArpHardwareEthernet);
    Be16(frame, 6);
    const uint8_t* mac = segment.toServer ? kClientMac : kServerMac;
    frame.insert(frame.end(), mac, mac + 6);
    Be16(frame, 0);  // address padding to eight bytes
    Be16(frame, ether);
  } else {
    const uint8_t* to = segment.toServer ? kServerMac : kClientMac;
    const uint8_t* from = segment.toServer ? kClientMac : kServerMac;
    frame.insert(frame.end(), to, to + 6);
    frame.insert(frame.end(), from, from + 6);
    if (link == LinkFrame::kVlan) {
      Be16(frame, kEtherVlan);
      Be16(frame, kVlanId);
    }
    Be16(frame, ether);
  }
  Append(frame, ip);
  return frame;
}

std::vector<CapturedFrame> Frames(const std::vector<Segment>& segments, const Endpoints& ends,
                                  LinkFrame link) {
  std::vector<CapturedFrame> frames;
  for (const Segment& segment : segments)
    frames.push_back({segment.micros, FrameOf(segment, ends, link)});
  return frames;
}

Bytes PcapFile(const std::vector<CapturedFrame>& frames, LinkFrame link) {
  Bytes out;
  Le32(out, kPcapMagic);
  Le16(out, kPcapMajor);
  Le16(out, kPcapMinor);
  Le32(out, 0);  // time zone
  Le32(out, 0);  // timestamp accuracy
  Le32(out, kSnapLength);
  Le32(out, LinkType(link));
  for (const CapturedFrame& frame : frames) {
    Le32(out, static_cast<uint32_t>(frame.micros / kMicrosPerSecond));
    Le32(out, static_cast<uint32_t>(frame.micros % kMicrosPerSecond));
    Le32(out, static_cast<uint32_t>(frame.bytes.size()));
    Le32(out, static_cast<uint32_t>(frame.bytes.size()));
    Append(out, frame.bytes);
  }
  return out;
}

Bytes PcapngFile(const std::vector<CapturedFrame>& frames, LinkFrame link) {
  Bytes out;
  // A block: type, total length, body, total length again.
  auto block = [&out](uint32_t type, const Bytes& body) {
    const auto length = static_cast<uint32_t>(12 + body.size());
    Le32(out, type);
    Le32(out, length);
    Append(out, body);
    Le32(out, length);
  };
  Bytes section;
  Le32(section, kByteOrderMagic);
  Le16(section, 1);  // version 1.0
  Le16(section, 0);
  Le32(section, 0xffffffff);  // section length not given
  Le32(section, 0xffffffff);
  block(kSectionHeaderBlock, section);
  Bytes interface;
  Le16(interface, static_cast<uint16_t>(LinkType(link)));
  Le16(interface, 0);
  Le32(interface, kSnapLength);  // no options: timestamps in microseconds
  block(kInterfaceBlock, interface);
  for (const CapturedFrame& frame : frames) {
    Bytes packet;
    const auto micros = static_cast<uint64_t>(frame.micros);
    Le32(packet, 0);  // interface 0
    Le32(packet, static_cast<uint32_t>(micros >> 32));
    Le32(packet, static_cast<uint32_t>(micros));
    Le32(packet, static_cast<uint32_t>(frame.bytes.size()));
    Le32(packet, static_cast<uint32_t>(frame.bytes.size()));
    Append(packet, frame.bytes);
    packet.resize((packet.size() + 3) / 4 * 4, 0);  // padded to 32 bits
    block(kEnhancedPacketBlock, packet);
  }
  return out;
}

}  // namespace ksim
