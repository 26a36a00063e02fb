// CKestrelCode: every encode and decode operation of the quote protocol.
//
// The class is a namespace in class form: all members are static. The public
// members are what a host calls; the private members are the per-message
// decoders and request-body writers, defined in one source file per message
// family.
#ifndef KESTREL_KESTRELCODE_H
#define KESTREL_KESTRELCODE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "Code.h"
#include "KestrelExport.h"
#include "KestrelInfo.h"

class CDecodeCode;
class CKestrelData;
class CKestrelQuoteData;
class CKestrelHisData;
class CLoginInfo;
class CWatchList;
struct WatchListItem;
union CIndexValue;
class CKestrelL2OrderQueue;
// Where the history decoders write their series (records or a reusable
// series set); the library's own types.
namespace kestrel {
class SeriesSink;
struct SeriesTarget;
}  // namespace kestrel
#ifdef KESTREL_INTERNAL
#include "codec/KestrelCodeHelpers.h"
#endif

// Period argument of CKestrelCode::EncodeInitRequest. A day or minute K-line
// request (kind 2) maps the minute periods to the bar-length code that the
// server's minute K-line reply carries back (and that becomes the series'
// TPeriodType kPeriodMinuteBar0 .. kPeriodMinuteBar5); every other value asks
// for day K-lines. Kind 3 sends the value itself. Any 32-bit value may be
// passed.
enum TKLinePeriod : int32_t {
  kKLineMinuteBar1 = 5,   // minute K-lines, bar-length code 1
  kKLineMinuteBar3 = 6,   // minute K-lines, bar-length code 3
  kKLineMinuteBar4 = 7,   // minute K-lines, bar-length code 4
  kKLineMinuteBar5 = 8,   // minute K-lines, bar-length code 5
  kKLineDay = 9,          // day K-lines
  kKLineMinuteBar0 = 10,  // minute K-lines, bar-length code 0
  kKLineMinuteBar2 = 11,  // minute K-lines, bar-length code 2
};

// Sort direction argument of the ranking requests. What each direction means
// is the server's business; the request carries 0 as 2, 1 as 1 and 2 as 0,
// and no direction field at all for any other value.
enum TTnSortDirection : int32_t {
  kSortDirection0 = 0,  // sent as 2
  kSortDirection1 = 1,  // sent as 1
  kSortDirection2 = 2,  // sent as 0
};

// Only the public members are exported: the private ones, declared here
// because the protocol names them, stay hidden inside the library.
class CKestrelCode {
 public:
  // Marks the code tables ready. Call once before the first encode or
  // decode; later calls return at once. Must not race with other calls.
  KESTREL_API static void StartUp();

  // Decodes one complete received message (length prefix, type, body).
  // Writes the message type through `type` (the inner type for compressed
  // messages) and returns the result, or null. Never throws. The result
  // belongs to the host until it is passed to ClearDecodeMessage with the
  // reported type.
  KESTREL_API static char* DecodeOneMessage(char* message, int* type);
  // Frees a result of DecodeOneMessage by its reported type; null is ignored.
  KESTREL_API static void ClearDecodeMessage(char* result, int type);
  // The arrays of freed market-data results are kept per thread for the
  // next decode, up to 16 MiB a thread, and given back to the system when
  // the thread ends. This gives back now what the calling thread keeps;
  // results still held stay valid. Cheap when nothing is kept.
  KESTREL_API static void ClearDecodeMemory();
  // Calls the result's diagnostic PrintLog by type; null is ignored.
  KESTREL_API static void PrintDecodeMessage(char* result, int type);
  // Visits the one whole message of `size` bytes at `message` (a quote
  // update, masked subscription data or simple indicators, also inside a
  // compressed envelope) with the functions of `visitor`, building no
  // records; returns a KestrelVisitStatus and writes the (inner) type and
  // whether the message was cut short through `type` and `cut` when they are
  // not null. Never throws. The face is kestrel::visitQuotes
  // (KestrelVisit.hpp).
  KESTREL_API static int VisitQuoteMessage(const char* message, size_t size,
                                           const struct KestrelQuoteVisitor* visitor, void* context,
                                           int* type, int* cut);

