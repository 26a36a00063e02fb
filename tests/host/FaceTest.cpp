// The C++ face as a host uses it, through the shared library: owned
// results, typed access, views, the stream reader and subscription lists.
#include <gtest/gtest.h>

#include <KestrelUtils/KestrelUtils.h>

#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "support/Corpus.h"
#include "support/MessageBuilder.h"

namespace {

using kestrel::MessageType;
using kestrel::Result;
using kt::Bytes;
using kt::MessageBuilder;

Bytes ReadSession() {
  std::ifstream in(KESTREL_SAMPLE_SESSION, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Result Decode(const Bytes& message) { return kestrel::decode(message.data(), message.size()); }

// The messages of the sample session, cut by the framer and decoded by hand.
struct Reference {
  long long offset;
  int size;
  int type;
  std::string digest;
};

// What a result holds, read from the record with the raw interface: its
// kind (which the typed access tests check) decides the cast.
std::string Digest(char* record, int type) {
  std::string d = std::to_string(type) + (record ? ":" : ":null");
  if (record == nullptr) return d;
  switch (kestrel::kindOf(static_cast<MessageType>(type))) {
    case kestrel::ResultKind::Data: {
      auto* data = reinterpret_cast<CKestrelData*>(record);
      d += " e" + std::to_string(data->GetErrorCode());
      for (int i = 0; i < data->GetQuoteDataNum(); ++i) {
        CKestrelQuoteData& q = data->GetKestrelQuoteData()[i];
        d += " q" + std::string(q.GetTernCode()) + "/" +
             std::to_string(q.GetIndexToValue()->GetNum());
      }
      for (int i = 0; i < data->GetHisDataNum(); ++i) {
        CKestrelHisData& h = data->GetKestrelHisData()[i];
        d += " h" + std::string(h.GetTernCode()) + "/" +
             std::to_string(h.GetIndexToValue()->GetNum());
      }
      d += " l" + std::to_string(data->GetL2OrderQueueNum());
      d += " m" + std::to_string(data->GetMarketEventListLen());
      break;
    }
    case kestrel::ResultKind::StatusTest:
      d += " " + std::to_string(reinterpret_cast<KestrelInfoReceive*>(record)->ReceiveValue2);
      break;
    case kestrel::ResultKind::Login:
      d += " " + std::to_string(reinterpret_cast<CLoginInfo*>(record)->GetClientType());
      break;
    default:
      break;
  }
  return d;
}

std::vector<Reference> FramerAndDecodeOneMessage(const Bytes& stream) {
  std::vector<Reference> out;
  KestrelFramer framer;
  EXPECT_TRUE(
      framer.Feed(reinterpret_cast<const char*>(stream.data()), static_cast<int>(stream.size())));
  KestrelFrame frame;
  while (framer.Next(&frame) == kFramerMessage) {
    int type = -1;
    char* record = CKestrelCode::DecodeOneMessage(frame.Message, &type);
    out.push_back({frame.Offset, frame.Size, type, Digest(record, type)});
    CKestrelCode::ClearDecodeMessage(record, type);
  }
  return out;
}

// Typed access: exactly the record that the reported type names, or none.
template <class Record>
int Granted(const Result& r) {
  return r.as<Record>() != nullptr ? 1 : 0;
}
int GrantedCount(const Result& r) {
  return Granted<CKestrelData>(r) + Granted<CTop8Info>(r) + Granted<CWatchList>(r) +
         Granted<CSectorQuotesOrder>(r) + Granted<CPagedRankList>(r) + Granted<char>(r) +
         Granted<KestrelInfoReceive>(r) + Granted<CLoginInfo>(r);
}

TEST(FaceResult, TypedAccessGivesOnlyTheRecordOfTheReportedType) {
  CKestrelCode::StartUp();
  struct Row {
    Bytes message;
    MessageType type;
    kestrel::ResultKind kind;
  };
  const Row rows[] = {
      {kt::Frame(59, MessageBuilder().UInt(7).Int(1).Int(2).UInt(3).UInt(4).UInt(5).Bytes()),
       MessageType::StatusTest, kestrel::ResultKind::StatusTest},
      {kt::Compressed(kt::Frame(48, {'h', 'i'})), MessageType::RawData,
       kestrel::ResultKind::RawData},
      {kt::Frame(64, MessageBuilder().UInt(0).UInt(7).Bytes()), MessageType::QuoteUpdate,
       kestrel::ResultKind::Data},
      {kt::Frame(80, MessageBuilder().Int(1).Int(2).Sized("u").Sized("s").Sized("n").Bytes()),
       MessageType::Login, kestrel::ResultKind::Login},
      {kt::Frame(26, MessageBuilder().UInt(0).Bytes()), MessageType::ServerSubInfo,
       kestrel::ResultKind::WatchList},
      {kt::Frame(58, {}), MessageType::HeartBeat, kestrel::ResultKind::None},
      {kt::Frame(99, {1, 2}), static_cast<MessageType>(99), kestrel::ResultKind::None},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(kestrel::nameOf(row.type));
    Result r = Decode(row.message);
    EXPECT_EQ(r.type(), row.type);
    EXPECT_EQ(r.kind(), row.kind);
    EXPECT_EQ(GrantedCount(r), row.kind == kestrel::ResultKind::None ? 0 : 1);
  }
  Result status = Decode(rows[0].message);
  ASSERT_NE(status.as<KestrelInfoReceive>(), nullptr);
  EXPECT_EQ(status.as<KestrelInfoReceive>()->ReceiveValue2, 7);
  EXPECT_EQ(status.as<CKestrelData>(), nullptr);
  EXPECT_STREQ(Decode(rows[1].message).as<char>(), "hi");
  // A paged ranking list is not handed out as its base record.
  Result page = Decode(
      kt::Frame(40, MessageBuilder().UInt(5).UInt(9).UInt(1).UInt(2).UInt(20).UInt(11).Bytes()));
  EXPECT_NE(page.as<CPagedRankList>(), nullptr);
  EXPECT_EQ(page.as<CSectorQuotesOrder>(), nullptr);
}

// Moves, resets and releases free every record exactly once; the asan
// preset turns a leak or a double free into a failure.
TEST(FaceResult, OwnershipFollowsMovesResetsAndReleases) {
  CKestrelCode::StartUp();
  const Bytes quote = kt::Frame(
      64, MessageBuilder().UInt(1).Code(60, 0).UInt(2).UInt(3).UInt(1025).UInt(8).Int(77).Bytes());
  Result a = Decode(quote);
  ASSERT_TRUE(a);
  Result b = std::move(a);
  EXPECT_FALSE(a);  // NOLINT(bugprone-use-after-move): a moved-from result is empty
  EXPECT_EQ(a.type(), MessageType::None);
  ASSERT_NE(b.as<CKestrelData>(), nullptr);
  b = Decode(quote);  // frees the record it held
  b = std::move(b);   // self-move keeps it
  ASSERT_TRUE(b);
  std::vector<Result> held;
  for (int i = 0; i < 20; ++i) held.push_back(Decode(quote));  // grows by moving
  held.erase(held.begin() + 3);
  b.reset();
  EXPECT_FALSE(b);
  EXPECT_EQ(b.type(), MessageType::QuoteUpdate);
  b.reset();  // nothing left to free
  Result c = Decode(quote);
  const int type = c.typeNumber();
  char* record = c.release();
  EXPECT_FALSE(c);
  CKestrelCode::ClearDecodeMessage(record, type);
}

TEST(FaceResult, DecodeTakesOnlyWholeMessages) {
  CKestrelCode::StartUp();
  const Bytes message = kt::Frame(59, MessageBuilder().UInt(7).Bytes());
  EXPECT_EQ(
      kestrel::wholeMessageSize(reinterpret_cast<const char*>(message.data()), message.size()),
      message.size());
  for (size_t cut = 0; cut < message.size(); ++cut) {
    Result r = kestrel::decode(message.data(), cut);
    EXPECT_FALSE(r) << cut;
    EXPECT_EQ(r.type(), MessageType::None) << cut;
  }
  // Five prefix bytes without a stop bit are no message.
  const Bytes badPrefix = {0, 0, 0, 0, 0, 0xBB};
  EXPECT_EQ(Decode(badPrefix).type(), MessageType::None);
  Bytes longer = message;
  longer.push_back(0xFF);  // bytes behind the message are not read
  EXPECT_EQ(Decode(longer).as<KestrelInfoReceive>()->ReceiveValue2, 7);
}

// The rows a series entry holds: its count when it has an array of its
// type, else none (a forged message may leave a count without an array).
size_t RowsHeld(kestrel::ValueType type, int count, const CIndexValue& raw) {
  bool array = false;
  switch (type) {
    case kestrel::ValueType::IntArray:
      array = raw.pnValue != nullptr;
      break;
    case kestrel::ValueType::DoubleArray:
      array = raw.pdValue != nullptr;
      break;
    case kestrel::ValueType::Int64Array:
      array = raw.pllValue != nullptr;
      break;
    case kestrel::ValueType::TextArray:
      array = raw.ppcValue != nullptr;
      break;
    default:
      break;
  }
  return array ? static_cast<size_t>(std::max(count, 0)) : 0;
}

// The views hand out exactly what the record's own accessors hold.
void ExpectEntriesMatch(CIndexToValue& values) {
  const kestrel::Entries view = kestrel::entries(values);
  ASSERT_EQ(view.size(), static_cast<size_t>(std::max(values.GetNum(), 0)));
  int i = 0;
  for (const kestrel::Entry& e : view) {
    const CIndexValue& raw = values.GetIndexValue()[i];
    EXPECT_EQ(e.id, values.GetIndexId()[i]);
    EXPECT_EQ(static_cast<int>(e.type), values.GetValueType()[i]);
    EXPECT_EQ(e.count, values.GetOneIndexValueNum()[i]);
    EXPECT_EQ(e.raw, &raw);
    switch (e.type) {
      case kestrel::ValueType::Int:
        EXPECT_EQ(std::get<int>(e.value), raw.nValue);
        break;
      case kestrel::ValueType::Int64:
        EXPECT_EQ(std::get<int64_t>(e.value), raw.llValue);
        break;
      case kestrel::ValueType::Double: {
        const double v = std::get<double>(e.value);
        EXPECT_TRUE(v == raw.dValue || (v != v && raw.dValue != raw.dValue));
        break;
      }
      case kestrel::ValueType::Text:
        EXPECT_EQ(std::get<std::string_view>(e.value), kestrel::text(raw.pcValue));
        break;
      default: {
        // A series: its column holds `count` rows of the same array.
        EXPECT_TRUE(std::holds_alternative<std::monostate>(e.value));
        const kestrel::Column column = kestrel::Column(e.id, e.type, e.count, e.raw);
        EXPECT_EQ(column.size(), RowsHeld(e.type, e.count, raw));
        if (e.type == kestrel::ValueType::DoubleArray && raw.pdValue != nullptr && e.count > 0) {
          EXPECT_EQ(column.as<double>().data(), raw.pdValue);
          EXPECT_EQ(column.as<int>().size(), 0u);  // another type: empty
        }
        if (e.type == kestrel::ValueType::IntArray && raw.pnValue != nullptr && e.count > 0) {
          EXPECT_EQ(column.as<int>().data(), raw.pnValue);
          EXPECT_EQ(std::get<int>(column[0]), raw.pnValue[0]);
        }
        if (e.type == kestrel::ValueType::Int64Array && raw.pllValue != nullptr && e.count > 0) {
          EXPECT_EQ(column.as<int64_t>().data(), raw.pllValue);
        }
        if (e.type == kestrel::ValueType::TextArray && raw.ppcValue != nullptr && e.count > 0) {
          EXPECT_EQ(column.as<char*>().data(), raw.ppcValue);
          EXPECT_EQ(std::get<std::string_view>(column[0]), kestrel::text(raw.ppcValue[0]));
        }
        EXPECT_TRUE(std::holds_alternative<std::monostate>(column[column.size()]));
      }
    }
    ++i;
  }
}

// Counts the records that the views reached, so a test knows it saw some.
struct Seen {
  int quotes = 0, series = 0, levels = 0, events = 0;
};

void ExpectViewsMatch(CKestrelData& data, Seen& seen) {
  EXPECT_EQ(kestrel::quotes(data).size(), static_cast<size_t>(std::max(data.GetQuoteDataNum(), 0)));
  for (CKestrelQuoteData& quote : kestrel::quotes(data)) {
    ExpectEntriesMatch(*quote.GetIndexToValue());
    ++seen.quotes;
  }
  ASSERT_EQ(kestrel::series(data).size(), static_cast<size_t>(std::max(data.GetHisDataNum(), 0)));
  for (CKestrelHisData& series : kestrel::series(data)) {
    ExpectEntriesMatch(*series.GetIndexToValue());
    for (const int id : kestrel::columnIds(series)) {
      // column(id) is the first entry with that id.
      CIndexToValue* v = series.GetIndexToValue();
      int first = 0;
      while (v->GetIndexId()[first] != id) ++first;
      const kestrel::Column column = kestrel::column(series, id);
      EXPECT_EQ(static_cast<int>(column.type()), v->GetValueType()[first]);
      EXPECT_EQ(column.size(), RowsHeld(column.type(), v->GetOneIndexValueNum()[first],
                                        v->GetIndexValue()[first]));
    }
    ++seen.series;
  }
  ASSERT_EQ(kestrel::orderQueues(data).size(),
            static_cast<size_t>(std::max(data.GetL2OrderQueueNum(), 0)));
  for (CKestrelL2OrderQueue& queue : kestrel::orderQueues(data)) {
    ASSERT_EQ(kestrel::levels(queue).size(),
              static_cast<size_t>(std::max(queue.GetL2OrderQueuePriceLevelNum(), 0)));
    for (CL2OrderQueuePriceLevel& level : kestrel::levels(queue)) {
      EXPECT_EQ(kestrel::orders(level).data(), level.GetL2OrderQueueItem());
      EXPECT_EQ(kestrel::orders(level).size(),
                static_cast<size_t>(std::max(level.GetL2OrderQueueItemNum(), 0)));
      if (level.GetPrice()->GetNum() > 0) {
        EXPECT_EQ(kestrel::price(level), level.GetPrice()->GetIndexValue()[0].dValue);
      }
      ++seen.levels;
    }
  }
  ASSERT_EQ(kestrel::marketEvents(data).size(),
            static_cast<size_t>(std::max(data.GetMarketEventListLen(), 0)));
  for (CKestrelMarketEventData& event : kestrel::marketEvents(data)) {
    EXPECT_EQ(kestrel::fields(event).data(), event.FieldItemNum > 0 ? event.FieldItem : nullptr);
    ++seen.events;
  }
}

void ExpectViewsMatch(const Result& r, Seen& seen) {
  if (auto* data = r.as<CKestrelData>()) ExpectViewsMatch(*data, seen);
  if (auto* list = r.as<CWatchList>()) {
    ASSERT_EQ(kestrel::items(*list).size(),
              static_cast<size_t>(std::max(list->GetWatchListItemNum(), 0)));
    for (WatchListItem& item : kestrel::items(*list)) {
      EXPECT_EQ(kestrel::ids(item).size(), static_cast<size_t>(std::max(item.IndIndexNum, 0)));
    }
  }
  if (auto* charts = r.as<CTop8Info>()) {
    for (CSectorChartItem& sector : kestrel::sectors(*charts)) {
      EXPECT_EQ(kestrel::chartItems(sector).data(),
                sector.GetChartItemNum() > 0 ? sector.GetChartItem() : nullptr);
    }
  }
  if (auto* page = r.as<CPagedRankList>()) {
    EXPECT_EQ(kestrel::values(*page).size(), kestrel::codes(*page).size());
  }
}

TEST(FaceViews, AgreeWithTheRecordsOverTheSampleSession) {
  CKestrelCode::StartUp();
  kestrel::Reader reader;
  const Bytes session = ReadSession();
  ASSERT_FALSE(session.empty());
  ASSERT_TRUE(reader.feed(session.data(), session.size()));
  Seen seen;
  int messages = 0;
  while (std::optional<Result> r = reader.next()) {
    SCOPED_TRACE(reader.lastFrame().offset);
    EXPECT_EQ(GrantedCount(*r), r->kind() == kestrel::ResultKind::None ? 0 : 1);
    ExpectViewsMatch(*r, seen);
    ++messages;
  }
  EXPECT_FALSE(reader.failed());
  EXPECT_GT(messages, 10);
  EXPECT_GT(seen.quotes, 0);
  EXPECT_GT(seen.series, 0);
  EXPECT_GT(seen.levels, 0);
}

TEST(FaceViews, AgreeWithTheRecordsOverTheFuzzCorpus) {
  CKestrelCode::StartUp();
  const std::vector<kt::CorpusFile> corpus = kt::ReadCorpus();
  ASSERT_FALSE(corpus.empty());
  Seen seen;
  for (const kt::CorpusFile& file : corpus) {
    SCOPED_TRACE(file.path);
    ExpectViewsMatch(Decode(kt::Framed(file.typeAndBody)), seen);
  }
  EXPECT_GT(seen.quotes + seen.series, 0);
}

TEST(FaceViews, QuoteValuesByIdAndEmptyRecords) {
  CKestrelCode::StartUp();
  MessageBuilder b;
  b.UInt(1).Code(60, 0).UInt(3).UInt(3).UInt(1025).UInt(8).Int(123456789012);
  b.UInt(2).PackedTime(9, 30, 0);
  Result r = Decode(kt::Frame(64, b.Bytes()));
  ASSERT_NE(r.as<CKestrelData>(), nullptr);
  CKestrelQuoteData& quote = kestrel::quotes(*r.as<CKestrelData>())[0];
  EXPECT_EQ(kestrel::text(quote.GetTernCode()), "600000.SH");
  EXPECT_EQ(std::get<double>(kestrel::find(quote, 3)), 10.25);
  EXPECT_EQ(std::get<int64_t>(kestrel::find(quote, 8)), 123456789012);
  EXPECT_EQ(std::get<int>(kestrel::find(quote, 2)), 93000);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(kestrel::find(quote, 4)));
  // Empty records give empty views.
  CKestrelData empty;
  EXPECT_TRUE(kestrel::quotes(empty).empty());
  EXPECT_TRUE(kestrel::series(empty).empty());
  CKestrelHisData none;
  EXPECT_TRUE(kestrel::column(none, 7).empty());
  EXPECT_TRUE(kestrel::column(none, 7).as<double>().empty());
}

// The reader gives what the framer and DecodeOneMessage give, however the
// stream is cut.
TEST(FaceReader, MatchesFramerAndDecodeAtEveryChunkSize) {
  CKestrelCode::StartUp();
  const Bytes session = ReadSession();
  const std::vector<Reference> want = FramerAndDecodeOneMessage(session);
  ASSERT_GT(want.size(), 10u);
  for (size_t chunk = 1; chunk <= 64; ++chunk) {
    SCOPED_TRACE(chunk);
    kestrel::Reader reader;
    std::vector<Reference> got;
    for (size_t at = 0; at < session.size(); at += chunk) {
      ASSERT_TRUE(reader.feed(session.data() + at, std::min(chunk, session.size() - at)));
      while (std::optional<Result> r = reader.next()) {
        const kestrel::FrameInfo& frame = reader.lastFrame();
        const int type = r->typeNumber();
        got.push_back({frame.offset, frame.size, type, Digest(r->get(), type)});
      }
    }
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(reader.bufferedBytes(), 0);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].offset, want[i].offset);
      EXPECT_EQ(got[i].size, want[i].size);
      EXPECT_EQ(got[i].digest, want[i].digest);
    }
  }
}

