// Column writers of series messages.
#include "wire/Columns.h"

#include <cstddef>

namespace kwire {

namespace {

void Number(MessageBuilder& out, int64_t value, Form form) {
  if (form == Form::kUnsigned) {
    out.UInt(static_cast<uint64_t>(value));
  } else {
    out.Int(value);
  }
}

int SecondsOfDay(int time) { return time / 10000 * 3600 + time / 100 % 100 * 60 + time % 100; }

}  // namespace

void DeltaColumn(MessageBuilder& out, const std::vector<int64_t>& values, Form first, Form deltas) {
  for (size_t i = 0; i < values.size(); ++i) {
    Number(out, i == 0 ? values[0] : values[i] - values[i - 1], i == 0 ? first : deltas);
  }
}

void PlainColumn(MessageBuilder& out, const std::vector<int64_t>& values, Form form) {
  for (const int64_t value : values) Number(out, value, form);
}

void PriceColumns(MessageBuilder& out, const std::vector<std::array<int64_t, 4>>& rows) {
  int64_t base = rows.empty() ? 0 : rows[0][0];
  out.UInt(static_cast<uint64_t>(base));
  for (const auto& row : rows) {
    out.Int(row[0] - base);
    base = row[0];
    for (size_t k = 1; k < 4; ++k) out.UInt(static_cast<uint64_t>(row[k] - row[0]));
  }
}

void DateColumn(MessageBuilder& out, const std::vector<int>& dates) {
  for (size_t i = 0; i < dates.size(); ++i) {
    out.UInt(i == 0 ? static_cast<uint64_t>(dates[0])
                    : static_cast<uint64_t>(DaysFromEpoch(dates[i]) - DaysFromEpoch(dates[i - 1])));
  }
}

void DateTimeColumns(MessageBuilder& out, const std::vector<int>& dates,
                     const std::vector<int>& times) {
  for (size_t i = 0; i < dates.size() && i < times.size(); ++i) {
    if (i == 0) {
      out.UInt(static_cast<uint32_t>(dates[0])).UInt(static_cast<uint32_t>(times[0]));
      continue;
    }
    const int64_t seconds = (DaysFromEpoch(dates[i]) - DaysFromEpoch(dates[i - 1])) * 86400 +
                            SecondsOfDay(times[i]) - SecondsOfDay(times[i - 1]);
    out.UInt(static_cast<uint32_t>(static_cast<int32_t>(seconds)));
  }
}

void TimeColumn(MessageBuilder& out, const std::vector<int>& times) {
  for (size_t i = 0; i < times.size(); ++i) {
    if (i == 0) {
      out.UInt(static_cast<uint32_t>(times[0]));
    } else {
      out.Int(SecondsOfDay(times[i]) - SecondsOfDay(times[i - 1]));
    }
  }
}

void FlagColumn(MessageBuilder& out, const std::vector<int>& flags) {
  Bytes bits((flags.size() + 7) / 8, 0);
  for (size_t k = 0; k < flags.size(); ++k) {
    if (flags[k] == 0) bits[k / 8] |= static_cast<uint8_t>(0x80 >> (k % 8));
  }
  out.Raw(bits);
}

int64_t PackedQeDate(int date) {
  return static_cast<int64_t>(date / 10000 - 1949) << 9 | (date / 100 % 100) << 5 | date % 100;
}

int64_t DaysFromEpoch(int date) {
  // Days of the civil calendar counted in 400-year eras starting in March.
  int64_t year = date / 10000;
  const int64_t month = date / 100 % 100;
  const int64_t day = date % 100;
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace kwire