  // Login request (type 80): first, second, count and the `count` numbers of
  // `list` as stop-bit integers, then `text` as a sized string. Null when
  // list or text is null.
  KESTREL_API static CCode* EncodeLoginRequest(int first, int second, int* list, int count,
                                               const char* text);
  // Raw-data request (type 48): the host's `size` bytes as they stand. Null
  // when data is null or size is below 1.
  KESTREL_API static CCode* EncodeRawDataRequest(char* data, int size);
  // Request for the server's subscription list (type 26, empty body).
  KESTREL_API static CCode* EncodeServerSubInfoRequest();
  // Status test (type 59). `info` must not be null.
  KESTREL_API static CCode* EncodeKestrelTest(KestrelInfoSend* info);

  // Subscription requests. The two-list forms write the second list first;
  // a list that is null, empty, or whose first item has no code or no ids
  // goes out as the empty-list marker. Null when both lists are null.
  // Commit (type 32) and peek (type 33) carry each item's ids in full.
  KESTREL_API static CCode* EncodeCommitRequest(const WatchListItem* first, int firstCount,
                                                const WatchListItem* second, int secondCount);
  // The count goes out twice as given (a negative one in five bytes each,
  // with no items); a null list is sent as an empty list.
  KESTREL_API static CCode* EncodePeekRequest(const WatchListItem* list, int count);
  // Masked commit (type 24) and masked verify (type 25): the ascending union
  // of all ids once, then one bit mask per item. Each item's id array is
  // sorted in place. A list names at most 256 distinct ids: ids beyond the
  // 256th distinct one, in the order the items ask for them, are cut from
  // the list and from every mask.
  KESTREL_API static CCode* EncodeMaskedCommitRequest(const WatchListItem* first, int firstCount,
                                                      const WatchListItem* second, int secondCount);
  KESTREL_API static CCode* EncodeMaskedVerifyRequest(const WatchListItem* first, int firstCount,
                                                      const WatchListItem* second, int secondCount);

  // History init request for the security `code`: `kind` (a signed 8-bit
  // number) chooses the request and so the type of the reply: 0 and 4
  // formalized trends (17), 1 formalized deals (18), 2 day (3) or minute (5)
  // K-lines by `period`, 3 minute K-lines with the raw period value (5), 5
  // history trends (6), 6 type 20, 7 and 8 level-2 transaction history
  // (130), every other kind QE data (21). `flag` turns kinds 1 and 2 into
  // QE data requests, which alone carry `c` and `d` (kind 2). Numbers go out
  // unsigned: a negative one takes five bytes. Null when code is null.
  KESTREL_API static CCode* EncodeInitRequest(char* code, char kind, int a, int b,
                                              TKLinePeriod period, bool flag, int c, int d);

  // Ranking requests. Each starts with the id and the number 1, then a range
  // selector chosen by `selector` (0 to 4; any other sends none) and
  // `scope`; texts go out as sized strings; scope 2 alone carries `count`
  // and the `count` codes of `codes`. Null when the first text is null, the
  // body would carry a null second text, or scope 2 has no codes array or a
  // null code among its first `count`.
  // Ranking list (type 34): id, 1, range, first, [second, [count, codes,]] r,
  // direction; scope 1 has no second text.
  KESTREL_API static CCode* EncodeRankListRequest(int64_t id, char* first, char* second, int scope,
                                                  int selector, int r, TTnSortDirection direction,
                                                  int count, char** codes);
  // Paged ranking list (type 40): as the ranking list, with an unsigned id
  // and p and q behind the first text.
  KESTREL_API static CCode* EncodePagedRankListRequest(uint32_t id, char* first, int p, int q,
                                                       char* second, int scope, int selector, int r,
                                                       TTnSortDirection direction, int count,
                                                       char** codes);
  // Top-8 sector charts (type 9): id, 1, range of selector 0, both texts, and
  // for scope 2 the codes.
  KESTREL_API static CCode* EncodeTop8Request(int64_t id, char* first, char* second, int scope,
                                              int count, char** codes);

  // The security type of a TernCode ("stock_a", "index_sh", "futures",
  // "HK", ...), decided from the text alone; "" when it cannot be classified.
  KESTREL_API static std::string GetSecurityType(char* code);

 private:
  // The library's own tests reach the private operations through this one
  // door; hosts have no use for it.
  friend struct KestrelCodeAccess;

  // Envelope decoders (framing).
  static char* DecodeCompressed(CDecodeCode& code, int length, int* type);
  static char* DecodeRawData(CDecodeCode& code, int length);
  static char* DecodeHeartBeat(CDecodeCode& code);
  static KestrelInfoReceive* DecodeStatusTest(CDecodeCode& code);
  static void DecodeCRC(CDecodeCode& code);

