// Requests that serve the connection: login, raw data, the server's
// subscription list and the status test.
#include "KestrelCode.h"
#include "codec/MessageTypes.h"
#include "codec/Writers.h"

CCode* CKestrelCode::EncodeLoginRequest(int first, int second, int* list, int count,
                                        const char* text) {
  if (list == nullptr || text == nullptr) return nullptr;
  CCode* code = EncodeNewRequest(kMsgLogin);
  if (code == nullptr) return nullptr;
  WriteUInt32(*code, static_cast<uint32_t>(first));
  WriteUInt32(*code, static_cast<uint32_t>(second));
  // A negative count goes out as its 32-bit unsigned value, with no entries.
  WriteUInt32(*code, static_cast<uint32_t>(count));
  for (int i = 0; i < count; ++i) WriteUInt32(*code, static_cast<uint32_t>(list[i]));
  WriteSizedString(*code, text);
  return EncodeFinishRequest(code);
}

CCode* CKestrelCode::EncodeRawDataRequest(char* data, int size) {
  if (data == nullptr || size < 1) return nullptr;
  CCode* code = EncodeNewRequest(kMsgRawData);
  if (code == nullptr) return nullptr;
  // No length field: the frame's length prefix is the only record of size.
  WriteRawBytes(*code, data, size);
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
  WriteUInt32(*code, static_cast<uint32_t>(info->SendValue1));
  WriteInt64(*code, info->SendValue2);
  WriteUInt32(*code, static_cast<uint32_t>(info->SendValue3));
  WriteUInt32(*code, static_cast<uint32_t>(info->SendValue5));
  WriteUInt32(*code, static_cast<uint32_t>(info->SendValue4));
  return EncodeFinishRequest(code);
}
