// Pieces shared by the decoders of single-series history messages.
#include "decode/history/SeriesResult.h"

#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"

namespace kestrel {

std::unique_ptr<CKestrelData> NewOneSeriesResult() {
  std::unique_ptr<CKestrelData> data(new (std::nothrow) CKestrelData());
  if (data == nullptr) return nullptr;
  data->SetHisDataNum(1);
  data->SetHisData();
  if (data->GetKestrelHisData() == nullptr) return nullptr;
  return data;
}

std::string StoreSecurityType(CKestrelHisData& record) {
  std::string type = CKestrelCode::GetSecurityType(record.GetTernCode());
  record.SetSecurityType(type.c_str(), static_cast<int>(type.size()));
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
