// Two lists that travel inside larger messages: market events (the value of
// indicator 155) and parameter lists (id, decimals, value) of QE data.
//
// Counts are honoured as announced (codec/WireCounts.h).
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "model/OwnedArray.h"

namespace {

using kestrel::HonouredCount;

// Memory one parameter holds: an entry of each of the four arrays of a
// value list (id, type, count, value).
constexpr int64_t kParameterBytes = 3 * sizeof(int) + sizeof(CIndexValue);

}  // namespace

void CKestrelCode::DecodeMarketEventData(CKestrelData* result, CDecodeCode& code) {
  if (result == nullptr) return;
  // With no event to read the list already in the result stays; otherwise
  // it is replaced by the new one.
  const int count =
      HonouredCount(kestrel::ReadWrappedInt32(code), sizeof(CKestrelMarketEventData), code);
  if (count < 1) return;
  result->SetMarketEventListLen(count);
  result->SetMarketEventList();
  CKestrelMarketEventData* events = result->GetMarketEventList();
  if (events == nullptr) return;

  // Fresh events are zeroed: events the message cannot hold stay so.
  for (int i = 0; i < result->GetMarketEventListLen() && !code.Exhausted(); ++i) {
    CKestrelMarketEventData& event = events[i];
    for (int& number : event.EventInfo) number = kestrel::ReadWrappedInt32(code);
    // Texts longer than their fields are cut to them (47 and 39
    // characters); the rest of their bytes is skipped.
    ReadSizedString(code, event.TernCode);
    const int factor = GetPriceUnitFactor(event.TernCode);
    // A negative count is kept as read, with no fields.
    const int32_t wireFields = kestrel::ReadWrappedInt32(code);
    const int fields = HonouredCount(wireFields, sizeof(CMarketEventFieldItem), code);
    event.FieldItem = TryNewArray<kestrel::ResultArrays, CMarketEventFieldItem>(fields);
    event.FieldItemNum = event.FieldItem != nullptr ? fields : std::min(wireFields, 0);
    for (int k = 0; k < event.FieldItemNum; ++k) {
      CMarketEventFieldItem& field = event.FieldItem[k];
      field.IndIndex = kestrel::ReadWrappedInt32(code);
      // Scaled by the event's security and the field's id; no correction
      // of futures or gold integers applies here.
      field.Value = GetFloat(ReadInt64(code), GetRealFactor(factor, field.IndIndex));
    }
    ReadSizedString(code, event.EventText);
  }
}

void CKestrelCode::DecodeParameters(CKestrelData* result, char* ternCode, CDecodeCode& code) {
  if (result == nullptr) return;
  const int count = HonouredCount(kestrel::ReadWrappedInt32(code), kParameterBytes, code);
  if (count < 1) return;
  result->SetQuoteDataNum(1);
  result->SetQuoteData();
  CKestrelQuoteData* quote = result->GetKestrelQuoteData();
  if (quote == nullptr) return;
  quote->SetTernCode(ternCode, ternCode != nullptr ? static_cast<int>(std::strlen(ternCode)) : 0);
  CIndexToValue* values = quote->GetIndexToValue();
  values->SetNum(count);
  values->SetDatas();
  if (values->GetIndexValue() == nullptr) return;

  // Every announced entry is read, even when the message ends early: entries behind its end read as
  // id 0 holding 0.0, never as unset values.
  for (int k = 0; k < values->GetNum(); ++k) {
    const auto id = kestrel::ReadWrappedInt32(code);
    const auto decimals = kestrel::ReadWrappedInt32(code);
    const int64_t raw = ReadInt64(code);
    values->GetIndexId()[k] = id;
    values->GetOneIndexValueNum()[k] = 1;
    values->GetValueType()[k] = FindValueTypeByIndexId(id, false);
    // The decimals come from the wire; decimals GetFloat refuses give 0.0.
    values->SetOneNoPointerIndexValueByDouble(k, GetFloat(raw, decimals));
  }
}
