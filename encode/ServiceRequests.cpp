// Requests that serve the connection: login, raw data, the server's
// subscription list and the status test.
#include "KestrelCode.h"
#include "codec/MessageTypes.h"
#include "codec/Writers.h"
#include "encode/RequestLayouts.h"

namespace rq = kestrel::requests;

CCode* CKestrelCode::EncodeLoginRequest(int first, int second, int* list, int count,
                                        const char* text) {
  if (list == nullptr || text == nullptr) return nullptr;
  CCode* code = EncodeNewRequest(kMsgLogin);
  if (code == nullptr) return nullptr;
  rq::Values values;
  values.Set(rq::F::kLoginFirst, first).Set(rq::F::kLoginSecond, second).Set(rq::F::kUser, text);
  rq::WriteLayout(*code, rq::kLogin, values, [&](rq::Field) {
    // A negative count goes out as its 32-bit unsigned value, with no entries.
    WriteUInt32(*code, static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) WriteUInt32(*code, static_cast<uint32_t>(list[i]));
  });
  return EncodeFinishRequest(code);
}

CCode* CKestrelCode::EncodeRawDataRequest(char* data, int size) {
  if (data == nullptr || size < 1) return nullptr;
  CCode* code = EncodeNewRequest(kMsgRawData);
  if (code == nullptr) return nullptr;
  // No length field: the frame's length prefix is the only record of size.
  rq::WriteLayout(*code, rq::kRawData, {}, [&](rq::Field) { WriteRawBytes(*code, data, size); });
  return EncodeFinishRequest(code);
}

CCode* CKestrelCode::EncodeServerSubInfoRequest() {
  CCode* code = EncodeNewRequest(kMsgServerSubInfo);
  if (code == nullptr) return nullptr;
  return EncodeFinishRequest(code);
}

CCode* CKestrelCode::EncodeKestrelTest(KestrelInfoSend* info) {
  CCode* code = EncodeNewRequest(kMsgStatusTest);
  if (code == nullptr) return nullptr;
  // The last two fields travel in the opposite order to the record.
  rq::Values values;
  values.Set(rq::F::kValue1, info->SendValue1)
      .Set(rq::F::kValue2, info->SendValue2)
      .Set(rq::F::kValue3, info->SendValue3)
      .Set(rq::F::kValue4, info->SendValue4)
      .Set(rq::F::kValue5, info->SendValue5);
  rq::WriteLayout(*code, rq::kStatusTest, values, [](rq::Field) {});
  return EncodeFinishRequest(code);
}
