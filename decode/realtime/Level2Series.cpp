// Level-2 series: individual deals, reverted deals and orders of one
// security, and the level-2 transaction history message (type 130).
//
// Each series is a row count followed by its columns, all rows of one column
// before the next. The three column lists are tables run by the column
// layout engine; the named decoders only pick a table. Prices of level-2
// series always carry three decimals, whatever the security's own factor.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/TernCode.h"
#include "decode/series/ColumnLayout.h"
#include "decode/series/SeriesResult.h"
#include "decode/series/SeriesSink.h"

namespace {

using kestrel::ColumnCodec;
using kestrel::ColumnSpec;

// Decimals of every level-2 price column.
constexpr int kLevel2PriceDecimals = 3;

// A 64-bit column: an unsigned first value, then signed deltas, stored
// unscaled (both multipliers 1).
constexpr ColumnSpec Int64Column(int id) { return {ColumnCodec::kInt64U32, {id}, 1, 1}; }
// A 32-bit column: an unsigned first value, then signed deltas, wrapping
// modulo 2^32.
constexpr ColumnSpec Int32Column(int id) { return {ColumnCodec::kIntDelta, {id}}; }
// A price column: an unsigned first value, then signed deltas, as doubles of
// three decimals.
constexpr ColumnSpec PriceColumn(int id) {
  return {ColumnCodec::kDoubleU32, {id}, 1, 1, kLevel2PriceDecimals};
}

// Deal series (his type 10), columns in wire order.
constexpr ColumnSpec kDealColumns[] = {
    Int64Column(330),
    Int32Column(102),  // the one 32-bit column
    Int64Column(331),
    PriceColumn(332),  // deal price
    Int64Column(333),
};

// Deal revert series (his type 12), columns in wire order.
constexpr ColumnSpec kDealRevertColumns[] = {
    Int64Column(342), Int64Column(334),
    PriceColumn(332),  // price of the reverted deal
    Int64Column(333), Int64Column(335), Int64Column(336), Int64Column(337),
    Int64Column(338), Int64Column(339), Int64Column(348),  // seven 64-bit columns
};

// Order series (his type 13), columns in wire order.
constexpr ColumnSpec kOrderColumns[] = {
    Int64Column(331), Int64Column(330),
    PriceColumn(332),  // order price
    Int64Column(333),
    Int32Column(102),  // the one 32-bit column
    Int64Column(345),
};

// The numbers of the type-130 header that precede the series; only the last
// is used: when it is 0 or less, no series follows.
constexpr int kHistoryHeaderNumbers = 4;

// The ids of the quote that trails the deals of a type-130 body: a 32-bit
// number (327) and a 64-bit one (350).
constexpr int kTrailerIds[] = {327, 350};

// Reads the security code and the header of a type-130 body and gives the
// sink its single series, labelled, whose index is returned; -1 when the
// code is empty, the header announces no series or the series cannot be
// made.
int OpenHistorySeries(kestrel::SeriesSink& sink, THisType hisType, char (&ternCode)[kTernCodeSize],
                      CDecodeCode& code) {
  ReadTernCode(code, ternCode);
  if (ternCode[0] == '\0') return -1;
  int32_t last = 0;
  for (int i = 0; i < kHistoryHeaderNumbers; ++i) last = kestrel::ReadWrappedInt32(code);
  if (last <= 0) return -1;
  const int series = sink.AddSeries(1);
  if (series >= 0) sink.SetHeader(series, ternCode, kPeriodDeal, hisType, 0, 0);
  return series;
}

}  // namespace

void CKestrelCode::DecodeL2Series(char* ternCode, CKestrelHisData* record, int hisType,
                                  const kestrel::ColumnLayout& layout, CDecodeCode& code) {
  if (record == nullptr) return;
  // Labelled before anything is read, so a caller finds the code set even
  // when the series is empty.
  record->SetDatas(ternCode, ternCode != nullptr ? static_cast<int>(std::strlen(ternCode)) : 0,
                   kPeriodDeal, static_cast<THisType>(hisType), 0, 0);
  const auto rows = kestrel::ReadWrappedInt32(code);
  // The engine declares the columns only for a positive count, and honours
  // it within the message's memory budget (codec/WireCounts.h).
  DecodeColumnLayout(record, layout, rows, kLevel2PriceDecimals, code);
}