  // Security classification: narrower questions on a TernCode.
  static bool IsFundNV(char* code);
  static bool ISONS(char* code);
  static bool IsIOPVCode(char* code);
  static bool IsTWIndexCode(char* code);
  static bool IsBondRealCode(const char* code);
  static bool Is_Au_Ag_Pt(char* code, const char* metal);
  // Rewrites a bond's real code (YTM_019003.SH) into its display code
  // (019003.SH) in place, unless the logged-in client type keeps real codes.
  static char* RealCodeToBondCode(char* code);

  // Price unit factors: decimal places of a security's prices and of each
  // indicator, the correction of a few futures and gold integers, and the
  // division of a scaled integer.
  static int GetPriceUnitFactor(char* code);
  static int GetRealFactor(int priceFactor, int indicatorId);
  static int64_t FixFactor(char* code, int indicatorId, int64_t value);
  static double GetFloat(int64_t value, int decimals);

  // Request envelope: the closing of the frame (check byte, then length
  // prefix).
  static void EncodeCRC(CCode& code);
  static void EncodeMsgBodySize(CCode& code);

  // Subscription list forms.
  static void EncodeOneCommitRequest(const WatchListItem* list, int count, CCode& code);
  static void EncodeMaskedItem(const WatchListItem* list, int count, CCode& code);
  static void EncodeNoSubOrNoUnsub(CCode& code);
  static void GetMask(CCode& code, const uint16_t* distinct, int distinctCount, const uint16_t* ids,
                      int idCount, int maskSize);

  // Service replies of the login dialog.
  static CLoginInfo* DecodeLoginInfo(CDecodeCode& code);
  static CWatchList* DecodeServerSubInfo(CDecodeCode& code);

  // Column codecs of history series: each reads exactly its column and
  // writes rows 0 .. count-1 of the column's array.
  static void DecodeDayKLine_Int_1_Method_Date(CIndexValue* column, int count, CDecodeCode& code);
  static void DecodeDayKLine_Int_2_Method(CIndexValue* column, int count, CDecodeCode& code);
  static void DecodeDayKLine_Int_3_Method_Date_And_Time(CIndexValue* dateColumn,
                                                        CIndexValue* timeColumn, int count,
                                                        CDecodeCode& code);
  static void DecodeDayKLine_Int_4_Method_Time(CIndexValue* column, int count, CDecodeCode& code);
  static void DecodeDayKLine_Int_5_Method(CIndexValue* column, int count, CDecodeCode& code);
  static void DecodeDayKLine_Int_6_Method_Date(CIndexValue* column, int count, CDecodeCode& code);
  static void DecodeDayKLine_Int_7_Method(CIndexValue* column, int count, CDecodeCode& code);
  static void DecodeDayKLine_Double_1_Method(CIndexValue* base, CIndexValue* second,
                                             CIndexValue* third, CIndexValue* fourth, int count,
                                             int factor, CDecodeCode& code);
  static void DecodeDayKLine_Double_2_Method(CIndexValue* column, int count, int factor,
                                             CDecodeCode& code);
  static void DecodeDayKLine_Double_3_Method(CIndexValue* column, int count, int factor,
                                             CDecodeCode& code);
  static void DecodeDayKLine_Double_4_Method(CIndexValue* column, int count, int factor,
                                             CDecodeCode& code);
  static void DecodeDayKLine_Int64_1_Method(CIndexValue* column, int count, int multiplier,
                                            int divisor, CDecodeCode& code);
  static void DecodeDayKLine_Int64_2_Method(CIndexValue* column, int count, CDecodeCode& code);
  static void DecodeDayKLine_Int64_3_Method(CIndexValue* column, int count, int firstMultiplier,
                                            int laterMultiplier, CDecodeCode& code);
  static void DecodeDayKLine_56_Index(CIndexValue* column, int count, CDecodeCode& code);
  static int QeDateToHQDate(int64_t packed);

