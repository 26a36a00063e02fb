// kestrel-dump over packet captures of simulated sessions: the server's
// messages are those of the byte stream whatever the link, IP version, file
// format, segment order or repetition; a lost segment is a reported gap;
// several connections are kept apart; the client's requests decode to what
// they were encoded from.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dump/Dump.h"
#include "sim/Pcap.h"
#include "sim/Requests.h"
#include "sim/Session.h"

namespace {

using ksim::Bytes;
using ksim::Endpoints;
using ksim::LinkFrame;
using ksim::Segment;

struct Dumped {
  int status;
  std::vector<std::string> lines;
  std::string err;
};

Dumped DumpCapture(const Bytes& capture, kdump::DumpOptions options = {}) {
  options.port = 9100;
  std::ostringstream out, err;
  Dumped run{
      kdump::DumpCaptureBytes(capture.data(), capture.size(), options, out, err), {}, err.str()};
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
  return run;
}

std::vector<std::string> DumpBytes(const Bytes& stream) {
  std::istringstream in(std::string(stream.begin(), stream.end()));
  std::ostringstream out, err;
  EXPECT_EQ(kdump::DumpStream(in, {}, out, err), kdump::kDumpOk);
  std::vector<std::string> lines;
  std::istringstream text(out.str());
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

// The server lines of one connection, without the fields that say where
// they were found: what remains is what the byte stream's lines hold.
std::vector<std::string> ServerMessages(const std::vector<std::string>& lines, int connection) {
  std::vector<std::string> out;
  const std::string start = "{\"connection\":" + std::to_string(connection) + ",";
  const std::string from = "\"from\":\"server\",";
  for (const std::string& line : lines) {
    const size_t at = line.find(from);
    if (line.rfind(start, 0) != 0 || at == std::string::npos ||
        line.find("\"gap\"") != std::string::npos)
      continue;
    out.push_back("{" + line.substr(at + from.size()));
  }
  return out;
}

std::vector<std::string> Matching(const std::vector<std::string>& lines, const std::string& part) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) out.push_back(line);
  }
  return out;
}

struct Session {
  std::vector<ksim::Message> messages;
  Bytes stream;
};

Session Simulated(uint64_t seed) {
  Session session{ksim::Session(seed).Capture(), {}};
  for (const auto& message : session.messages) {
    session.stream.insert(session.stream.end(), message.bytes.begin(), message.bytes.end());
  }
  return session;
}

std::vector<Segment> Connection(const Session& session, const Endpoints& ends, uint64_t seed) {
  return ksim::SessionConnection(session.messages, ksim::SessionRequests(), ends, seed,
                                 ksim::kSessionStartMicros)
      .segments();
}

