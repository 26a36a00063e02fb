// Pieces shared by the decoders of history messages: the result that holds
// their records, the security type stored on a series, and the ordered rules
// that choose a column layout by security type.
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

class SeriesSink;
struct SeriesTarget;

// Gives `data` a history list of `count` default records and returns the
// first, or null when the records cannot be allocated.
CKestrelHisData* NewSeriesRecords(CKestrelData& data, int count);

// Stores `type` as the record's security type.
void LabelSecurityType(CKestrelHisData& record, std::string_view type);

// Adds `count` series to the sink, each labelled with the security type;
// the index of the first, or -1 when they cannot be made.
int AddLabelledSeries(SeriesSink& sink, int count, std::string_view type);

// Classifies the series' stored code, stores the security type on the
// series and returns it.
std::string StoreSecurityType(const SeriesTarget& target);

// A decoder of a whole message into a sink: false when the result cannot be
// made at all.
using SinkDecoder = bool (*)(SeriesSink& sink, CDecodeCode& code);
// The message decoded into the records of a new result; null when the
// result cannot be made.
CKestrelData* DecodeIntoRecords(CDecodeCode& code, SinkDecoder decode);

// A decoder of one series layout.
using SeriesDecoder = void (*)(const SeriesTarget& target, CDecodeCode& code);

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