void CKestrelCode::DecodeL2DealData(char* ternCode, CKestrelHisData* record, CDecodeCode& code) {
  DecodeL2Series(ternCode, record, kHisLevel2Deal, kDealColumns, code);
}

void CKestrelCode::DecodeL2DealRevertData(char* ternCode, CKestrelHisData* record,
                                          CDecodeCode& code) {
  DecodeL2Series(ternCode, record, kHisLevel2DealRevert, kDealRevertColumns, code);
}

void CKestrelCode::DecodeL2OrdersData(char* ternCode, CKestrelHisData* record, CDecodeCode& code) {
  DecodeL2Series(ternCode, record, kHisLevel2Order, kOrderColumns, code);
}

CKestrelData* CKestrelCode::DecodeLevel2TransactionsHistory(CDecodeCode& code) {
  return kestrel::DecodeIntoRecords(code, &DecodeLevel2TransactionsHistoryInto);
}

bool CKestrelCode::DecodeLevel2TransactionsHistoryInto(kestrel::SeriesSink& sink,
                                                       CDecodeCode& code) {
  // The kind of history that follows; any other kind has no body.
  struct Kind {
    uint32_t kind;
    void (*decode)(kestrel::SeriesSink& sink, CDecodeCode& code);
  };
  static constexpr Kind kKinds[] = {
      {1, DecodeLevel2TransactionsInto},        // deals, then the trailing quote
      {2, DecodeLevel2TransactionsRevertInto},  // reverted deals
  };
  const uint32_t kind = ReadUInt32(code);
  for (const Kind& row : kKinds) {
    if (row.kind == kind) row.decode(sink, code);
  }
  return true;
}

void CKestrelCode::DecodeLevel2Transactions(CKestrelData* result, CDecodeCode& code) {
  if (result == nullptr) return;
  kestrel::SeriesRecordSink sink(*result);
  DecodeLevel2TransactionsInto(sink, code);
}

void CKestrelCode::DecodeLevel2TransactionsRevert(CKestrelData* result, CDecodeCode& code) {
  if (result == nullptr) return;
  kestrel::SeriesRecordSink sink(*result);
  DecodeLevel2TransactionsRevertInto(sink, code);
}

void CKestrelCode::DecodeLevel2TransactionsInto(kestrel::SeriesSink& sink, CDecodeCode& code) {
  char ternCode[kTernCodeSize] = {};
  const int series = OpenHistorySeries(sink, kHisLevel2Deal, ternCode, code);
  if (series < 0) return;
  const auto rows = kestrel::ReadWrappedInt32(code);
  DecodeSeriesColumns({&sink, series}, kDealColumns, rows, kLevel2PriceDecimals,
                      kestrel::ColumnPlacement::kDeclare, code);

  // The quote that carries the two numbers trailing the deals is a record:
  // a sink without records leaves it unread.
  CKestrelData* result = sink.Records();
  if (result == nullptr) return;
  result->SetQuoteDataNum(1);
  result->SetQuoteData();
  CKestrelQuoteData* quote = result->GetKestrelQuoteData();
  if (quote == nullptr) return;
  quote->SetTernCode(ternCode, static_cast<int>(std::strlen(ternCode)));
  int trailerIds[std::size(kTrailerIds)];
  std::copy(std::begin(kTrailerIds), std::end(kTrailerIds), trailerIds);
  SetQuoteDataIndexToValue(quote, static_cast<int>(std::size(trailerIds)), trailerIds);
  CIndexValue* values = quote->GetIndexToValue()->GetIndexValue();
  if (values == nullptr) return;
  values[0].nValue = kestrel::ReadWrappedInt32(code);
  values[1].llValue = ReadInt64(code);
}

void CKestrelCode::DecodeLevel2TransactionsRevertInto(kestrel::SeriesSink& sink,
                                                      CDecodeCode& code) {
  char ternCode[kTernCodeSize] = {};
  const int series = OpenHistorySeries(sink, kHisLevel2DealRevert, ternCode, code);
  if (series < 0) return;
  const auto rows = kestrel::ReadWrappedInt32(code);
  DecodeSeriesColumns({&sink, series}, kDealRevertColumns, rows, kLevel2PriceDecimals,
                      kestrel::ColumnPlacement::kDeclare, code);
}
