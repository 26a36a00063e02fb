// kestrel_example: what a host does with the library, end to end.
//
// Builds a login request and a status-test request and prints their bytes in
// hex; then decodes two bundled server messages, a status-test reply and a
// compressed raw-data message, prints what they hold and frees them.
#include <cstdio>
#include <vector>

#include "KestrelUtils.h"

namespace {

void PrintRequest(const char* name, CCode* request) {
  if (request == nullptr) {
    std::printf("%-12s (not built)\n", name);
    return;
  }
  std::printf("%-12s", name);
  for (int i = 0; i < request->GetLength(); ++i) {
    std::printf(" %02X", static_cast<unsigned char>(request->GetContent()[i]));
  }
  std::printf("\n");
  delete request;
}

// A status-test reply: length 12, type 59, then 7, -2, 1099511627776, 4, 5, 6.
const unsigned char kStatusTestReply[] = {0x8C, 0xBB, 0x87, 0xFE, 0x20, 0x00, 0x00,
                                          0x00, 0x00, 0x80, 0x84, 0x85, 0x86};

// A compressed envelope (type 54) holding a raw-data message (type 48) whose
// payload is the text "quote server says hello".
const unsigned char kCompressedRawData[] = {0xA2, 0xB6, 0x78, 0xDA, 0x9B, 0xB1, 0xA1, 0xB0, 0x34,
                                            0xBF, 0x24, 0x55, 0xA1, 0x38, 0xB5, 0xA8, 0x2C, 0xB5,
                                            0x48, 0xA1, 0x38, 0xB1, 0xB2, 0x58, 0x21, 0x23, 0x35,
                                            0x27, 0x27, 0x1F, 0x00, 0x8C, 0x39, 0x0A, 0x42};

void DecodeAndShow(const char* name, const unsigned char* bytes, size_t size) {
  std::vector<char> message(bytes, bytes + size);
  int type = -1;
  char* result = CKestrelCode::DecodeOneMessage(message.data(), &type);
  std::printf("%-12s type %d: ", name, type);
  if (result == nullptr) {
    std::printf("no result\n");
  } else if (type == 59) {
    const auto* info = reinterpret_cast<KestrelInfoReceive*>(result);
    std::printf("values %d %lld %lld %d %d %d\n", info->ReceiveValue2,
                static_cast<long long>(info->ReceiveValue3),
                static_cast<long long>(info->ReceiveValue4), info->ReceiveValue8,
                info->ReceiveValue5, info->ReceiveValue7);
  } else if (type == 48) {
    std::printf("raw data \"%s\"\n", result);
  } else {
    std::printf("a result of this type\n");
  }
  CKestrelCode::ClearDecodeMessage(result, type);
}

}  // namespace

int main() {
  CKestrelCode::StartUp();

  int services[] = {5};
  PrintRequest("login", CKestrelCode::EncodeLoginRequest(1, 2, services, 1, "x"));
  KestrelInfoSend probe{1, -2, 3, 4, 5};
  PrintRequest("status test", CKestrelCode::EncodeKestrelTest(&probe));

  DecodeAndShow("status reply", kStatusTestReply, sizeof kStatusTestReply);
  DecodeAndShow("compressed", kCompressedRawData, sizeof kCompressedRawData);
  return 0;
}
