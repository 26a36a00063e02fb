// Pieces shared by the decoders of history messages, and the record sink.
#include "decode/series/SeriesResult.h"

#include <cstring>
#include <new>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "decode/series/SeriesSink.h"
#include "model/OwnedArray.h"
#include "model/ValueStorage.h"

namespace kestrel {

CKestrelHisData* NewSeriesRecords(CKestrelData& data, int count) {
  data.SetHisDataNum(count);
  data.SetHisData();
  return data.GetKestrelHisData();
}

void LabelSecurityType(CKestrelHisData& record, std::string_view type) {
  record.SetSecurityType(type.data(), static_cast<int>(type.size()));
}

int AddLabelledSeries(SeriesSink& sink, int count, std::string_view type) {
  const int first = sink.AddSeries(count);
  if (first < 0) return -1;
  for (int i = 0; i < count; ++i) sink.SetSecurityType(first + i, type);
  return first;
}

std::string StoreSecurityType(const SeriesTarget& target) {
  std::string type =
      CKestrelCode::GetSecurityType(const_cast<char*>(target.sink->Code(target.series)));
  target.sink->SetSecurityType(target.series, type);
  return type;
}

CKestrelData* DecodeIntoRecords(CDecodeCode& code, SinkDecoder decode) {
  auto data = std::make_unique<CKestrelData>();
  SeriesRecordSink sink(*data);
  return decode(sink, code) ? data.release() : nullptr;
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

// The record sink.

namespace kestrel {

int SeriesRecordSink::AddSeries(int count) {
  // A result's history list is made once; a second list would replace it.
  if (count < 1 || data_.GetHisDataNum() > 0) return -1;
  return NewSeriesRecords(data_, count) != nullptr ? 0 : -1;
}

int SeriesRecordSink::SeriesCount() const {
  return const_cast<CKestrelData&>(data_).GetKestrelHisData() != nullptr
             ? const_cast<CKestrelData&>(data_).GetHisDataNum()
             : 0;
}

CKestrelHisData* SeriesRecordSink::Record(int series) {
  if (series < 0 || series >= SeriesCount()) return nullptr;
  return data_.GetKestrelHisData() + series;
}

void SeriesRecordSink::SetHeader(int series, const char* code, TPeriodType period, THisType hisType,
                                 int statusNew, int statusOld) {
  if (CKestrelHisData* record = Record(series)) {
    char* text = const_cast<char*>(code);
    record->SetDatas(text, static_cast<int>(std::strlen(text)), period, hisType, statusNew,
                     statusOld);
  }
}

void SeriesRecordSink::SetStatus(int series, int statusNew, int statusOld) {
  if (CKestrelHisData* record = Record(series)) {
    record->SetStatusNew(statusNew);
    record->SetStatusOld(statusOld);
  }
}

void SeriesRecordSink::SetSecurityType(int series, std::string_view type) {
  if (CKestrelHisData* record = Record(series)) LabelSecurityType(*record, type);
}

const char* SeriesRecordSink::Code(int series) const {
  CKestrelHisData* record = const_cast<SeriesRecordSink*>(this)->Record(series);
  return record != nullptr ? record->GetTernCode() : "";
}

THisType SeriesRecordSink::HisType(int series) const {
  CKestrelHisData* record = const_cast<SeriesRecordSink*>(this)->Record(series);
  return record != nullptr ? record->GetHisType() : kHisKLine;
}

int SeriesRecordSink::ReserveColumns(int series, int count) {
  CKestrelHisData* record = Record(series);
  if (record == nullptr || count < 1) return 0;
  // The entries are made in one piece, so that many columns cost linear
  // time; they start with no id, type, rows or storage.
  CIndexToValue* values = record->GetIndexToValue();
  reservedAt_ = values->GetNum() > 0 ? values->GetNum() : 0;
  if (reservedAt_ == 0) {
    values->SetNum(count);
    values->SetDatas();
  } else {
    values->AddLength(count);
  }
  return values->GetIndexValue() != nullptr ? values->GetNum() - reservedAt_ : 0;
}

CIndexValue* SeriesRecordSink::Column(int series, int at, int id, int type, int rows) {
  CKestrelHisData* record = Record(series);
  if (record == nullptr || at < 0) return nullptr;
  CIndexToValue& values = *record->GetIndexToValue();
  const int entry = reservedAt_ + at;
  if (values.GetIndexValue() == nullptr || entry >= values.GetNum()) return nullptr;
  values.GetIndexId()[entry] = id;
  values.GetValueType()[entry] = type;
  values.GetOneIndexValueNum()[entry] = rows;
  if (!IsArrayType(type) || rows < 1) return nullptr;
  // The caller writes every element of a number array; text pointers are
  // cleared.
  MakeValueStorage(values, entry, Fill::kNone);
  return HasArray(values.GetIndexValue()[entry], type) ? &values.GetIndexValue()[entry] : nullptr;
}

char* SeriesRecordSink::StoreText(std::string_view text) { return TryNewText<ResultArrays>(text); }

}  // namespace kestrel
