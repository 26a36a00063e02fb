// The reusable series set (KestrelSeries.hpp): it holds exactly what the
// history records of DecodeOneMessage hold, over the sample session and the
// fuzz corpus, alone, inside compressed envelopes and cut at every length;
// and its face reads headers and columns by indicator id.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "support/Corpus.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"
#include "support/SeriesOracle.h"
#include "support/Session.h"

namespace {

using kt::Bytes;
using kt::MessageBuilder;
using kt::SessionMessages;

// Decodes `message` into `set` and with DecodeOneMessage; both must report
// the same type, the set must call it a series message exactly when it is
// one, and hold what the records hold.
void ExpectSameAsRecords(kestrel::SeriesSet& set, const Bytes& message) {
  const kt::Decoded records(message);
  const kestrel::SeriesSet::Decoded decoded = set.decode(message.data(), message.size());
  ASSERT_EQ(static_cast<int>(decoded.type), records.Type());
  EXPECT_EQ(decoded.series, kt::IsSeriesMessageType(records.Type()));
  EXPECT_EQ(kt::SeriesMismatch(set.raw(), records.Result(), records.Type()), "");
}

TEST(SeriesSet, HoldsWhatTheRecordsHoldOverTheSampleSession) {
  const std::vector<Bytes> session = SessionMessages();
  ASSERT_GE(session.size(), 10u);
  kestrel::SeriesSet set;  // one set for the whole session, as a host keeps it
  int seriesMessages = 0;
  for (size_t i = 0; i < session.size(); ++i) {
    SCOPED_TRACE("message " + std::to_string(i));
    ExpectSameAsRecords(set, session[i]);
    ExpectSameAsRecords(set, kt::Compressed(session[i]));
    seriesMessages += set.decode(session[i].data(), session[i].size()) ? 1 : 0;
  }
  EXPECT_GT(seriesMessages, 0);
}

TEST(SeriesSet, HoldsWhatTheRecordsHoldOverTheCorpusWholeAndCut) {
  const std::vector<kt::CorpusFile> corpus = kt::ReadCorpus();
  ASSERT_GE(corpus.size(), 20u);
  kestrel::SeriesSet set;
  for (const kt::CorpusFile& file : corpus) {
    SCOPED_TRACE(file.path);
    const Bytes whole = kt::Framed(file.typeAndBody);
    ExpectSameAsRecords(set, whole);
    ExpectSameAsRecords(set, kt::Compressed(whole));
    if (!set.decode(whole.data(), whole.size())) continue;
    // Every cut of a series message: each reads what its records read.
    for (size_t cut = 0; cut < file.typeAndBody.size(); ++cut) {
      SCOPED_TRACE("cut at " + std::to_string(cut));
      ExpectSameAsRecords(set,
                          kt::Framed(Bytes(file.typeAndBody.begin(),
                                           file.typeAndBody.begin() + static_cast<long>(cut))));
    }
  }
}

// A two-row stock day K-line at factor 2 with status 0x23.
Bytes DayKLine(const char* code) {
  MessageBuilder b;
  b.TextCode(code).UInt(2).UInt(0x23).UInt(2).UInt(20240102).UInt(1);
  b.UInt(1000).Int(5).UInt(20).UInt(10).UInt(3).Int(-2).UInt(1).UInt(2).UInt(3);  // prices
  b.Int(7000).Int(3000).Int(11).Int(2);                                           // volume, amount
  return kt::Frame(3, b.Bytes());
}

TEST(SeriesSet, ReadsHeaderAndColumnsByIndicator) {
  kestrel::SeriesSet set;
  const Bytes message = DayKLine("600000.SH");
  const auto decoded = set.decode(message.data(), message.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded.type, kestrel::MessageType::DayKLine);
  EXPECT_FALSE(decoded.cut);
  ASSERT_EQ(set.size(), 1u);
  const kestrel::SeriesView day = set[0];
  EXPECT_EQ(day.code(), "600000.SH");
  EXPECT_EQ(day.securityType(), "stock_a");
  EXPECT_EQ(day.period(), kPeriodDay);
  EXPECT_EQ(day.hisType(), kHisKLine);
  EXPECT_EQ(day.statusNew(), 3);
  EXPECT_EQ(day.statusOld(), 2);
  EXPECT_EQ(day.columnCount(), 7u);
  const auto dates = day.column<int>(1);
  ASSERT_EQ(dates.size(), 2u);
  EXPECT_EQ(dates[1], 20240103);
  const auto highs = day.column<double>(6);
  ASSERT_EQ(highs.size(), 2u);
  EXPECT_DOUBLE_EQ(highs[0], 10.25);
  const auto volume = day.column<std::int64_t>(8);
  ASSERT_EQ(volume.size(), 2u);
  EXPECT_EQ(volume[1], 1000000);
  // A column of another type, or an id the series lacks, reads empty.
  EXPECT_TRUE(day.column<int>(6).empty());
  EXPECT_TRUE(day.column<double>(999).empty());
  EXPECT_TRUE(set[1].code().empty());
}

TEST(SeriesSet, ReportsMessagesThatAreNoSeriesOrNotWhole) {
  kestrel::SeriesSet set;
  const Bytes day = DayKLine("600000.SH");
  const struct {
    const char* what;
    Bytes message;
    size_t size;  // bytes handed to decode
    bool series;
    bool cut;
  } rows[] = {
      {"heartbeat", kt::Frame(58, {}), 0, false, false},
      {"status test", kt::Frame(59, Bytes{0x81, 0x81, 0x81, 0x81, 0x81, 0x81}), 0, false, false},
      {"prefix only", day, 1, false, false},
      {"one byte short", day, day.size() - 1, false, false},
      {"body cut inside the columns", kt::Frame(3, Bytes(day.begin() + 2, day.end() - 6)), 0, true,
       true},
      {"compressed K-line", kt::Compressed(day), 0, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    // A message decoded before is forgotten, whatever comes next.
    ASSERT_TRUE(set.decode(day.data(), day.size()));
    const size_t size = row.size != 0 ? row.size : row.message.size();
    const auto decoded = set.decode(row.message.data(), size);
    EXPECT_EQ(decoded.series, row.series);
    EXPECT_EQ(decoded.cut, row.cut);
    EXPECT_EQ(set.size(), row.series ? 1u : 0u);
  }
  EXPECT_FALSE(set.decode(static_cast<const char*>(nullptr), 10));
}

}  // namespace
