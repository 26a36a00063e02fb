// Reading packet captures and putting TCP streams back together.
#include "capture/Capture.h"

#include <arpa/inet.h>
#include <pcap/pcap.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kcap {

namespace {

// Link types (as libpcap reports them) whose frames the reader unwraps.
constexpr int kLinkNull = 0;        // BSD loopback: 4-byte family
constexpr int kLinkEthernet = 1;    // Ethernet II, with VLAN tags
constexpr int kLinkRaw = 12;        // bare IP (LINKTYPE_RAW on Linux)
constexpr int kLinkRawAlt = 14;     // bare IP on some systems
constexpr int kLinkCooked = 113;    // Linux cooked capture, version 1
constexpr int kLinkCooked2 = 276;   // Linux cooked capture, version 2
constexpr int kLinkIpv4 = 228;      // bare IPv4
constexpr int kLinkIpv6 = 229;      // bare IPv6
constexpr int kLinkLoopback = 108;  // OpenBSD loopback: 4-byte family, network order

constexpr size_t kNullHeader = 4;
constexpr size_t kEthernetHeader = 14;
constexpr size_t kVlanTag = 4;
constexpr size_t kCookedHeader = 16;
constexpr size_t kCookedProtocolAt = 14;
constexpr size_t kCooked2Header = 20;
// Nested VLAN tags followed at most (QinQ and one more).
constexpr int kMaxVlanTags = 4;

constexpr uint16_t kEtherIpv4 = 0x0800;
constexpr uint16_t kEtherIpv6 = 0x86dd;
constexpr uint16_t kEtherVlan = 0x8100;
constexpr uint16_t kEtherQinQ = 0x88a8;
constexpr uint16_t kEtherVlanOld = 0x9100;

constexpr size_t kIpv4MinHeader = 20;
constexpr size_t kIpv6Header = 40;
constexpr uint8_t kProtocolTcp = 6;
constexpr uint16_t kIpv4MoreFragments = 0x2000;
constexpr uint16_t kIpv4FragmentOffset = 0x1fff;
// IPv6 extension headers that may stand before TCP, and how many are walked.
constexpr uint8_t kIpv6HopByHop = 0;
constexpr uint8_t kIpv6Routing = 43;
constexpr uint8_t kIpv6Fragment = 44;
constexpr uint8_t kIpv6DestOptions = 60;
constexpr int kMaxIpv6Extensions = 8;

constexpr size_t kTcpMinHeader = 20;
constexpr uint8_t kTcpFin = 0x01;
constexpr uint8_t kTcpSyn = 0x02;
constexpr uint8_t kTcpRst = 0x04;

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

std::string AddressText(int family, const uint8_t* bytes) {
  char text[INET6_ADDRSTRLEN] = {};
  inet_ntop(family, bytes, text, sizeof text);
  return text;
}

}  // namespace

std::string Connection::Name() const {
  auto text = [](const Endpoint& end) {
    const bool v6 = end.address.find(':') != std::string::npos;
    return (v6 ? "[" + end.address + "]" : end.address) + ":" + std::to_string(end.port);
  };
  return text(client) + " -> " + text(server);
}

// One direction of a connection.
struct Reader::Stream {
  bool started = false;
  bool ended = false;
  uint32_t base = 0;  // sequence number of stream offset 0
  uint64_t next = 0;  // the offset the stream waits for
  bool finSeen = false;
  uint64_t finAt = 0;                                // stream offset of the FIN
  std::map<uint64_t, std::vector<uint8_t>> pending;  // out-of-order bytes by offset
  size_t pendingBytes = 0;
};

struct Reader::Conn {
  Connection info;
  std::string key;
  Stream streams[2];
};

// One TCP segment of a followed connection, as the network layer gives it.
struct Reader::Segment {
  Timestamp time;
  Direction direction;
  std::string key;
  Endpoint client;
  Endpoint server;
  uint32_t seq;
  uint8_t flags;
  const uint8_t* payload;
  size_t size;
};

Reader::Reader() = default;

const Connection& Reader::ConnectionAt(int index) const {
  return connections_[static_cast<size_t>(index)]->info;
}

Reader::~Reader() {
  if (pcap_ != nullptr) pcap_close(static_cast<pcap_t*>(pcap_));  // closes memory_ too
}