Endpoints V6() {
  Endpoints ends;
  ends.ipv6 = true;
  ends.clientAddress = Bytes{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  ends.serverAddress = Bytes{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  return ends;
}

// Initial sequence numbers just below 2^32: both streams wrap.
Endpoints Wrapping() {
  Endpoints ends;
  ends.clientIsn = 0xfffffff0u;
  ends.serverIsn = 0xffffff00u;
  return ends;
}

TEST(CaptureDump, EveryLinkAndFormatGivesTheByteStreamsMessages) {
  const Session session = Simulated(3);
  const std::vector<std::string> expected = DumpBytes(session.stream);
  const struct {
    const char* name;
    Endpoints ends;
    LinkFrame link;
    bool pcapng;
  } rows[] = {
      {"Ethernet, IPv4, pcap", Endpoints{}, LinkFrame::kEthernet, false},
      {"VLAN, IPv4, pcapng", Endpoints{}, LinkFrame::kVlan, true},
      {"Linux cooked, IPv6, pcap", V6(), LinkFrame::kCooked, false},
      {"Ethernet, IPv6, pcapng", V6(), LinkFrame::kEthernet, true},
      {"VLAN, wrapping sequence numbers, pcap", Wrapping(), LinkFrame::kVlan, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto frames = ksim::Frames(Connection(session, row.ends, 5), row.ends, row.link);
    const Bytes file =
        row.pcapng ? ksim::PcapngFile(frames, row.link) : ksim::PcapFile(frames, row.link);
    const Dumped run = DumpCapture(file);
    EXPECT_EQ(run.status, kdump::kDumpOk) << run.err;
    EXPECT_EQ(ServerMessages(run.lines, 0), expected);
    EXPECT_EQ(Matching(run.lines, "\"from\":\"client\"").size(), ksim::SessionRequests().size());
  }
  // The addresses of the connection, IPv6 in brackets.
  const Endpoints v6 = V6();
  const Dumped run = DumpCapture(ksim::PcapFile(
      ksim::Frames(Connection(session, v6, 5), v6, LinkFrame::kEthernet), LinkFrame::kEthernet));
  ASSERT_FALSE(run.lines.empty());
  EXPECT_NE(run.lines[0].find("\"peer\":\"[2001:db8::1]:40000 -> [2001:db8::2]:9100\""),
            std::string::npos);
}

// Segments out of order, repeated, and sent again overlapping their
// neighbours: the streams come out the same.
TEST(CaptureDump, ReassemblesReorderedDuplicatedAndOverlappingSegments) {
  const Session session = Simulated(4);
  const std::vector<std::string> expected = DumpBytes(session.stream);
  const Endpoints ends;
  const std::vector<Segment> sent = Connection(session, ends, 9);
  ksim::Random random(11);

  std::vector<Segment> reordered = sent;
  // Swap neighbours at random after the handshake, and move some segments
  // several places later.
  for (size_t i = 3; i + 1 < reordered.size(); ++i) {
    if (random.Between(0, 2) == 0) std::swap(reordered[i], reordered[i + 1]);
  }
  for (size_t i = 3; i + 6 < reordered.size(); i += 7) {
    std::rotate(reordered.begin() + static_cast<long>(i),
                reordered.begin() + static_cast<long>(i) + 1,
                reordered.begin() + static_cast<long>(i) + 6);
  }

  std::vector<Segment> duplicated;
  for (const Segment& segment : sent) {
    duplicated.push_back(segment);
    if (random.Between(0, 1) == 0) duplicated.push_back(segment);  // a retransmission
  }

  // Each data segment is also sent again with the tail of the one before it
  // in front: overlaps that start inside delivered bytes.
  std::vector<Segment> overlapping;
  for (size_t i = 0; i < sent.size(); ++i) {
    overlapping.push_back(sent[i]);
    if (i == 0 || sent[i].payload.empty() || sent[i - 1].payload.empty() ||
        sent[i - 1].toServer != sent[i].toServer) {
      continue;
    }
    Segment merged = sent[i];
    const Bytes& before = sent[i - 1].payload;
    const size_t take = (before.size() + 1) / 2;
    merged.seq -= static_cast<uint32_t>(take);
    merged.payload.insert(merged.payload.begin(), before.end() - static_cast<long>(take),
                          before.end());
    overlapping.insert(overlapping.end() - 1, merged);  // the wider one first
  }

  for (const auto& [name, segments] : std::map<std::string, std::vector<Segment>>{
           {"reordered", reordered}, {"duplicated", duplicated}, {"overlapping", overlapping}}) {
    SCOPED_TRACE(name);
    const Dumped run = DumpCapture(
        ksim::PcapFile(ksim::Frames(segments, ends, LinkFrame::kEthernet), LinkFrame::kEthernet));
    EXPECT_EQ(run.status, kdump::kDumpOk) << run.err;
    EXPECT_EQ(ServerMessages(run.lines, 0), expected);
    EXPECT_EQ(Matching(run.lines, "\"check_ok\":true,\"complete\":true").size(),
              ksim::SessionRequests().size());
  }
}

// A lost server segment: the gap is reported with its offsets, every message
// before it is decoded, nothing after it in that direction is, and the
// client's direction goes on.
TEST(CaptureDump, ALostSegmentIsAReportedGap) {
  const Session session = Simulated(5);
  const std::vector<std::string> expected = DumpBytes(session.stream);
  const Endpoints ends;
  std::vector<Segment> segments = Connection(session, ends, 13);
  size_t lost = 0;
  for (size_t i = segments.size() / 2; i < segments.size(); ++i) {
    if (!segments[i].toServer && !segments[i].payload.empty()) {
      lost = i;
      break;
    }
  }
  ASSERT_NE(lost, 0u);
  const uint64_t from = segments[lost].seq - (ends.serverIsn + 1);
  const uint64_t to = from + segments[lost].payload.size();
  segments.erase(segments.begin() + static_cast<long>(lost));

  const Dumped run = DumpCapture(
      ksim::PcapFile(ksim::Frames(segments, ends, LinkFrame::kEthernet), LinkFrame::kEthernet));
  EXPECT_EQ(run.status, kdump::kDumpGap);
  const auto gaps = Matching(run.lines, "\"gap\"");
  ASSERT_EQ(gaps.size(), 1u);
  EXPECT_NE(gaps[0].find("\"gap\":{\"from\":" + std::to_string(from) +
                         ",\"to\":" + std::to_string(to) + "}"),
            std::string::npos)
      << gaps[0];
  EXPECT_NE(run.err.find("bytes " + std::to_string(from) + " to " + std::to_string(to) +
                         " were not captured"),
            std::string::npos)
      << run.err;
  // The messages that ended before the gap, and none after.
  std::vector<std::string> before;
  for (const std::string& line : expected) {
    const size_t offset = std::stoull(line.substr(line.find("\"offset\":") + 9));
    const size_t size = std::stoull(line.substr(line.find("\"size\":") + 7));
    if (offset + size <= from) before.push_back(line);
  }
  EXPECT_EQ(ServerMessages(run.lines, 0), before);
  EXPECT_EQ(Matching(run.lines, "\"from\":\"client\",\"offset\"").size(),
            ksim::SessionRequests().size());
}

TEST(CaptureDump, KeepsSeveralConnectionsApart) {
  const Session first = Simulated(6), second = Simulated(7);
  Endpoints a, b = V6();
  b.clientPort = 40001;
  std::vector<Segment> both;
  std::vector<bool> fromA;
  const std::vector<Segment> one = Connection(first, a, 1), two = Connection(second, b, 2);
  // Interleaved by capture time, as one capture of two clients.
  std::vector<ksim::CapturedFrame> frames = ksim::Frames(one, a, LinkFrame::kEthernet);
  const auto more = ksim::Frames(two, b, LinkFrame::kEthernet);
  frames.insert(frames.end(), more.begin(), more.end());
  std::stable_sort(frames.begin(), frames.end(),
                   [](const auto& x, const auto& y) { return x.micros < y.micros; });
  const Dumped run = DumpCapture(ksim::PcapngFile(frames, LinkFrame::kEthernet));
  EXPECT_EQ(run.status, kdump::kDumpOk) << run.err;
  EXPECT_EQ(ServerMessages(run.lines, 0), DumpBytes(first.stream));
  EXPECT_EQ(ServerMessages(run.lines, 1), DumpBytes(second.stream));
}

// The requests of the simulated terminal, as kestrel-sim --pcap writes them:
// the fields are the encoders' arguments (see sim/Requests.cpp).
TEST(CaptureDump, RequestsDecodeToTheFieldsTheyWereEncodedFrom) {
  const Session session = Simulated(1);
  const Endpoints ends;
  const Dumped run = DumpCapture(
      ksim::PcapFile(ksim::Frames(Connection(session, ends, 1), ends, LinkFrame::kEthernet),
                     LinkFrame::kEthernet));
  const std::vector<std::string> requests = Matching(run.lines, "\"from\":\"client\"");
  const char* expected[] = {
      R"("type":80,"name":"login","check_ok":true,"complete":true,"trailing":0,"request":{"first":1,"second":2,"services":[5,7],"user":"demo"}})",
      R"("type":26,"name":"subscription list","check_ok":true,"complete":true,"trailing":0,"request":{}})",
      R"("type":59,"name":"status test","check_ok":true,"complete":true,"trailing":0,"request":{"value1":1,"value2":-2,"value3":1700000000,"value5":5,"value4":4}})",
      R"("type":48,"name":"raw data","check_ok":true,"complete":true,"trailing":0,"request":{"bytes":"ready"}})",
      R"("type":32,"name":"subscription commit","check_ok":true,"complete":true,"trailing":0,"request":{"unsubscribe":[{"code":"000001.SZ","ids":[3]}],"subscribe":[{"code":"600000.SH","ids":[2,3,8,59]},{"code":"0700.HK","ids":[2,3,57,58]}]}})",
      R"("type":24,"name":"masked commit","check_ok":true,"complete":true,"trailing":0,"request":{"unsubscribe":"empty","subscribe":[{"code":"600000.SH","ids":[2,3,4,8,59,131]},{"code":"000001.SZ","ids":[2,3,4]}]}})",
  };
  ASSERT_GE(requests.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_NE(requests[i].find(expected[i]), std::string::npos) << requests[i];
  }
  const std::vector<std::string> ranking = Matching(requests, "\"type\":34,");
  ASSERT_EQ(ranking.size(), 1u);
  EXPECT_NE(
      ranking[0].find(
          R"("request":{"id":2,"one":1,"range":19,"first":"Gainers","second":"all","codes":["600000.SH"],"r":10,"direction":2})"),
      std::string::npos)
      << ranking[0];
}

TEST(CaptureDump, StatisticsAndFiltersOverACapture) {
  const Session session = Simulated(1);
  const Endpoints ends;
  const Bytes file = ksim::PcapFile(
      ksim::Frames(Connection(session, ends, 1), ends, LinkFrame::kEthernet), LinkFrame::kEthernet);
  kdump::DumpOptions options;
  options.stats = true;
  options.quiet = true;
  Dumped run = DumpCapture(file, options);
  ASSERT_EQ(run.lines.size(), 1u);
  const std::string& stats = run.lines[0];
  EXPECT_NE(stats.find("\"server\":{\"messages\":" + std::to_string(session.messages.size()) +
                       ",\"bytes\":" + std::to_string(session.stream.size()) + "}"),
            std::string::npos)
      << stats;
  EXPECT_NE(
      stats.find("\"client\":{\"messages\":" + std::to_string(ksim::SessionRequests().size())),
      std::string::npos);
  EXPECT_NE(stats.find("\"errors\":0,\"securities\":10,\"first\":\"2023-11-14T22:13:20."),
            std::string::npos)
      << stats;

  options = {};
  options.types = {64, 32};
  options.codes = {"0700.HK"};
  run = DumpCapture(file, options);
  ASSERT_FALSE(run.lines.empty());
  for (const std::string& line : run.lines) {
    EXPECT_TRUE(line.find("\"type\":64,") != std::string::npos ||
                line.find("\"type\":32,") != std::string::npos);
    EXPECT_NE(line.find("\"0700.HK\""), std::string::npos);
  }
  EXPECT_EQ(Matching(run.lines, "\"from\":\"client\"").size(), 1u);  // the commit
  options.count = 2;
  EXPECT_EQ(DumpCapture(file, options).lines.size(), 2u);
}

TEST(CaptureDump, RefusesWhatIsNotACapture) {
  const Bytes nonsense = {0xd4, 0xc3, 0xb2, 0xa1, 1, 2, 3};
  const Dumped run = DumpCapture(nonsense);
  EXPECT_EQ(run.status, kdump::kDumpMalformed);
  EXPECT_EQ(run.err.rfind("kestrel-dump: cannot read the capture: ", 0), 0u) << run.err;
}

}  // namespace