  // Level-2 data: deal, deal-revert and order series (inside quote updates
  // and as transaction history, type 130), order queues (full images,
  // updates and the series form of QE data), market events and parameter
  // lists. The result and queue classes are named with their class key, so
  // this block needs no forward declarations of its own.
  static void DecodeL2DealData(char* ternCode, CKestrelHisData* record, CDecodeCode& code);
  static void DecodeL2DealRevertData(char* ternCode, CKestrelHisData* record, CDecodeCode& code);
  static void DecodeL2OrdersData(char* ternCode, CKestrelHisData* record, CDecodeCode& code);
  static class CKestrelData* DecodeLevel2TransactionsHistory(CDecodeCode& code);
  static void DecodeLevel2Transactions(class CKestrelData* result, CDecodeCode& code);
  static void DecodeLevel2TransactionsRevert(class CKestrelData* result, CDecodeCode& code);
  static void DecodeL2OrderQueueData(char* ternCode, class CKestrelL2OrderQueue* queue,
                                     CDecodeCode& code);
  static void DecodeImageStatus_FULL(class CL2OrderQueuePriceLevel* levels, int levelCount,
                                     int priceDecimals, CDecodeCode& code);
  static void DecodeImageStatus_UPDATE(class CL2OrderQueuePriceLevel* levels, int levelCount,
                                       int priceDecimals, CDecodeCode& code);
  static void DecodeL2OrderQueueSeries(char* ternCode, class CKestrelL2OrderQueue* queue,
                                       CDecodeCode& code);
  static void DecodeMarketEventData(class CKestrelData* result, CDecodeCode& code);
  static void DecodeParameters(class CKestrelData* result, char* ternCode, CDecodeCode& code);

  // Real-time quote messages: quote updates (64), masked subscription data
  // (24, 25), simple indicators (33) and the symbols block of history trends.
  static CKestrelData* DecodeQuoteUpdateData(CDecodeCode& code);
  static CKestrelData* DecodeMaskedSubscribeIndicators(CDecodeCode& code);
  static bool DecodeMaskedSubscribeData(CKestrelData* result, int* ids, int idCount, int maskBytes,
                                        char* mask, int* selected, CDecodeCode& code);
  static CKestrelData* DecodeSimpleIndicators(CDecodeCode& code);
  static void DecodeSymbolsData(CKestrelData* result, CDecodeCode& code);
  static void Decode_TernCode_Factor_SecurityType(char* code, int* factor,
                                                  std::string* securityType, CDecodeCode* cursor);

