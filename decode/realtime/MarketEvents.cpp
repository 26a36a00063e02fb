// Two lists that travel inside larger messages: market events (the value of
// indicator 155) and parameter lists (id, decimals, value) of QE data.
//
// Every count read from the wire is cut to what the bytes left can hold, so
// a forged count cannot make a list allocate without bound.
#include <cstdint>
#include <cstring>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "model/OwnedArray.h"

namespace {

using kestrel::BoundedCount;

// Fewest bytes of one market event: its four numbers, two empty sized
// texts and a field count of 0.
constexpr int kEventMinBytes = kKestrelEventInfoCount + 3;
// Fewest bytes of one event field: an id and a value.
constexpr int kFieldMinBytes = 2;
// Fewest bytes of one parameter: an id, its decimals and a value.
constexpr int kParameterMinBytes = 3;

}  // namespace

void CKestrelCode::DecodeMarketEventData(CKestrelData* result, CDecodeCode& code) {
  if (result == nullptr) return;
  // With no event to read the list already in the result stays; otherwise
  // it is replaced by the new one.
  const int count = BoundedCount(static_cast<int32_t>(ReadUInt32(code)), kEventMinBytes, code);
  if (count < 1) return;
  result->SetMarketEventListLen(count);
  result->SetMarketEventList();
  CKestrelMarketEventData* events = result->GetMarketEventList();
  if (events == nullptr) return;

  // Fresh events are zeroed: events the message cannot hold stay so.
  for (int i = 0; i < result->GetMarketEventListLen() && !code.Exhausted(); ++i) {
    CKestrelMarketEventData& event = events[i];
    for (int& number : event.EventInfo) number = static_cast<int32_t>(ReadUInt32(code));
    // Texts longer than their fields are cut to them (47 and 39
    // characters); the rest of their bytes is skipped.
    ReadSizedString(code, event.TernCode);
    const int factor = GetPriceUnitFactor(event.TernCode);
    event.FieldItemNum = BoundedCount(static_cast<int32_t>(ReadUInt32(code)), kFieldMinBytes, code);
    event.FieldItem = TryNewArray<kestrel::ResultArrays, CMarketEventFieldItem>(event.FieldItemNum);
    if (event.FieldItem == nullptr) event.FieldItemNum = 0;
    for (int k = 0; k < event.FieldItemNum; ++k) {
      CMarketEventFieldItem& field = event.FieldItem[k];
      field.IndIndex = static_cast<int32_t>(ReadUInt32(code));
      // Scaled by the event's security and the field's id; no correction
      // of futures or gold integers applies here.
      field.Value = GetFloat(ReadInt64(code), GetRealFactor(factor, field.IndIndex));
    }
    ReadSizedString(code, event.EventText);
  }
}

void CKestrelCode::DecodeParameters(CKestrelData* result, char* ternCode, CDecodeCode& code) {
  if (result == nullptr) return;
  const int count = BoundedCount(static_cast<int32_t>(ReadUInt32(code)), kParameterMinBytes, code);
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

  // The count is already bounded by the bytes left, so every entry is read
  // even when the message ends early: entries behind its end read as id 0
  // holding 0.0, never as unset values.
  for (int k = 0; k < values->GetNum(); ++k) {
    const auto id = static_cast<int32_t>(ReadUInt32(code));
    const auto decimals = static_cast<int32_t>(ReadUInt32(code));
    const int64_t raw = ReadInt64(code);
    values->GetIndexId()[k] = id;
    values->GetOneIndexValueNum()[k] = 1;
    values->GetValueType()[k] = FindValueTypeByIndexId(id, false);
    // The decimals come from the wire; decimals GetFloat refuses give 0.0.
    values->SetOneNoPointerIndexValueByDouble(k, GetFloat(raw, decimals));
  }
}
