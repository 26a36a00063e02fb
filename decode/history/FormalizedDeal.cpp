// Last deals of one security: the deal operations that the formalized trend
// message (type 17) runs after its trend, and the formalized deal message
// (type 18), which carries the deals alone.
//
// Type 18 body: presence field (0 or less, as a signed number: nothing
// follows), compact code, then one deal part: row count and the columns of
// the layout that the code's security type chooses. Its choice of layout is
// its own: bonds take the A-share layout with their ordinary price unit
// factor, ETF/LOF codes that publish an IOPV still get deals, overseas
// futures take the domestic futures layout, and no extra column follows.
//
// A-share and bond deals end in two numbers and the id-92 column; the first
// number, when 1 or more, announces the column for A shares, and becomes the
// one value (id 71) of a quote record.
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/CodeText.h"
#include "codes/TernCode.h"
#include "decode/series/ColumnLayout.h"
#include "decode/history/Formalized.h"
#include "decode/series/SeriesResult.h"
#include "model/ValueTypes.h"

namespace {

namespace layouts = kestrel::formalized;

// The indicator of the quote record that A-share deals may add.
constexpr int kDealQuoteId = 71;

// Whether the id-92 column follows the two numbers after the flags: for A
// shares only when the first announces it, for bonds always.
constexpr bool kTailWhenAnnounced = false;
constexpr bool kTailAlways = true;

// Codes of ".HI" indexes (in any case) carry the amount in their deal
// layout, so no amount column follows.
bool IsHIIndex(const char* code) {
  return kestrel::UpperCased(code).View().find(".HI") != std::string_view::npos;
}

// Gives `data` one quote record of the code holding the single int `value`
// as indicator 71. Nothing when the record or its entry cannot be made.
void StoreDealQuote(CKestrelData* data, char* code, int value) {
  data->SetQuoteDataNum(1);
  data->SetQuoteData();
  CKestrelQuoteData* quote = data->GetKestrelQuoteData();
  if (quote == nullptr) return;
  quote->SetTernCode(code, static_cast<int>(std::strlen(code)));
  CIndexToValue* values = quote->GetIndexToValue();
  values->SetNum(1);
  values->SetDatas();
  if (values->GetNum() != 1) return;
  values->GetIndexId()[0] = kDealQuoteId;
  values->GetValueType()[0] = kValueInt;
  values->GetOneIndexValueNum()[0] = 1;
  values->SetOneNoPointerIndexValue(0, &value);
}

// A deal operation as the type table calls it: with the result, which only
// the A-share operations use.
using DealOperation = void (*)(CKestrelData* data, CKestrelHisData* record, char* code,
                               CDecodeCode& cursor);
using RecordOperation = void (*)(CKestrelHisData* record, char* code, CDecodeCode& cursor);
template <RecordOperation deal>
void OnRecord(CKestrelData*, CKestrelHisData* record, char* code, CDecodeCode& cursor) {
  deal(record, code, cursor);
}

struct DealRow {
  std::string_view key;  // security type
  DealOperation deal;
};

}  // namespace

CKestrelData* CKestrelCode::DecodeFormalizedDeal(CDecodeCode& cursor) {
  // The deal operation of each security type; other types get a record that
  // holds only the security type.
  static constexpr DealRow kDeals[] = {
      {"bond_sh", &DecodeLast24Deal_A},
      {"bond_sz", &DecodeLast24Deal_A},
      {"stock_a", &DecodeLast24Deal_A},
      {"warrant", &DecodeLast24Deal_A},
      {"stock_b", &DecodeLast24Deal_A},
      {"close_fund", &DecodeLast24Deal_A},
      {"bond_r", &DecodeLast24Deal_A},
      {"HK", OnRecord<&DecodeLast24Deal_HK>},
      {"SG", OnRecord<&DecodeLast24Deal_HK>},
      {"TW", OnRecord<&DecodeLast24Deal_HK>},
      {"O", OnRecord<&DecodeLast24Deal_HK>},
      {"A", OnRecord<&DecodeLast24Deal_HK>},
      {"N", OnRecord<&DecodeLast24Deal_HK>},
      {"L", OnRecord<&DecodeLast24Deal_HK>},
      {"index_sh", OnRecord<&DecodeLast24Deal_I>},
      {"index_sz", OnRecord<&DecodeLast24Deal_I>},
      {"etf", &DecodeLast24Deal_ETFLOF},
      {"lof", &DecodeLast24Deal_ETFLOF},
      {"futures", OnRecord<&DecodeLast24Deal_Futures>},
      {"oversea_futures", OnRecord<&DecodeLast24Deal_Futures>},
      {"fx", OnRecord<&DecodeLast24Deal_Fx_Gold>},
      {"FX", OnRecord<&DecodeLast24Deal_Fx_Gold>},
      {"sge", OnRecord<&DecodeLast24Deal_Fx_Gold>},
      {"SGE", OnRecord<&DecodeLast24Deal_Fx_Gold>},
  };
  auto data = std::make_unique<CKestrelData>();
  char code[kTernCodeSize] = {};
  if (!ReadFormalizedCode(code, cursor)) return data.release();
  RealCodeToBondCode(code);
  const std::string type = GetSecurityType(code);
  CKestrelHisData* record = kestrel::NewLabelledRecords(*data, 1, type);
  if (record == nullptr) return nullptr;
  if (const DealRow* row = kestrel::FindRow(kDeals, type)) {
    row->deal(data.get(), record, code, cursor);
  }
  return data.release();
}

