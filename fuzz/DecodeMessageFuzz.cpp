// Fuzzes DecodeOneMessage. The input is the type and body of one message;
// the target puts the length prefix in front, as the host's framing would,
// decodes the message, prints and frees the result.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "KestrelUtils.h"
#include "codec/Writers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  CKestrelCode::StartUp();
  CCode prefix(8);
  WriteUInt32(prefix, static_cast<uint32_t>(size));
  std::vector<char> message(prefix.GetContent(), prefix.GetContent() + prefix.GetLength());
  message.insert(message.end(), data, data + size);
  int type = -1;
  char* result = CKestrelCode::DecodeOneMessage(message.data(), &type);
  CKestrelCode::PrintDecodeMessage(result, type);
  CKestrelCode::ClearDecodeMessage(result, type);
  return 0;
}
