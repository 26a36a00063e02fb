// kestrel-dump over what the simulator writes: every message whole, and the
// capture cut short or damaged anywhere.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "dump/Dump.h"
#include "dump/Node.h"
#include "sim/Session.h"
#include "support/Corpus.h"

namespace {

struct Dumped {
  int status;
  std::vector<std::string> lines;
  std::string err;
};

Dumped Dump(const std::string& capture) {
  std::istringstream in(capture);
  std::ostringstream out;
  std::ostringstream err;
  Dumped run{kdump::DumpStream(in, {}, out, err), {}, err.str()};
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
  return run;
}

struct Capture {
  std::string bytes;
  std::vector<ksim::Message> messages;
};

Capture Simulated() {
  Capture capture;
  capture.messages = ksim::Session(7).Capture();
  for (const ksim::Message& message : capture.messages) {
    capture.bytes.append(message.bytes.begin(), message.bytes.end());
  }
  return capture;
}

TEST(Dump, DecodesEveryMessageTheSimulatorWrites) {
  const Capture capture = Simulated();
  const Dumped run = Dump(capture.bytes);
  EXPECT_EQ(run.status, kdump::kDumpOk);
  EXPECT_EQ(run.err, "");
  ASSERT_EQ(run.lines.size(), capture.messages.size());
  for (size_t i = 0; i < run.lines.size(); ++i) {
    const uint32_t type = capture.messages[i].type;
    const std::string& line = run.lines[i];
    SCOPED_TRACE(line.substr(0, 80));
    EXPECT_NE(line.find("\"type\":" + std::to_string(type) + ","), std::string::npos);
    const bool none = line.find("\"result\":null}") != std::string::npos;
    EXPECT_EQ(none, type == 58);  // only heartbeats yield no result
    for (const char c : line) ASSERT_LT(static_cast<unsigned char>(c), 0x80);
  }
}

// Each message cut at every byte, and with every byte damaged, behind a
// whole message: the whole one is printed, the cut is reported at its
// offset, and damage gives a result or an error with an offset.
TEST(Dump, CutAndDamagedMessages) {
  const Capture capture = Simulated();
  for (size_t i = 0; i < capture.messages.size(); ++i) {
    const auto text = [&](size_t k) {
      return std::string(capture.messages[k].bytes.begin(), capture.messages[k].bytes.end());
    };
    const std::string before = i == 0 ? "" : text(i - 1);
    const std::string message = text(i);
    for (size_t cut = 1; cut < message.size(); ++cut) {
      const Dumped run = Dump(before + message.substr(0, cut));
      ASSERT_EQ(run.status, kdump::kDumpMalformed) << i << "/" << cut;
      ASSERT_EQ(run.lines.size(), before.empty() ? 0u : 1u);
      ASSERT_EQ(run.err.rfind("kestrel-dump: byte " + std::to_string(before.size()) +
                                  ": input ends inside a message",
                              0),
                0u)
          << run.err;
    }
    for (size_t at = 0; at < message.size(); ++at) {
      std::string damaged = message;
      damaged[at] = static_cast<char>(damaged[at] ^ 0xFF);
      const Dumped run = Dump(before + damaged);
      ASSERT_TRUE(run.status == kdump::kDumpOk || (run.status == kdump::kDumpMalformed &&
                                                   run.err.rfind("kestrel-dump: byte ", 0) == 0))
          << i << "/" << at << ": " << run.err;
    }
  }
}

TEST(Dump, JsonNumbersAndTexts) {
  const struct {
    double value;
    const char* text;
  } numbers[] = {
      {10.25, "10.25"}, {500000, "500000"}, {-0.5, "-0.5"},    {0.1 + 0.2, "0.30000000000000004"},
      {1e20, "1e+20"},  {NAN, "null"},      {INFINITY, "null"}};
  for (const auto& row : numbers) EXPECT_EQ(kdump::FormatDouble(row.value), row.text);
  // Quotes, backslashes and control characters escaped; other bytes one
  // code point each, so the output is ASCII and the bytes are recoverable.
  std::string json;
  kdump::WriteJson(kdump::Node::Fields().Add("t", kdump::Node::Text("a\"b\\\n\xC3\xBF")), &json);
  EXPECT_EQ(json, R"({"t":"a\"b\\\u000a\u00c3\u00bf"})");
}

}  // namespace

namespace {

// The fuzz seed corpus and the kept regression inputs, each framed as one
// message: the dump prints each (or reports it malformed) and never fails
// any other way; every byte flipped in turn does the same.
TEST(Dump, SurvivesTheFuzzCorpus) {
  const std::vector<kt::CorpusFile> corpus = kt::ReadCorpus();
  ASSERT_GE(corpus.size(), 20u) << "the seed corpus was not written";
  for (const kt::CorpusFile& file : corpus) {
    SCOPED_TRACE(file.path);
    kt::Bytes message = kt::Framed(file.typeAndBody);
    for (size_t flip = 0; flip <= message.size(); ++flip) {
      kt::Bytes damaged = message;
      if (flip < damaged.size()) damaged[flip] ^= 0xFF;
      const Dumped run = Dump(std::string(damaged.begin(), damaged.end()));
      EXPECT_TRUE(run.status == kdump::kDumpOk || !run.err.empty()) << run.status;
    }
  }
}

}  // namespace