TEST(FaceReader, ReportsABrokenStreamWithItsOffset) {
  CKestrelCode::StartUp();
  const Bytes good = kt::Frame(58, {});
  Bytes stream = good;
  stream.insert(stream.end(), {0, 0, 0, 0, 0, 0xBB});  // five prefix bytes, no stop bit
  kestrel::Reader reader;
  ASSERT_TRUE(reader.feed(stream.data(), stream.size()));
  std::optional<Result> first = reader.next();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->type(), MessageType::HeartBeat);
  EXPECT_FALSE(reader.next().has_value());
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ(reader.status(), kFramerBadLength);
  EXPECT_EQ(reader.errorOffset(), static_cast<long long>(good.size()));
  EXPECT_FALSE(reader.feed(good.data(), good.size()));
  reader.reset();
  EXPECT_FALSE(reader.failed());
  ASSERT_TRUE(reader.feed(good.data(), good.size()));
  EXPECT_TRUE(reader.next().has_value());
}

// A subscription list's requests are byte for byte those of a hand-built
// record array.
struct HandBuilt {
  explicit HandBuilt(const std::vector<std::pair<std::string, std::vector<uint16_t>>>& rows)
      : items(rows.size()) {
    for (size_t i = 0; i < rows.size(); ++i) {
      ids.push_back(rows[i].second);
      rows[i].first.copy(items[i].TernCode, sizeof items[i].TernCode - 1);
      items[i].IndIndex = ids.back().empty() ? nullptr : ids.back().data();
      items[i].IndIndexNum = static_cast<int>(ids.back().size());
    }
  }
  HandBuilt(const HandBuilt&) = delete;
  ~HandBuilt() {
    for (WatchListItem& item : items) item.IndIndex = nullptr;  // the vectors own the ids
  }
  WatchListItem* data() { return items.empty() ? nullptr : items.data(); }
  int size() const { return static_cast<int>(items.size()); }
  std::vector<std::vector<uint16_t>> ids{};
  std::vector<WatchListItem> items;
};

