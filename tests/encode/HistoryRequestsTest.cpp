// History init requests: every kind, flag and period row, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "KestrelUtils.h"
#include "support/Decoded.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Hex;

// Type and body of a request: the one-byte length prefix and the check
// byte stripped.
std::string Body(CCode* request) {
  const Bytes bytes = kt::Take(request);
  if (bytes.size() < 3) return "(no request)";
  return Hex(Bytes(bytes.begin() + 1, bytes.end() - 1));
}

TEST(HistoryRequests, EveryRow) {
  char code[] = "600000.SH";  // compact form BC 80
  const struct {
    int kind;
    bool flag;
    int period;
    const char* body;
  } rows[] = {
      {0, false, 9, "91 81 83 BC 80"},                     // formalized trends: 1, a, code
      {0, true, 9, "91 81 83 BC 80"},                      // the flag changes nothing
      {4, false, 9, "91 81 83 BC 80"},                     // as kind 0
      {1, false, 9, "92 81 83 BC 80"},                     // formalized deals
      {1, true, 9, "95 81 BC 80 81 83 84"},                // QE data: no c, d
      {2, true, 9, "95 82 BC 80 82 83 84 85 86"},          // QE data: c and d
      {2, false, 5, "85 81 BC 80 81 83 84"},               // minute K-lines, bar code 1
      {2, false, 6, "85 81 BC 80 83 83 84"},               // bar code 3
      {2, false, 7, "85 81 BC 80 84 83 84"},               // bar code 4
      {2, false, 8, "85 81 BC 80 85 83 84"},               // bar code 5
      {2, false, 10, "85 81 BC 80 80 83 84"},              // bar code 0
      {2, false, 11, "85 81 BC 80 82 83 84"},              // bar code 2
      {2, false, 9, "83 81 BC 80 83 84"},                  // day K-lines: no period
      {2, false, 0, "83 81 BC 80 83 84"},                  // any unlisted period too
      {3, false, 9, "85 81 BC 80 89 83 84"},               // the raw period value
      {3, true, 10, "85 81 BC 80 8A 83 84"},               // flag ignored
      {5, false, 9, "86 81 BC 80 83"},                     // history trends: code, a
      {6, true, 9, "94 81 BC 80 83"},                      // type 20
      {7, false, 9, "01 82 81 BC 80 81 83 84"},            // level-2 history, type 130
      {8, true, 9, "01 82 81 BC 80 81 83 84"},             // as kind 7
      {9, false, 9, "95 81 BC 80 89 83 84"},               // QE data, sub-kind 9
      {14, true, 9, "95 81 BC 80 8E 83 84"},               // sub-kind 14, flag ignored
      {127, false, 9, "95 81 BC 80 FF 83 84"},             // highest kind
      {-1, false, 9, "95 81 BC 80 0F 7F 7F 7F FF 83 84"},  // negative: five bytes
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Body(CKestrelCode::EncodeInitRequest(code, static_cast<char>(row.kind), 3, 4,
                                                   static_cast<TKLinePeriod>(row.period), row.flag,
                                                   5, 6)),
              row.body)
        << "kind " << row.kind << (row.flag ? " with flag" : "") << ", period " << row.period;
  }
}

TEST(HistoryRequests, WorkedBodyNegativeNumbersAndNullCode) {
  char code[] = "600000.SH";
  EXPECT_EQ(Body(CKestrelCode::EncodeInitRequest(code, 0, 0, 0, kKLineDay, false, 0, 0)),
            "91 81 80 BC 80");
  EXPECT_EQ(Body(CKestrelCode::EncodeInitRequest(code, 5, -2, 0, kKLineDay, false, 0, 0)),
            "86 81 BC 80 0F 7F 7F 7F FE");
  EXPECT_EQ(CKestrelCode::EncodeInitRequest(nullptr, 0, 0, 0, kKLineDay, false, 0, 0), nullptr);
}

}  // namespace
