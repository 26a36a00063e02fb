// The pieces that formalized trends (type 17) and formalized deals (type 18)
// share: the presence field and code at the head of a message, a counted
// part decoded into one record, and an extra column with a count of its own.
#include <cstring>

#include "KestrelCode.h"
#include "KestrelData.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codes/TernCode.h"
#include "decode/history/Formalized.h"
#include "decode/series/ColumnLayout.h"
#include "decode/series/SeriesSink.h"

bool CKestrelCode::ReadFormalizedCode(char* code, CDecodeCode& cursor) {
  // The presence field is signed on the wire's terms.
  if (kestrel::ReadWrappedInt32(cursor) <= 0) return false;
  ReadTernCode(cursor, code, kTernCodeSize);
  return code[0] != '\0';
}

int CKestrelCode::DecodeFormalizedPart(const kestrel::SeriesTarget& target, char* code,
                                       THisType hisType, const kestrel::ColumnLayout& layout,
                                       int factor, CDecodeCode& cursor) {
  // A trend is a minute series, the deals a deal-by-deal series.
  const TPeriodType period = hisType == kHisMinuteTrend ? kPeriodMinuteBar0 : kPeriodDeal;
  target.sink->SetHeader(target.series, code, period, hisType, 0, 0);
  // The count is signed on the wire's terms: 0 or less means no columns.
  const auto count = kestrel::ReadWrappedInt32(cursor);
  return DecodeSeriesColumns(target, layout, count, factor, kestrel::ColumnPlacement::kDeclare,
                             cursor);
}

void CKestrelCode::AppendCountedColumn(kestrel::SeriesSink& sink, THisType hisType,
                                       const kestrel::ColumnLayout& layout, int factor,
                                       CDecodeCode& cursor) {
  const auto count = kestrel::ReadWrappedInt32(cursor);
  if (count < 1) return;
  // The first series of the part's history type takes the column; without
  // one the column stays unread.
  for (int i = 0; i < sink.SeriesCount(); ++i) {
    if (sink.HisType(i) != hisType) continue;
    DecodeSeriesColumns({&sink, i}, layout, count, factor, kestrel::ColumnPlacement::kAppend,
                        cursor);
    return;
  }
}
