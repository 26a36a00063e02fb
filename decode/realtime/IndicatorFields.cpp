// Decoders of the indicators that carry more than one scaled number: counted
// lists that become series records, corporate actions, sized strings, fixed
// scales, and the level-2 blocks.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "IndexToValue.h"
#include "KestrelCode.h"
#include "KestrelRecords.h"
#include "L2OrderQueue.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "decode/series/Calendar.h"
#include "decode/series/ColumnLayout.h"
#include "model/IndicatorCatalogue.h"
#include "model/OwnedArray.h"
#include "model/StoreValue.h"
#include "model/ValueTypes.h"

namespace {

using kestrel::ColumnCodec;
using kestrel::ColumnSpec;

// Series of the counted-list indicators, each a layout of columns.
constexpr ColumnSpec kList57[] = {{ColumnCodec::kIntPlain, {57}}};
constexpr ColumnSpec kList58[] = {{ColumnCodec::kIntPlain, {58}}};
constexpr ColumnSpec kList152[] = {{ColumnCodec::kQeDate, {1}},
                                   {ColumnCodec::kInt64Scaled, {152}, 1, 1}};
// 156 carries the same columns as 152, with calendar dates and day gaps.
constexpr ColumnSpec kList156[] = {{ColumnCodec::kDate, {1}},
                                   {ColumnCodec::kInt64Scaled, {152}, 1, 1}};

// Corporate actions (150): a date, an amount and a comment per action.
constexpr int kActionIds[] = {1, 150, 131};
constexpr int kActionColumns = static_cast<int>(std::size(kActionIds));
constexpr int kActionEpoch = 19900101;  // day offsets count from this date
constexpr int kActionAmountDecimals = 5;
constexpr int kFixedScaleDecimals = 5;  // indicator 151

// The comment of a corporate action is coded with markers that stand for
// Chinese phrases; every other byte stands for itself. The phrases are GBK.
struct CommentMarker {
  char marker;
  std::string_view gbk;
};
// Every byte in hex, digits and parentheses included, so that no escape runs
// into the character after it.
// clang-format off
constexpr CommentMarker kCommentMarkers[] = {
    {'!', "\xC3\xBF\x31\x30\xB9\xC9\xC5\xC9"},  // per 10 shares, dividend
    {'#', "\xC3\xBF\x31\x30\xB9\xC9\xCB\xCD"},  // per 10 shares, bonus shares
    {'@', "\xC3\xBF\x31\x30\xB9\xC9\xD7\xAA"},  // per 10 shares, transfer
    {'{', "\xC3\xBF\x31\x30\xB9\xC9\xC5\xE4"},  // per 10 shares, rights issue
    {'~', "\xC3\xBF\x31\x30\xB7\xDD\xC5\xC9"},  // per 10 units, dividend
    {'D', "\xC3\xC0\xD4\xAA"},  // US dollars
    {'F', "\xB7\xDD"},  // units
    {'G', "\xB9\xC9"},  // shares
    {'H', "\xB8\xDB\xB1\xD2"},  // HK dollars
    {'S', "\xCB\xCD"},  // bonus
    {'T', "\x28\xBA\xAC\xCB\xB0\x29"},  // (tax included)
    {'Y', "\xD4\xAA"},  // yuan
    {'Z', "\xD7\xAA"},  // transfer
    {'^', "\xB9\xC9\xB8\xC4\xB6\xD4\xBC\xDB"},  // share reform consideration
};
// clang-format on

// The entry's value: d converted to the single-value type of indicator id.
void FillEntry(CIndexValue* value, int id, double d) {
  kestrel::StoreNumber(*value, IndicatorValueType(id, false), d);
}

// Labels a series record of an indicator: security type, indicator, code,
// period 0 (indicator series), the series kind and statuses 0.
void LabelSeries(CKestrelHisData* record, char* code, int id, THisType hisType,
                 const std::string& securityType) {
  record->SetSecurityType(securityType.c_str(), static_cast<int>(securityType.size()));
  record->SetIndIndex(id);
  record->SetDatas(code, static_cast<int>(std::strlen(code)), kPeriodIndicator, hisType, 0, 0);
}

}  // namespace

char* CKestrelCode::DecodeHQAFComment(const char* text) {
  if (text == nullptr) return nullptr;
  // The text grows as it needs: a long comment expands without bound of its
  // own, limited only by the comment read from the message.
  std::string out;
  for (const char* c = text; *c != '\0'; ++c) {
    const CommentMarker* marker = nullptr;
    for (const CommentMarker& row : kCommentMarkers) {
      if (row.marker == *c) marker = &row;
    }
    if (marker != nullptr) {
      out.append(marker->gbk);
    } else {
      out.push_back(*c);
    }
  }
  return TryNewText<kestrel::ResultArrays>(out);
}

void CKestrelCode::DecodeCountedSeries(CKestrelHisData* record, CIndexValue* value, char* code,
                                       int id, std::string& securityType, THisType hisType,
                                       const kestrel::ColumnLayout& layout, bool countAsInt,
                                       CDecodeCode& cursor) {
  const auto n = kestrel::ReadWrappedInt32(cursor);
  // 57 keeps its count as an int whatever its type says.
  if (countAsInt) {
    value->nValue = n;
  } else {
    FillEntry(value, id, n);
  }
  if (n <= 0) return;
  DecodeColumnLayout(record, layout, n, 0, cursor);
  LabelSeries(record, code, id, hisType, securityType);
}