int32_t CKestrelCode::DecodeDealWithTail(CKestrelHisData* record, char* code, int factor,
                                         bool tailAlways, CDecodeCode& cursor) {
  const int rows =
      DecodeFormalizedPart(record, code, kHisLast24Deal, layouts::kDealFlagged, factor, cursor);
  if (rows < 1) return 0;
  const auto announced = kestrel::ReadWrappedInt32(cursor);
  ReadUInt32(cursor);  // the second number is not kept
  // An id-92 column that is not sent stands in the record with no values
  // and no storage.
  AppendColumnLayout(record, layouts::kDealTail, tailAlways || announced >= 1 ? rows : 0, factor,
                     cursor);
  return announced;
}

void CKestrelCode::DecodeLast24Deal_A(CKestrelData* data, CKestrelHisData* record, char* code,
                                      CDecodeCode& cursor) {
  const int32_t announced =
      DecodeDealWithTail(record, code, GetPriceUnitFactor(code), kTailWhenAnnounced, cursor);
  if (announced >= 1 && data != nullptr) StoreDealQuote(data, code, announced);
}

void CKestrelCode::DecodeLast24Deal_ETFLOF(CKestrelData* data, CKestrelHisData* record, char* code,
                                           CDecodeCode& cursor) {
  DecodeLast24Deal_A(data, record, code, cursor);
}

void CKestrelCode::DecodeLast24Deal_Bond(CKestrelHisData* record, char* code, int factor,
                                         CDecodeCode& cursor) {
  DecodeDealWithTail(record, code, factor, kTailAlways, cursor);
}

void CKestrelCode::DecodeLast24Deal_HK(CKestrelHisData* record, char* code, CDecodeCode& cursor) {
  DecodeFormalizedPart(record, code, kHisLast24Deal, layouts::kDealFlagged,
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_Futures(CKestrelHisData* record, char* code,
                                            CDecodeCode& cursor) {
  DecodeFormalizedPart(record, code, kHisLast24Deal, layouts::kDealFutures,
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_I(CKestrelHisData* record, char* code, CDecodeCode& cursor) {
  DecodeFormalizedPart(
      record, code, kHisLast24Deal,
      IsHIIndex(code) ? kestrel::ColumnLayout(layouts::kDealHI) : layouts::kDealIndex,
      GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_Fx_Gold(CKestrelHisData* record, char* code,
                                            CDecodeCode& cursor) {
  DecodeFormalizedPart(record, code, kHisLast24Deal, layouts::DatedLayout(code),
                       GetPriceUnitFactor(code), cursor);
}

void CKestrelCode::DecodeLast24Deal_OverseaFutures(CKestrelHisData* record, char* code,
                                                   CDecodeCode& cursor) {
  DecodeFormalizedPart(record, code, kHisLast24Deal, layouts::kDated, GetPriceUnitFactor(code),
                       cursor);
}

// The amount of index deals follows the deal part with a count of its own,
// and joins the deal record.
void CKestrelCode::DecodeLast24DealAmount_I(CKestrelData* data, char* code, CDecodeCode& cursor) {
  if (IsHIIndex(code)) return;
  // The amount is stored as sent: no decimals apply.
  AppendCountedColumn(data, kHisLast24Deal, layouts::kExtraAmount, 0, cursor);
}
