// Pieces shared by the decoders of single-series history messages: the
// result that holds one history record, the security type stored on it, and
// the ordered rules that choose a column layout by security type.
#ifndef KESTREL_DECODE_SERIES_SERIESRESULT_H
#define KESTREL_DECODE_SERIES_SERIESRESULT_H

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class CDecodeCode;
class CKestrelData;
class CKestrelHisData;

namespace kestrel {

// A new result whose history list holds exactly one default record, or null
// when the result or its record cannot be allocated.
std::unique_ptr<CKestrelData> NewOneSeriesResult();

// Gives `data` a history list of `count` default records and returns the
// first, or null when the records cannot be allocated.
CKestrelHisData* NewSeriesRecords(CKestrelData& data, int count);

// Stores `type` as the record's security type.
void LabelSecurityType(CKestrelHisData& record, std::string_view type);

// NewSeriesRecords, then every record labelled with the security type.
CKestrelHisData* NewLabelledRecords(CKestrelData& data, int count, std::string_view type);

// Classifies the record's code, stores the security type on the record and
// returns it.
std::string StoreSecurityType(CKestrelHisData& record);

// A decoder of one series layout.
using SeriesDecoder = void (*)(CKestrelHisData* record, CDecodeCode& code);

// A rule of a layout choice: a security type and, when not empty, a part
// that the code must contain (case-sensitive).
struct LayoutRule {
  std::string_view type;
  std::string_view codePart;
  SeriesDecoder decode;
};

// The decoder of the first rule that matches, or `fallback`.
SeriesDecoder ChooseLayout(const LayoutRule* rules, size_t count, std::string_view type,
                           std::string_view code, SeriesDecoder fallback);
template <size_t N>
SeriesDecoder ChooseLayout(const LayoutRule (&rules)[N], std::string_view type,
                           std::string_view code, SeriesDecoder fallback) {
  return ChooseLayout(rules, N, type, code, fallback);
}

}  // namespace kestrel

#endif  // KESTREL_DECODE_SERIES_SERIESRESULT_H
