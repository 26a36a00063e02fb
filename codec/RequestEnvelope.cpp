// The frame of a request: stop-bit length prefix, type, body, check byte.
//
// The length counts the type and the body; neither the check byte nor the
// prefix itself is counted. The check byte is the sum of the type and body
// bytes modulo 256, with bit 7 forced on.
#include <cstring>
#include <new>

#include "KestrelCode.h"
#include "codec/Writers.h"

namespace {
constexpr unsigned char kCheckStopBit = 0x80;
// Room of the scratch buffer that holds a length prefix (at most 5 bytes).
constexpr int kPrefixScratch = 8;
}  // namespace

CCode* CKestrelCode::EncodeNewRequest(unsigned char type) {
  auto* code = new (std::nothrow) CCode();
  if (code == nullptr) return nullptr;
  if (code->GetContent() == nullptr) {
    delete code;
    return nullptr;
  }
  WriteByteValue(*code, type);
  return code;
}

CCode* CKestrelCode::EncodeFinishRequest(CCode* code) {
  EncodeCRC(*code);
  EncodeMsgBodySize(*code);
  return code;
}

void CKestrelCode::EncodeCRC(CCode& code) {
  unsigned char sum = 0;
  const char* bytes = code.GetContent();
  for (int i = 0; i < code.GetLength(); ++i) sum = static_cast<unsigned char>(sum + bytes[i]);
  code.SetContent(static_cast<char>(sum | kCheckStopBit));
}

void CKestrelCode::EncodeMsgBodySize(CCode& code) {
  const int n = code.GetLength();  // type, body and check byte
  if (n < 1) return;
  CCode prefix(kPrefixScratch);
  WriteUInt32(prefix, static_cast<uint32_t>(n - 1));
  const int p = prefix.GetLength();
  if (!code.AddLength(p)) return;
  char* content = code.GetContent();
  std::memmove(content + p, content, static_cast<size_t>(n));
  std::memcpy(content, prefix.GetContent(), static_cast<size_t>(p));
}