  // Indicator field decoders: indicators that carry lists, fixed scales or
  // level-2 blocks. Each reads its field and sets `value`, the entry's
  // single value, in the type the catalogue gives the indicator.
  static void Decode_57_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                 std::string& securityType, CDecodeCode& cursor);
  static void Decode_58_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                 std::string& securityType, CDecodeCode& cursor);
  static void Decode_150_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                  std::string& securityType, CDecodeCode& cursor);
  static void Decode_152_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                  std::string& securityType, CDecodeCode& cursor);
  static void Decode_156_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                  std::string& securityType, CDecodeCode& cursor);
  static void Decode_151_IndIndex(CIndexValue* value, int id, CDecodeCode& cursor);
  static void Decode_other_IndIndex(CIndexValue* value, char* code, int id, int factor,
                                    CDecodeCode& cursor);
  static void Decode_89_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                 std::string& securityType, int* trailing, CDecodeCode& cursor);
  static void Decode_90_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                 std::string& securityType, int* trailing, int64_t* trailingLong,
                                 CDecodeCode& cursor);
  static void Decode_91_IndIndex(CKestrelL2OrderQueue* queue, CIndexValue* value, char* code,
                                 int id, CDecodeCode& cursor);
  static void Decode_93_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code, int id,
                                 std::string& securityType, int* trailing, CDecodeCode& cursor);
  // The coded comment of a corporate action as GBK text, in a block of the
  // result memory (null when no memory is left).
  static char* DecodeHQAFComment(const char* text);

  // History init requests, day K-lines (type 3) and minute K-lines (type 5).
  // The request writers each put the type and one body form into `code`.
  static void EncodeInitTheFirstType(CCode& code, unsigned char type, int first, int a, char* text);
  static void EncodeInitTheFifthType(CCode& code, unsigned char type, int first, int a, char* text);
  static void EncodeInitTheSecondType(CCode& code, unsigned char type, int first, char* text,
                                      TKLinePeriod period, int a, int b);
  static void EncodeInitTheThirdType(CCode& code, unsigned char type, int first, char* text,
                                     int second, int a, int b);
  static void EncodeInitQEDataPlusType(CCode& code, unsigned char type, int first, char* text,
                                       int subKind, int a, int b, int c, int d);
  static void EncodeInitDayKLine(CCode& code, char* text, int a, int b, TKLinePeriod period);
  // Day K-lines: the series head (price unit factor, and status only when
  // the factor is not 0), then one column layout chosen by security type.
  static CKestrelData* DecodeDayKLineData(CDecodeCode& code);
  static void Get_PriceUnitFactor_StatusNew_StatusOld(int* factor,
                                                      const kestrel::SeriesTarget& target,
                                                      CDecodeCode& code);
  static void DecodeDayKLineData_Futrues(const kestrel::SeriesTarget& target, CDecodeCode& code);
  static void DecodeDayKLineData_HK(const kestrel::SeriesTarget& target, CDecodeCode& code);
  static void DecodeDayKLineData_HI_or_Oversea(const kestrel::SeriesTarget& target,
                                               CDecodeCode& code);
  static void DecodeDayKLineData_OpenFund(const kestrel::SeriesTarget& target, CDecodeCode& code);
  static void DecodeDayKLineData_Etf_or_Lof(const kestrel::SeriesTarget& target, CDecodeCode& code);
  // Minute K-lines: bar length, price unit factor (never a status), then one
  // column layout chosen by security type.
  static CKestrelData* DecodeMinuteKlineData(CDecodeCode& code);
  static void DecodeOneMinuteKLineData_Futures(const kestrel::SeriesTarget& target,
                                               CDecodeCode& code);
  static void DecodeOneMinuteKLineData_Gold(const kestrel::SeriesTarget& target, CDecodeCode& code);
  static void DecodeOneMinuteKLineData_Others(const kestrel::SeriesTarget& target,
                                              CDecodeCode& code);

  // Formalized trends (type 17) and formalized deals (type 18). Type 17
  // carries the minute trend of one security and, for most markets, its last
  // deals; type 18 the last deals alone. Each market entry makes the records
  // and calls one trend operation, one deal operation and for some markets
  // one extra operation that appends a column with its own count. Trend and
  // deal operations pick a column layout; the engine (ColumnLayout.cpp)
  // declares and decodes it, and appends the extra columns.
  static CKestrelData* DecodeFormalizedTrend(CDecodeCode& cursor);
  static void DecodeFormalizedTrend_A(kestrel::SeriesSink& sink, char* code, std::string type,
                                      CDecodeCode& cursor);
  static void DecodeFormalizedTrend_ETFLOF(kestrel::SeriesSink& sink, char* code, std::string type,
                                           CDecodeCode& cursor);
  static void DecodeFormalizedTrend_HK(kestrel::SeriesSink& sink, char* code, std::string type,
                                       CDecodeCode& cursor);
  static void DecodeFormalizedTrend_TW(kestrel::SeriesSink& sink, char* code, std::string type,
                                       CDecodeCode& cursor);
  static void DecodeFormalizedTrend_Oversea(kestrel::SeriesSink& sink, char* code, std::string type,
                                            CDecodeCode& cursor);
  static void DecodeFormalizedTrend_Futures(kestrel::SeriesSink& sink, char* code, std::string type,
                                            CDecodeCode& cursor);
  static void DecodeFormalizedTrend_I(kestrel::SeriesSink& sink, char* code, std::string type,
                                      CDecodeCode& cursor);
  static void DecodeFormalizedTrend_IOPV(kestrel::SeriesSink& sink, char* code, std::string type,
                                         CDecodeCode& cursor);
  static void DecodeFormalizedTrend_Gold(kestrel::SeriesSink& sink, char* code, std::string type,
                                         CDecodeCode& cursor);
  static void DecodeFormalizedTrend_Fx(kestrel::SeriesSink& sink, char* code, std::string type,
                                       CDecodeCode& cursor);
  static void DecodeFormalizedTrend_OverseaFutures(kestrel::SeriesSink& sink, char* code,
                                                   std::string type, CDecodeCode& cursor);
  static void DecodeFormalizedTrend_Bond(kestrel::SeriesSink& sink, char* code, std::string type,
                                         int factor, CDecodeCode& cursor);
  static void DecodeMiniteTrendData_A(const kestrel::SeriesTarget& target, char* code,
                                      CDecodeCode& cursor);
  static void DecodeMiniteTrendData_HK(const kestrel::SeriesTarget& target, char* code,
                                       CDecodeCode& cursor);
  static void DecodeMiniteTrendData_I(const kestrel::SeriesTarget& target, char* code,
                                      CDecodeCode& cursor);
  static void DecodeMiniteTrendData_Fx_Gold(const kestrel::SeriesTarget& target, char* code,
                                            CDecodeCode& cursor);
  static void DecodeMiniteTrendData_OverseaFutures(const kestrel::SeriesTarget& target, char* code,
                                                   CDecodeCode& cursor);
  static void DecodeMinuteTrendData_IOPV(const kestrel::SeriesTarget& target, char* code,
                                         CDecodeCode& cursor);
  static void DecodeMiniteTrendData_Bond(const kestrel::SeriesTarget& target, char* code,
                                         int factor, CDecodeCode& cursor);
  static void DecodeLast24Deal_A(const kestrel::SeriesTarget& target, char* code,
                                 CDecodeCode& cursor);
  static void DecodeLast24Deal_ETFLOF(const kestrel::SeriesTarget& target, char* code,
                                      CDecodeCode& cursor);
  static void DecodeLast24Deal_HK(const kestrel::SeriesTarget& target, char* code,
                                  CDecodeCode& cursor);
  static void DecodeLast24Deal_Futures(const kestrel::SeriesTarget& target, char* code,
                                       CDecodeCode& cursor);
  static void DecodeLast24Deal_I(const kestrel::SeriesTarget& target, char* code,
                                 CDecodeCode& cursor);
  static void DecodeLast24Deal_Fx_Gold(const kestrel::SeriesTarget& target, char* code,
                                       CDecodeCode& cursor);
  static void DecodeLast24Deal_OverseaFutures(const kestrel::SeriesTarget& target, char* code,
                                              CDecodeCode& cursor);
  static void DecodeLast24Deal_Bond(const kestrel::SeriesTarget& target, char* code, int factor,
                                    CDecodeCode& cursor);
  static void DecodeMiniteAveragePriceData_HK(kestrel::SeriesSink& sink, char* code,
                                              CDecodeCode& cursor);
  static void DecodeLast24DealAmount_I(kestrel::SeriesSink& sink, char* code, CDecodeCode& cursor);
  static CKestrelData* DecodeFormalizedDeal(CDecodeCode& cursor);

  // Indicator catalogue: the value type code of an indicator id (series
  // forms when `series` is true), the codes of each base type, the column
  // setup of a quote or series record from a list of ids, and the ids that
  // a bit mask selects.
  static int FindValueTypeByIndexId(int id, bool series);
  static int FindIntType(bool series);
  static int FindInt64Type(bool series);
  static int FindDoubleType(bool series);
  static int FindCharType(bool series);
  static int FindCharPointerType(bool series);
  static void SetQuoteDataIndexToValue(CKestrelQuoteData* quote, int num, int* ids);
  static void SetHisDataIndexToValue(CKestrelHisData* his, int num, int* ids, int count);
  static int GetInds(int* ids, int num, char* mask, int* selected);

  // Rankings, QE data and history trends.
  // The replies to the ranking requests: sector charts (type 9), sector
  // quotes orders (34) and paged ranking lists (40); the records are named
  // with their class key.
  static class CTop8Info* DecodeSectorCharts(CDecodeCode& code);
  static struct CSectorQuotesOrder* DecodeSectorQuotesOrder(CDecodeCode& code);
  static struct CPagedRankList* DecodePagedRankingList(CDecodeCode& code);
  // QE data plus (type 21): series whose ids, kinds and decimals travel on
  // the wire, then parameters; or the two sides of a level-2 order queue.
  // One series of the wire fills column `at` of the room made for them.
  static CKestrelData* DecodeQEDataPlus(CDecodeCode& code);
  static void DecodeOnePEDataPlusSeries(const kestrel::SeriesTarget& target, int at, int n,
                                        CDecodeCode& code);
  // History trends (type 6): a symbols block, then one nested message whose
  // result is merged in.
  static CKestrelData* DecodeHisTrendData(CDecodeCode& code);

#ifdef KESTREL_INTERNAL
  // The library's own helpers, which hosts never see (hidden, and declared
  // only when the library or its tests are built).
#include "codec/KestrelCodeHelpers.inc"
#endif
};

#endif  // KESTREL_KESTRELCODE_H
