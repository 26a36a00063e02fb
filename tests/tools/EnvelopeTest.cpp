// What kestrel-dump says about refused envelopes, and its selection and
// statistics over the byte stream.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "dump/Dump.h"
#include "dump/Envelope.h"
#include "sim/Session.h"
#include "wire/MessageBuilder.h"

namespace {

using kwire::Bytes;

std::string Refusal(const Bytes& message) {
  return kdump::EnvelopeRefusal(reinterpret_cast<const char*>(message.data()),
                                static_cast<int>(message.size()));
}

TEST(EnvelopeRefusal, TellsTheReasonsApart) {
  const Bytes deflated = kwire::Deflate(kwire::Frame(64, {0x81, 0x82}));
  const struct {
    const char* name;
    Bytes message;
    const char* reason;
  } rows[] = {
      {"empty", kwire::Frame(54, {}), "the envelope has an empty payload"},
      {"not zlib", kwire::Frame(54, {0x01, 0x02, 0x03, 0x04}), "the payload is not a zlib stream"},
      {"cut short", kwire::Frame(54, Bytes(deflated.begin(), deflated.end() - 3)),
       "the zlib stream is cut short"},
      // 100 MiB and one byte of zeros: past what the library inflates.
      {"too large", kwire::Frame(54, kwire::Deflate(Bytes(104857601, 0), 1)),
       "the payload inflates to more than 104857600 bytes, the most the library accepts"},
      {"inner message", kwire::Compressed({0x00}),
       "the payload inflates to 1 bytes, but the message"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Refusal(row.message).rfind(row.reason, 0), 0u)
        << row.name << ": " << Refusal(row.message);
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Stream {
  std::vector<ksim::Message> messages = ksim::Session(2).Capture();
  std::string bytes;
  Stream() {
    for (const auto& message : messages) bytes.append(message.bytes.begin(), message.bytes.end());
  }
};

std::vector<std::string> Dump(const Stream& stream, const kdump::DumpOptions& options,
                              int* status = nullptr) {
  std::istringstream in(stream.bytes);
  std::ostringstream out, err;
  const int result = kdump::DumpStream(in, options, out, err);
  if (status != nullptr) *status = result;
  return Lines(out.str());
}

TEST(DumpSelection, TypesCodesAndCount) {
  const Stream stream;
  kdump::DumpOptions options;
  options.types = {3, 5};
  size_t klines = 0;
  for (const auto& message : stream.messages) klines += message.type == 3 || message.type == 5;
  EXPECT_EQ(Dump(stream, options).size(), klines);

  options = {};
  options.codes = {"IF2406.CFE"};
  const auto futures = Dump(stream, options);
  ASSERT_FALSE(futures.empty());
  for (const auto& line : futures) EXPECT_NE(line.find("\"IF2406.CFE\""), std::string::npos);

  options.count = 1;
  int status = -1;
  EXPECT_EQ(Dump(stream, options, &status).size(), 1u);
  EXPECT_EQ(status, kdump::kDumpOk);
}

TEST(DumpSelection, StatisticsCountTypesEnvelopesAndSecurities) {
  const Stream stream;
  kdump::DumpOptions options;
  options.stats = true;
  options.quiet = true;
  const auto lines = Dump(stream, options);
  ASSERT_EQ(lines.size(), 1u);
  size_t envelopes = 0, envelopeBytes = 0, quotes = 0;
  for (const auto& message : stream.messages) {
    if (message.bytes.size() > 1 && message.bytes[message.bytes[0] & 0x80 ? 1 : 2] == (0x80 | 54)) {
      ++envelopes;
      envelopeBytes += message.bytes.size();
    }
    quotes += message.type == 64;
  }
  const std::string& stats = lines[0];
  EXPECT_NE(stats.find("\"server\":{\"messages\":" + std::to_string(stream.messages.size()) +
                       ",\"bytes\":" + std::to_string(stream.bytes.size()) + "}"),
            std::string::npos)
      << stats;
  EXPECT_NE(stats.find("\"compressed\":{\"messages\":" + std::to_string(envelopes) +
                       ",\"bytes\":" + std::to_string(envelopeBytes) + "}"),
            std::string::npos)
      << stats;
  EXPECT_NE(
      stats.find("{\"type\":64,\"name\":\"quote update\",\"messages\":" + std::to_string(quotes)),
      std::string::npos);
  EXPECT_NE(stats.find("\"errors\":0,\"securities\":10}"), std::string::npos) << stats;
  EXPECT_EQ(stats.find("\"client\""), std::string::npos);  // a byte stream has no requests
}

// Quiet statistics visit the quote messages instead of decoding them: the
// counts, errors and securities stay those of the printed run, over whole
// messages, cut ones (emptied or no result) and broken envelopes.
TEST(DumpSelection, QuietStatisticsMatchThePrintedOnes) {
  Stream stream;
  for (const auto& message : Stream().messages) {
    if (message.type != 64 && message.type != 24 && message.type != 33) continue;
    const size_t prefix = (message.bytes[0] & 0x80) != 0 ? 1 : 2;
    const Bytes typeAndBody(message.bytes.begin() + static_cast<std::ptrdiff_t>(prefix),
                            message.bytes.end());
    for (size_t n = 1; n < typeAndBody.size(); n += 3) {
      Bytes cut = kwire::StopBitUnsigned(n);
      cut.insert(cut.end(), typeAndBody.begin(),
                 typeAndBody.begin() + static_cast<std::ptrdiff_t>(n));
      stream.bytes.append(cut.begin(), cut.end());
    }
  }
  const Bytes broken = kwire::Frame(54, {1, 2, 3});
  stream.bytes.append(broken.begin(), broken.end());
  kdump::DumpOptions options;
  options.stats = true;
  const std::vector<std::string> printed = Dump(stream, options);
  options.quiet = true;
  const std::vector<std::string> quiet = Dump(stream, options);
  ASSERT_EQ(quiet.size(), 1u);
  ASSERT_FALSE(printed.empty());
  EXPECT_EQ(quiet[0], printed.back());
  EXPECT_EQ(quiet[0].find("\"errors\":0"), std::string::npos) << quiet[0];
}

}  // namespace
