// kestrel_example: what a host does with the library, end to end.
//
// Builds a login request and a status-test request and prints their bytes in
// hex; then decodes two bundled server messages, a status-test reply and a
// compressed raw-data message, and prints what they hold. It uses the C++
// face: requests and results own their memory.
#include <cstdio>

#include <KestrelUtils/KestrelUtils.h>

namespace {

void PrintRequest(const char* name, const kestrel::Request& request) {
  if (!request) {
    std::printf("%-12s (not built)\n", name);
    return;
  }
  std::printf("%-12s", name);
  for (const char byte : request.bytes()) std::printf(" %02X", static_cast<unsigned char>(byte));
  std::printf("\n");
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
  const kestrel::Result result = kestrel::decode(bytes, size);
  std::printf("%-12s type %d: ", name, result.typeNumber());
  if (const KestrelInfoReceive* info = result.as<KestrelInfoReceive>()) {
    std::printf("values %d %lld %lld %d %d %d\n", info->ReceiveValue2,
                static_cast<long long>(info->ReceiveValue3),
                static_cast<long long>(info->ReceiveValue4), info->ReceiveValue8,
                info->ReceiveValue5, info->ReceiveValue7);
  } else if (const char* raw = result.as<char>()) {
    std::printf("raw data \"%s\"\n", raw);
  } else if (result) {
    std::printf("a result of this type\n");
  } else {
    std::printf("no result\n");
  }
}  // the result frees its record here

}  // namespace

int main() {
  CKestrelCode::StartUp();

  PrintRequest("login", kestrel::encodeLogin(1, 2, {5}, "x"));
  PrintRequest("status test", kestrel::encodeStatusTest(KestrelInfoSend{1, -2, 3, 4, 5}));

  DecodeAndShow("status reply", kStatusTestReply, sizeof kStatusTestReply);
  DecodeAndShow("compressed", kCompressedRawData, sizeof kCompressedRawData);
  return 0;
}
