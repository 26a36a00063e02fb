// Visiting quote messages: what kestrel::visitQuotes hands over is what
// DecodeOneMessage's records hold, value for value and bit for bit, over
// the sample session, the fuzz corpus, the regression inputs and every cut
// of the session's quote messages; and the visit's own contract (statuses,
// envelopes, members a visitor leaves out).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "support/Corpus.h"
#include "support/MessageBuilder.h"
#include "support/Session.h"
#include "support/VisitOracle.h"

namespace {

using kt::Bytes;
using kt::SessionMessages;

std::string Compare(const Bytes& message) {
  // A private copy: the visit may read only the message's own bytes.
  const std::vector<char> copy(message.begin(), message.end());
  if (copy.empty()) return "";
  return kt::CompareVisitWithRecords(copy.data(), copy.size());
}

// The message's type and body, whatever its length prefix.
Bytes TypeAndBody(const Bytes& message) {
  size_t prefix = 0;
  while (prefix < message.size() && (message[prefix] & 0x80) == 0) ++prefix;
  return Bytes(message.begin() + static_cast<std::ptrdiff_t>(prefix + 1), message.end());
}

struct Counter {
  int securities = 0;
  int entries = 0;
  void onSecurity(const kestrel::Security&) { ++securities; }
  void onEntry(const kestrel::Entry&) { ++entries; }
};

TEST(QuoteVisit, SessionMatchesTheRecords) {
  const std::vector<Bytes> messages = SessionMessages();
  ASSERT_GT(messages.size(), 30u);
  int visited = 0;
  for (size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(Compare(messages[i]), "") << "message " << i;
    Counter counter;
    if (kestrel::visitQuotes(messages[i].data(), messages[i].size(), counter)) ++visited;
  }
  // Quote updates (three inside envelopes), masked messages, simple indicators.
  EXPECT_EQ(visited, 9);
}

TEST(QuoteVisit, CorpusAndRegressionsMatchTheRecords) {
  int files = 0;
  for (const kt::CorpusFile& file : kt::ReadCorpus()) {
    EXPECT_EQ(Compare(kt::Framed(file.typeAndBody)), "") << file.path;
    ++files;
  }
  EXPECT_GT(files, 0);
}

// Every cut of the session's quote messages, plain and in an envelope: the
// statuses and values still agree with the records of the same bytes.
TEST(QuoteVisit, EveryCutMatchesTheRecords) {
  int cuts = 0;
  for (const Bytes& message : SessionMessages()) {
    const Bytes typeAndBody = TypeAndBody(message);
    if (typeAndBody.empty() || !kt::Visitable(typeAndBody[0] & 0x7f)) continue;
    for (size_t n = 1; n <= typeAndBody.size(); ++n) {
      const Bytes cut = kt::Framed(
          Bytes(typeAndBody.begin(), typeAndBody.begin() + static_cast<std::ptrdiff_t>(n)));
      ASSERT_EQ(Compare(cut), "") << "cut at " << n;
      ASSERT_EQ(Compare(kt::Compressed(cut)), "") << "enveloped cut at " << n;
      ++cuts;
    }
  }
  EXPECT_GT(cuts, 500);
}

TEST(QuoteVisit, StatusesFollowTheRecords) {
  struct Case {
    const char* name;
    Bytes message;
    kestrel::VisitStatus status;
  };
  kt::MessageBuilder error;
  error.UInt(0).UInt(7);  // no securities: the server's error code 7
  kt::MessageBuilder negative;
  negative.UInt(0xFFFFFFFFu);  // a negative security count
  kt::MessageBuilder noSimple;
  noSimple.UInt(0);
  kt::MessageBuilder badCode;
  badCode.UInt(1).UInt(0);  // a code that reads empty
  const Case cases[] = {
      {"error code", kt::Frame(64, error.Bytes()), kestrel::VisitStatus::Decoded},
      {"negative count", kt::Frame(64, negative.Bytes()), kestrel::VisitStatus::NoResult},
      {"no simple indicators", kt::Frame(33, noSimple.Bytes()), kestrel::VisitStatus::NoResult},
      {"unreadable code", kt::Frame(64, badCode.Bytes()), kestrel::VisitStatus::Emptied},
      {"masked, no ids", kt::Frame(24, noSimple.Bytes()), kestrel::VisitStatus::Decoded},
      {"masked, unreadable code", kt::Frame(25, badCode.Bytes()), kestrel::VisitStatus::Emptied},
      {"heartbeat", kt::Frame(58, {}), kestrel::VisitStatus::NotQuotes},
      {"broken envelope", kt::Frame(54, {1, 2, 3}), kestrel::VisitStatus::NoResult},
  };
  for (const Case& c : cases) {
    Counter counter;
    const kestrel::Visited visited =
        kestrel::visitQuotes(c.message.data(), c.message.size(), counter);
    EXPECT_EQ(visited.status, c.status) << c.name;
    EXPECT_EQ(Compare(c.message), "") << c.name;
  }
}

TEST(QuoteVisit, ErrorCodeAndTypeReachTheVisitor) {
  kt::MessageBuilder body;
  body.UInt(0).UInt(7);
  struct Errors {
    int error = 0;
    kestrel::MessageType type = kestrel::MessageType::None;
    void onError(int code) { error = code; }
    void onMessage(kestrel::MessageType t) { type = t; }
  } errors;
  const Bytes message = kt::Compressed(kt::Frame(64, body.Bytes()));
  const kestrel::Visited visited = kestrel::visitQuotes(message.data(), message.size(), errors);
  EXPECT_TRUE(visited);
  EXPECT_EQ(errors.error, 7);
  EXPECT_EQ(errors.type, kestrel::MessageType::QuoteUpdate);
  EXPECT_EQ(visited.type, kestrel::MessageType::QuoteUpdate);
}

// Envelopes inside envelopes are visited down to the depth the decoder
// allows, and refused below it exactly as the records are.
TEST(QuoteVisit, NestedEnvelopesStopWhereTheRecordsDo) {
  const std::vector<Bytes> messages = SessionMessages();
  Bytes message;
  for (const Bytes& m : messages) {
    const Bytes typeAndBody = TypeAndBody(m);
    if (!typeAndBody.empty() && (typeAndBody[0] & 0x7f) == 64) message = m;
  }
  ASSERT_FALSE(message.empty());
  bool refused = false;
  for (int depth = 0; depth < 8; ++depth) {
    EXPECT_EQ(Compare(message), "") << "depth " << depth;
    Counter counter;
    const kestrel::Visited visited = kestrel::visitQuotes(message.data(), message.size(), counter);
    if (visited.status == kestrel::VisitStatus::NoResult) refused = true;
    message = kt::Compressed(message);
  }
  EXPECT_TRUE(refused);
}

TEST(QuoteVisit, BytesShortOfAWholeMessageAreNotVisited) {
  const Bytes message = SessionMessages()[5];
  Counter counter;
  EXPECT_EQ(kestrel::visitQuotes(message.data(), message.size() - 1, counter).status,
            kestrel::VisitStatus::NotQuotes);
  EXPECT_EQ(counter.securities, 0);
  EXPECT_EQ(kestrel::visitQuotes(static_cast<const char*>(nullptr), 0, counter).status,
            kestrel::VisitStatus::NotQuotes);
}

}  // namespace
