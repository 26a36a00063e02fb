// History init requests: one request per security asks for formalized
// trends or deals, day or minute K-lines, history trends, level-2
// transaction history or a QE data series.
//
// A small kind number (and, for kinds 1 and 2, a flag) chooses the form of
// the body; the request type is the type of the message the server answers
// with. Every number of a body goes out as an unsigned stop-bit integer.
#include <memory>
#include <new>

#include "KestrelCode.h"
#include "codec/MessageTypes.h"
#include "codec/Writers.h"
#include "codes/TernCode.h"
#include "encode/RequestLayouts.h"

namespace {

namespace rq = kestrel::requests;

// The body forms, each written by one private writer of CKestrelCode.
enum class InitBody {
  kFirst,   // type, first, a, code
  kFifth,   // type, first, code, a
  kSecond,  // type, first, code, period, a, b
  kThird,   // type, first, code, second, a, b
  kQeData,  // type, first, code, second (sub-kind), a, b [, c, d when first is not 1]
  kKLine,   // day or minute K-lines, by period
};

// One form of a kind: its body, request type and the numbers it fixes.
struct InitForm {
  InitBody body;
  unsigned char type;
  int first;
  int second;  // the level-2 marker or the QE data sub-kind; unused elsewhere
};

// The QE data form of a kind without a row: its sub-kind is the kind itself.
constexpr InitForm kOtherKind = {InitBody::kQeData, kMsgQEDataPlus, 1, 0};

// Rows by kind, 0 to 8: the form without the flag, then with it.
constexpr InitForm kInitForms[][2] = {
    {{InitBody::kFirst, kMsgFormalizedTrend, 1, 0},  // 0: formalized trends
     {InitBody::kFirst, kMsgFormalizedTrend, 1, 0}},
    {{InitBody::kFirst, kMsgFormalizedDeal, 1, 0},  // 1: formalized deals
     {InitBody::kQeData, kMsgQEDataPlus, 1, 1}},
    {{InitBody::kKLine, kMsgDayKLine, 1, 0},  // 2: K-lines; the type follows the period
     {InitBody::kQeData, kMsgQEDataPlus, 2, 2}},
    {{InitBody::kSecond, kMsgMinuteKLine, 1, 0},  // 3: minute K-lines, raw period
     {InitBody::kSecond, kMsgMinuteKLine, 1, 0}},
    {{InitBody::kFirst, kMsgFormalizedTrend, 1, 0},  // 4: as kind 0
     {InitBody::kFirst, kMsgFormalizedTrend, 1, 0}},
    {{InitBody::kFifth, kMsgHisTrend, 1, 0},  // 5: history trends
     {InitBody::kFifth, kMsgHisTrend, 1, 0}},
    {{InitBody::kFifth, kMsgHistoryKind6, 1, 0},  // 6
     {InitBody::kFifth, kMsgHistoryKind6, 1, 0}},
    {{InitBody::kThird, kMsgLevel2TransactionsHistory, 1, 1},  // 7: level-2 transactions
     {InitBody::kThird, kMsgLevel2TransactionsHistory, 1, 1}},
    {{InitBody::kThird, kMsgLevel2TransactionsHistory, 1, 1},  // 8: as kind 7
     {InitBody::kThird, kMsgLevel2TransactionsHistory, 1, 1}},
};
constexpr int kKindsWithRows = static_cast<int>(sizeof kInitForms / sizeof kInitForms[0]);

// The form of a kind, with the QE data sub-kind filled in for kinds without
// a row (9 and above, and negative kinds).
InitForm FormOf(int kind, bool flag) {
  if (kind < 0 || kind >= kKindsWithRows) {
    InitForm form = kOtherKind;
    form.second = kind;
    return form;
  }
  return kInitForms[kind][flag ? 1 : 0];
}

// The minute K-line periods and the bar-length code each asks for. Every
// other period asks for day K-lines.
struct MinuteBar {
  TKLinePeriod period;
  int barCode;
};
constexpr MinuteBar kMinuteBars[] = {
    {kKLineMinuteBar1, 1}, {kKLineMinuteBar3, 3}, {kKLineMinuteBar4, 4},
    {kKLineMinuteBar5, 5}, {kKLineMinuteBar0, 0}, {kKLineMinuteBar2, 2},
};

// Both K-line bodies open with this number.
constexpr int kKLineFirst = 1;
// QE data bodies of this first number stop after b.
constexpr int kShortQeDataFirst = 1;

// The type and one body form of an init request; no field of these forms
// is a list.
void WriteInit(CCode& code, unsigned char type, const rq::Layout& layout,
               const rq::Values& values) {
  WriteByteValue(code, type);
  rq::WriteLayout(code, layout, values, [](rq::Field) {});
}

rq::Values InitValues(int first, const char* text, int a, int b) {
  rq::Values values;
  values.Set(rq::F::kInitFirst, first).Set(rq::F::kCode, text).Set(rq::F::kA, a).Set(rq::F::kB, b);
  return values;
}

}  // namespace