std::string Sent(CCode* request) {
  std::string bytes = request ? std::string(request->GetContent(), request->GetLength()) : "";
  delete request;
  return bytes;
}

TEST(FaceRequests, SubscriptionListsEncodeAsHandBuiltArrays) {
  CKestrelCode::StartUp();
  const std::vector<std::pair<std::string, std::vector<uint16_t>>> rowsA = {
      {"600000.SH", {5, 3, 8}}, {"IF2406.CFE", {2}}, {"0700.HK", {}}};
  const std::vector<std::pair<std::string, std::vector<uint16_t>>> rowsB = {
      {"000001.SZ", {300, 3, 9, 1}}};
  kestrel::SubscriptionList a, b;
  for (const auto& [code, ids] : rowsA) a.add(code, ids);
  for (const auto& [code, ids] : rowsB) b.add(code, ids);
  using Encoder = CCode* (*)(const WatchListItem*, int, const WatchListItem*, int);
  using FaceEncoder =
      kestrel::Request (*)(const kestrel::SubscriptionList&, const kestrel::SubscriptionList&);
  const std::pair<Encoder, FaceEncoder> twoLists[] = {
      {CKestrelCode::EncodeCommitRequest, kestrel::encodeCommit},
      {CKestrelCode::EncodeMaskedCommitRequest, kestrel::encodeMaskedCommit},
      {CKestrelCode::EncodeMaskedVerifyRequest, kestrel::encodeMaskedVerify},
  };
  const kestrel::SubscriptionList none;
  for (const auto& [raw, face] : twoLists) {
    HandBuilt ha(rowsA), hb(rowsB);
    EXPECT_EQ(face(a, b).bytes(), Sent(raw(ha.data(), ha.size(), hb.data(), hb.size())));
    HandBuilt ha2(rowsA);
    EXPECT_EQ(face(a, none).bytes(), Sent(raw(ha2.data(), ha2.size(), nullptr, 0)));
    EXPECT_FALSE(face(none, none));  // two empty lists make no request
  }
  HandBuilt ha(rowsA);
  EXPECT_EQ(kestrel::encodePeek(a).bytes(), Sent(CKestrelCode::EncodePeekRequest(ha.data(), 3)));
  // The masked requests sort the array they get, never the list.
  EXPECT_EQ(a.items()[0].ids, (std::vector<uint16_t>{5, 3, 8}));
  // Lists copy like values and live in containers.
  std::vector<kestrel::SubscriptionList> lists(3, a);
  lists.push_back(b);
  EXPECT_EQ(kestrel::encodeCommit(lists[1]).bytes(), kestrel::encodeCommit(a).bytes());
  // A code is cut to the 29 characters of the record.
  kestrel::SubscriptionList longCode;
  longCode.add(std::string(40, '7') + ".SH", {1});
  EXPECT_EQ(longCode.items()[0].code.size(), 29u);
  EXPECT_EQ(kestrel::text(longCode.build().data()[0].TernCode).size(), 29u);
}

// The service wrappers that do more than pass their arguments on: an empty
// login list and raw bytes above 0x7F.
TEST(FaceRequests, LoginAndRawDataMatchTheEncoders) {
  CKestrelCode::StartUp();
  int list[] = {5};
  EXPECT_EQ(kestrel::encodeLogin(1, 2, {}, "").bytes(),
            Sent(CKestrelCode::EncodeLoginRequest(1, 2, list, 0, "")));
  char raw[] = {'\x41', '\xFF'};
  EXPECT_EQ(kestrel::encodeRawData(std::string_view(raw, 2)).bytes(),
            Sent(CKestrelCode::EncodeRawDataRequest(raw, 2)));
  EXPECT_FALSE(kestrel::encodeRawData(""));  // refused: no request
}

}  // namespace
