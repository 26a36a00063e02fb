// Pieces shared by the decoders of single-series history messages.
#include "decode/series/SeriesResult.h"

#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"

namespace kestrel {

std::unique_ptr<CKestrelData> NewOneSeriesResult() {
  auto data = std::make_unique<CKestrelData>();
  if (NewSeriesRecords(*data, 1) == nullptr) return nullptr;
  return data;
}

CKestrelHisData* NewSeriesRecords(CKestrelData& data, int count) {
  data.SetHisDataNum(count);
  data.SetHisData();
  return data.GetKestrelHisData();
}

void LabelSecurityType(CKestrelHisData& record, std::string_view type) {
  record.SetSecurityType(type.data(), static_cast<int>(type.size()));
}

CKestrelHisData* NewLabelledRecords(CKestrelData& data, int count, std::string_view type) {
  CKestrelHisData* records = NewSeriesRecords(data, count);
  if (records == nullptr) return nullptr;
  for (int i = 0; i < count; ++i) LabelSecurityType(records[i], type);
  return records;
}

std::string StoreSecurityType(CKestrelHisData& record) {
  std::string type = CKestrelCode::GetSecurityType(record.GetTernCode());
  LabelSecurityType(record, type);
  return type;
}

SeriesDecoder ChooseLayout(const LayoutRule* rules, size_t count, std::string_view type,
                           std::string_view code, SeriesDecoder fallback) {
  for (size_t i = 0; i < count; ++i) {
    const LayoutRule& rule = rules[i];
    if (rule.type != type) continue;
    if (rule.codePart.empty() || code.find(rule.codePart) != std::string_view::npos) {
      return rule.decode;
    }
  }
  return fallback;
}

}  // namespace kestrel