CCode* CKestrelCode::EncodeInitRequest(char* code, char kind, int a, int b, TKLinePeriod period,
                                       bool flag, int c, int d) {
  // A null code cannot be written; no request is made.
  if (code == nullptr) return nullptr;
  std::unique_ptr<CCode> request(new (std::nothrow) CCode());
  if (request == nullptr || request->GetContent() == nullptr) return nullptr;
  CCode& out = *request;
  // The kind travels as a char; its value is taken with its sign.
  const int signedKind = static_cast<signed char>(kind);  // NOLINT(bugprone-signed-char-misuse)
  const InitForm form = FormOf(signedKind, flag);
  switch (form.body) {
    case InitBody::kFirst:
      EncodeInitTheFirstType(out, form.type, form.first, a, code);
      break;
    case InitBody::kFifth:
      EncodeInitTheFifthType(out, form.type, form.first, a, code);
      break;
    case InitBody::kSecond:
      EncodeInitTheSecondType(out, form.type, form.first, code, period, a, b);
      break;
    case InitBody::kThird:
      EncodeInitTheThirdType(out, form.type, form.first, code, form.second, a, b);
      break;
    case InitBody::kQeData:
      EncodeInitQEDataPlusType(out, form.type, form.first, code, form.second, a, b, c, d);
      break;
    case InitBody::kKLine:
      EncodeInitDayKLine(out, code, a, b, period);
      break;
  }
  return EncodeFinishRequest(request.release());
}

void CKestrelCode::EncodeInitTheFirstType(CCode& code, unsigned char type, int first, int a,
                                          char* text) {
  WriteInit(code, type, rq::kInitFirstForm, InitValues(first, text, a, 0));
}

void CKestrelCode::EncodeInitTheFifthType(CCode& code, unsigned char type, int first, int a,
                                          char* text) {
  WriteInit(code, type, rq::kInitFifthForm, InitValues(first, text, a, 0));
}

void CKestrelCode::EncodeInitTheSecondType(CCode& code, unsigned char type, int first, char* text,
                                           TKLinePeriod period, int a, int b) {
  WriteInit(code, type, rq::kInitPeriodForm,
            InitValues(first, text, a, b).Set(rq::F::kPeriod, static_cast<int>(period)));
}

void CKestrelCode::EncodeInitTheThirdType(CCode& code, unsigned char type, int first, char* text,
                                          int second, int a, int b) {
  WriteInit(code, type, rq::kInitLevel2Form,
            InitValues(first, text, a, b).Set(rq::F::kMarker, second));
}

void CKestrelCode::EncodeInitQEDataPlusType(CCode& code, unsigned char type, int first, char* text,
                                            int subKind, int a, int b, int c, int d) {
  rq::Values values = InitValues(first, text, a, b);
  values.Set(rq::F::kSubKind, subKind).Set(rq::F::kC, c).Set(rq::F::kD, d);
  if (first == kShortQeDataFirst) values.Leave(rq::F::kC).Leave(rq::F::kD);
  WriteInit(code, type, rq::kInitQeDataForm, values);
}

void CKestrelCode::EncodeInitDayKLine(CCode& code, char* text, int a, int b, TKLinePeriod period) {
  for (const MinuteBar& bar : kMinuteBars) {
    if (bar.period == period) {
      WriteInit(code, kMsgMinuteKLine, rq::kInitPeriodForm,
                InitValues(kKLineFirst, text, a, b).Set(rq::F::kPeriod, bar.barCode));
      return;
    }
  }
  // Day K-lines: no period field.
  WriteInit(code, kMsgDayKLine, rq::kInitDayForm, InitValues(kKLineFirst, text, a, b));
}