bool Reader::Open(const std::string& path, uint16_t port, std::string* error) {
  char message[PCAP_ERRBUF_SIZE] = {};
  pcap_t* handle =
      pcap_open_offline_with_tstamp_precision(path.c_str(), PCAP_TSTAMP_PRECISION_NANO, message);
  if (handle == nullptr) {
    *error = message;
    return false;
  }
  return OpenHandle(handle, port, error);
}

bool Reader::OpenMemory(const uint8_t* bytes, size_t size, uint16_t port, std::string* error) {
  FILE* file = fmemopen(const_cast<uint8_t*>(bytes), size, "rb");
  if (file == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  char message[PCAP_ERRBUF_SIZE] = {};
  pcap_t* handle =
      pcap_fopen_offline_with_tstamp_precision(file, PCAP_TSTAMP_PRECISION_NANO, message);
  if (handle == nullptr) {
    std::fclose(file);
    *error = message;
    return false;
  }
  memory_ = file;
  return OpenHandle(handle, port, error);
}

bool Reader::OpenHandle(void* handle, uint16_t port, std::string* /*error*/) {
  pcap_ = handle;
  port_ = port;
  linkType_ = pcap_datalink(static_cast<pcap_t*>(handle));
  return true;
}

bool Reader::Next(Event* event) {
  while (queueNext_ == queue_.size()) {
    queue_.clear();
    held_.clear();
    queueNext_ = 0;
    if (finished_ || pcap_ == nullptr) return false;
    pcap_pkthdr* header = nullptr;
    const u_char* frame = nullptr;
    const int got = pcap_next_ex(static_cast<pcap_t*>(pcap_), &header, &frame);
    if (got == 1) {
      // Opened with nanosecond precision: the second field holds nanoseconds.
      const Timestamp time{header->ts.tv_sec, header->ts.tv_usec};
      last_ = time;
      if (header->caplen < header->len) ++skipped_.truncated;
      Packet(frame, header->caplen, time);
    } else {
      if (got == PCAP_ERROR) readError_ = pcap_geterr(static_cast<pcap_t*>(pcap_));
      Finish();
    }
  }
  *event = queue_[queueNext_++];
  return true;
}

void Reader::Packet(const uint8_t* frame, size_t size, Timestamp time) {
  // The link layer: find where the IP packet starts.
  size_t at = 0;
  uint16_t ether = 0;
  switch (linkType_) {
    case kLinkEthernet: {
      if (size < kEthernetHeader) return void(++skipped_.truncated);
      ether = Be16(frame + kEthernetHeader - 2);
      at = kEthernetHeader;
      for (int tags = 0; tags < kMaxVlanTags &&
                         (ether == kEtherVlan || ether == kEtherQinQ || ether == kEtherVlanOld);
           ++tags) {
        if (size < at + kVlanTag) return void(++skipped_.truncated);
        ether = Be16(frame + at + 2);
        at += kVlanTag;
      }
      break;
    }
    case kLinkCooked:
      if (size < kCookedHeader) return void(++skipped_.truncated);
      ether = Be16(frame + kCookedProtocolAt);
      at = kCookedHeader;
      break;
    case kLinkCooked2:
      if (size < kCooked2Header) return void(++skipped_.truncated);
      ether = Be16(frame);
      at = kCooked2Header;
      break;
    case kLinkNull:
    case kLinkLoopback:
      at = kNullHeader;
      break;
    case kLinkRaw:
    case kLinkRawAlt:
    case kLinkIpv4:
    case kLinkIpv6:
      break;
    default:
      return void(++skipped_.notFollowed);
  }
  if (ether == 0) {
    // No link-layer protocol field: the IP version nibble tells.
    if (size <= at) return void(++skipped_.truncated);
    const int version = frame[at] >> 4;
    ether = version == 4 ? kEtherIpv4 : version == 6 ? kEtherIpv6 : 0;
  }

  // The network layer: addresses, and where TCP starts and ends.
  Segment segment{};
  segment.time = time;
  std::string source, destination;
  const uint8_t* ip = frame + at;
  size_t left = size - std::min(size, at);
  if (ether == kEtherIpv4) {
    if (left < kIpv4MinHeader || ip[0] >> 4 != 4) return void(++skipped_.truncated);
    const size_t header = size_t{ip[0] & 0x0fu} * 4;
    const size_t total = Be16(ip + 2);
    if (header < kIpv4MinHeader || total < header || total > left) {
      return void(++skipped_.truncated);
    }
    if (ip[9] != kProtocolTcp) return void(++skipped_.notFollowed);
    if ((Be16(ip + 6) & (kIpv4MoreFragments | kIpv4FragmentOffset)) != 0) {
      return void(++skipped_.fragments);
    }
    source = AddressText(AF_INET, ip + 12);
    destination = AddressText(AF_INET, ip + 16);
    ip += header;
    left = total - header;
  } else if (ether == kEtherIpv6) {
    if (left < kIpv6Header || ip[0] >> 4 != 6) return void(++skipped_.truncated);
    const size_t payload = Be16(ip + 4);
    if (kIpv6Header + payload > left) return void(++skipped_.truncated);
    uint8_t next = ip[6];
    source = AddressText(AF_INET6, ip + 8);
    destination = AddressText(AF_INET6, ip + 24);
    ip += kIpv6Header;
    left = payload;
    for (int n = 0; n < kMaxIpv6Extensions && next != kProtocolTcp; ++n) {
      if (next == kIpv6Fragment) return void(++skipped_.fragments);
      if (next != kIpv6HopByHop && next != kIpv6Routing && next != kIpv6DestOptions) break;
      if (left < 8) return void(++skipped_.truncated);
      const size_t length = (size_t{ip[1]} + 1) * 8;
      if (length > left) return void(++skipped_.truncated);
      next = ip[0];
      ip += length;
      left -= length;
    }
    if (next != kProtocolTcp) return void(++skipped_.notFollowed);
  } else {
    return void(++skipped_.notFollowed);
  }

  // TCP.
  if (left < kTcpMinHeader) return void(++skipped_.truncated);
  const uint16_t sourcePort = Be16(ip);
  const uint16_t destinationPort = Be16(ip + 2);
  const size_t header = static_cast<size_t>(ip[12] >> 4) * 4;
  if (header < kTcpMinHeader || header > left) return void(++skipped_.truncated);
  if (destinationPort == port_) {
    segment.direction = Direction::kToServer;
    segment.client = {source, sourcePort};
    segment.server = {destination, destinationPort};
  } else if (sourcePort == port_) {
    segment.direction = Direction::kToClient;
    segment.client = {destination, destinationPort};
    segment.server = {source, sourcePort};
  } else {
    return void(++skipped_.notFollowed);
  }
  segment.key = segment.client.address + "|" + std::to_string(segment.client.port) + "|" +
                segment.server.address + "|" + std::to_string(segment.server.port);
  segment.seq = Be32(ip + 4);
  segment.flags = ip[13];
  segment.payload = ip + header;
  segment.size = left - header;
  Tcp(segment);
}

void Reader::Tcp(const Segment& segment) {
  auto found = live_.find(segment.key);
  if (found == live_.end()) {
    if (connections_.size() >= kMaxConnections) return void(++skipped_.notFollowed);
    auto conn = std::make_unique<Conn>();
    conn->info.index = static_cast<int>(connections_.size());
    conn->info.client = segment.client;
    conn->info.server = segment.server;
    conn->key = segment.key;
    found = live_.emplace(segment.key, conn->info.index).first;
    connections_.push_back(std::move(conn));
  }
  Conn& conn = *connections_[found->second];
  Deliver(conn, segment.direction, segment);
  if ((segment.flags & kTcpRst) != 0) {
    // A reset ends both directions; what is still missing in either is a gap.
    for (const Direction direction : {Direction::kToServer, Direction::kToClient}) {
      Stream& stream = conn.streams[static_cast<int>(direction)];
      if (!stream.ended) Stop(stream, conn.info.index, direction, segment.time, Missing(stream));
    }
  }
  if (conn.streams[0].ended && conn.streams[1].ended) live_.erase(conn.key);
}

void Reader::Deliver(Conn& conn, Direction direction, const Segment& segment) {
  Stream& stream = conn.streams[static_cast<int>(direction)];
  if (stream.ended) return;
  const bool syn = (segment.flags & kTcpSyn) != 0;
  if (!stream.started) {
    // Offsets count from the byte after the SYN, or from the first segment
    // seen when the capture began after the handshake.
    stream.started = true;
    stream.base = syn ? segment.seq + 1 : segment.seq;
  }
  const uint32_t dataSeq = syn ? segment.seq + 1 : segment.seq;
  // The offset nearest to the one awaited: sequence numbers wrap at 2^32,
  // and a segment lies within 2^31 bytes of the stream's position.
  const auto distance =
      static_cast<int32_t>(dataSeq - stream.base - static_cast<uint32_t>(stream.next));
  int64_t offset = static_cast<int64_t>(stream.next) + distance;
  const uint8_t* bytes = segment.payload;
  size_t size = segment.size;
  if (offset < 0) {
    // Starts before the stream: keep the part from offset 0 on.
    const auto before = static_cast<size_t>(-offset);
    if (size <= before) size = 0;
    bytes += std::min(size, before);
    size -= std::min(size, before);
    offset = 0;
  }
  const auto start = static_cast<uint64_t>(offset);
  if ((segment.flags & kTcpFin) != 0 && !stream.finSeen) {
    stream.finSeen = true;
    stream.finAt = start + size;
  }
  if (size > 0 && start + size > stream.next) {
    if (start <= stream.next) {
      // In order, possibly overlapping what was delivered: keep the new part.
      const size_t skip = static_cast<size_t>(stream.next - start);
      Data(stream, conn.info.index, direction, bytes + skip, bytes + size, segment.time);
      Drain(stream, conn.info.index, direction, segment.time);
    } else if (stream.pendingBytes + size > maxPending_) {
      // Too much waits behind the hole: the missing segment is taken as lost.
      skipped_.overflowBytes += size;
      Stop(stream, conn.info.index, direction, segment.time, true);
      return;
    } else {
      auto& slot = stream.pending[start];
      if (slot.size() < size) {
        stream.pendingBytes += size - slot.size();
        slot.assign(bytes, bytes + size);
      }
    }
  }
  if (stream.finSeen && stream.next >= stream.finAt) {
    Stop(stream, conn.info.index, direction, segment.time, false);
  }
}

void Reader::Drain(Stream& stream, int index, Direction direction, Timestamp time) {
  while (!stream.pending.empty() && stream.pending.begin()->first <= stream.next) {
    auto first = stream.pending.begin();
    const uint64_t start = first->first;
    std::vector<uint8_t>& bytes = first->second;
    const uint64_t end = start + bytes.size();
    if (end > stream.next) {
      Data(stream, index, direction, bytes.data() + (stream.next - start),
           bytes.data() + bytes.size(), time);
    }
    stream.pendingBytes -= bytes.size();
    stream.pending.erase(first);
  }
}

void Reader::Data(Stream& stream, int index, Direction direction, const uint8_t* begin,
                  const uint8_t* end, Timestamp time) {
  Event event;
  event.kind = Event::Kind::kData;
  event.connection = index;
  event.direction = direction;
  event.offset = stream.next;
  held_.emplace_back(begin, end);
  event.data = held_.back().data();
  event.size = held_.back().size();
  event.time = time;
  queue_.push_back(event);
  stream.next += event.size;
}

bool Reader::Missing(const Stream& stream) {
  return !stream.pending.empty() || (stream.finSeen && stream.finAt > stream.next);
}

void Reader::Stop(Stream& stream, int index, Direction direction, Timestamp time, bool gap) {
  // After a gap the direction is not resumed: nothing in the protocol marks
  // where the next message starts, so no later byte could be placed safely.
  Event event;
  event.kind = gap ? Event::Kind::kGap : Event::Kind::kEnd;
  event.connection = index;
  event.direction = direction;
  event.offset = stream.next;
  event.gapEnd = stream.pending.empty() ? stream.next : stream.pending.begin()->first;
  if (gap && stream.pending.empty() && stream.finSeen && stream.finAt > stream.next) {
    event.gapEnd = stream.finAt;
  }
  event.time = time;
  queue_.push_back(event);
  stream.ended = true;
  stream.pending.clear();
  stream.pendingBytes = 0;
}

void Reader::Finish() {
  finished_ = true;
  for (const auto& conn : connections_) {
    for (const Direction direction : {Direction::kToServer, Direction::kToClient}) {
      Stream& stream = conn->streams[static_cast<int>(direction)];
      if (stream.ended) continue;
      Stop(stream, conn->info.index, direction, last_, Missing(stream));
    }
  }
  live_.clear();
}

}  // namespace kcap