void CKestrelCode::Decode_57_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                      int id, std::string& securityType, CDecodeCode& cursor) {
  DecodeCountedSeries(record, value, code, id, securityType, kHisIndicator57Or58, kList57, true,
                      cursor);
}

void CKestrelCode::Decode_58_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                      int id, std::string& securityType, CDecodeCode& cursor) {
  DecodeCountedSeries(record, value, code, id, securityType, kHisIndicator57Or58, kList58, false,
                      cursor);
}

void CKestrelCode::Decode_152_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                       int id, std::string& securityType, CDecodeCode& cursor) {
  DecodeCountedSeries(record, value, code, id, securityType, kHisIndicator152, kList152, false,
                      cursor);
}

void CKestrelCode::Decode_156_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                       int id, std::string& securityType, CDecodeCode& cursor) {
  DecodeCountedSeries(record, value, code, id, securityType, kHisIndicator156, kList156, false,
                      cursor);
}

void CKestrelCode::Decode_150_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                       int id, std::string& securityType, CDecodeCode& cursor) {
  const auto n = kestrel::ReadWrappedInt32(cursor);
  FillEntry(value, id, n);
  if (n <= 0) return;
  // The count is honoured as announced (codec/WireCounts.h): a row holds a
  // date, an amount and a comment's pointer and block.
  constexpr int64_t kActionRowBytes =
      sizeof(int) + sizeof(double) + sizeof(char*) + kestrel::kBlockOverheadBytes;
  const int rows = kestrel::HonouredCount(n, kActionRowBytes, cursor);
  PrepareSeriesColumns(record, kActionColumns, kActionIds, rows);
  LabelSeries(record, code, id, kHisIndicator150, securityType);
  CIndexToValue* values = record->GetIndexToValue();
  CIndexValue* columns = values->GetIndexValue();
  if (columns == nullptr || values->GetNum() != kActionColumns) return;
  for (int c = 0; c < kActionColumns; ++c) {
    if (values->GetOneIndexValueNum()[c] != rows) return;  // storage ran out
  }
  int* dates = columns[0].pnValue;
  double* amounts = columns[1].pdValue;
  char** comments = columns[2].ppcValue;
  for (int k = 0; k < rows; ++k) {
    const auto days = kestrel::ReadWrappedInt32(cursor);
    const auto amount = kestrel::ReadWrappedInt32(cursor);
    const std::string comment = ReadSizedText(cursor);
    dates[k] = kestrel::AddDaysToDate(kActionEpoch, days);
    amounts[k] = GetFloat(amount, kActionAmountDecimals);
    comments[k] = DecodeHQAFComment(comment.c_str());
  }
}

void CKestrelCode::Decode_151_IndIndex(CIndexValue* value, int id, CDecodeCode& cursor) {
  const int64_t v = ReadInt64(cursor);
  FillEntry(value, id, GetFloat(v, kFixedScaleDecimals));
}

void CKestrelCode::Decode_other_IndIndex(CIndexValue* value, char* code, int id, int factor,
                                         CDecodeCode& cursor) {
  const int64_t fixed = FixFactor(code, id, ReadInt64(cursor));
  FillEntry(value, id, GetFloat(fixed, GetRealFactor(factor, id)));
}

// Level-2 blocks inside a quote update. The series decoder labels the record
// with the code, period and kind; the number that follows the block also
// goes to the quote entry. The catalogue types these entries as doubles, so
// the entry holds that number as a double (the extra entries 327, 328 and
// 329 carry the same numbers as integers).
void CKestrelCode::DecodeLevel2Block(CKestrelHisData* record, CIndexValue* value, char* code,
                                     int id, std::string& securityType, Level2Series series,
                                     int* trailing, CDecodeCode& cursor) {
  record->SetSecurityType(securityType.c_str(), static_cast<int>(securityType.size()));
  record->SetIndIndex(id);
  series(code, record, cursor);
  *trailing = kestrel::ReadWrappedInt32(cursor);
  FillEntry(value, id, *trailing);
}

void CKestrelCode::Decode_89_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                      int id, std::string& securityType, int* trailing,
                                      CDecodeCode& cursor) {
  DecodeLevel2Block(record, value, code, id, securityType, DecodeL2DealRevertData, trailing,
                    cursor);
}

void CKestrelCode::Decode_90_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                      int id, std::string& securityType, int* trailing,
                                      int64_t* trailingLong, CDecodeCode& cursor) {
  DecodeLevel2Block(record, value, code, id, securityType, DecodeL2DealData, trailing, cursor);
  *trailingLong = ReadInt64(cursor);
}

void CKestrelCode::Decode_93_IndIndex(CKestrelHisData* record, CIndexValue* value, char* code,
                                      int id, std::string& securityType, int* trailing,
                                      CDecodeCode& cursor) {
  DecodeLevel2Block(record, value, code, id, securityType, DecodeL2OrdersData, trailing, cursor);
}

void CKestrelCode::Decode_91_IndIndex(CKestrelL2OrderQueue* queue, CIndexValue* value, char* code,
                                      int id, CDecodeCode& cursor) {
  DecodeL2OrderQueueData(code, queue, cursor);
  // The entry names the indicator itself, whatever the queue holds.
  FillEntry(value, id, id);
}
