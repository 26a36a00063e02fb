// What the fuzz targets share: the framing a host's socket code does before
// it calls DecodeOneMessage.
//
// DecodeOneMessage trusts its caller to pass a whole frame (the length
// prefix promises L bytes and the buffer holds them), so every target puts a
// true length prefix in front of the type and body that the fuzzer chose.
#ifndef KESTREL_FUZZ_FUZZFRAME_H
#define KESTREL_FUZZ_FUZZFRAME_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "KestrelUtils.h"
#include "codec/Writers.h"

namespace kestrel_fuzz {

// The largest input a target decodes; larger inputs add nothing new.
inline constexpr size_t kMaxInput = 1 << 20;

// Length prefix, then the type and body as given.
inline std::vector<char> Framed(const uint8_t* typeAndBody, size_t size) {
  CCode prefix(8);
  WriteUInt32(prefix, static_cast<uint32_t>(size));
  std::vector<char> message(prefix.GetContent(), prefix.GetContent() + prefix.GetLength());
  message.insert(message.end(), typeAndBody, typeAndBody + size);
  return message;
}

// Decodes one framed message as a host does: decode, print, free.
inline void DecodeAsHost(std::vector<char>& message) {
  int type = -1;
  char* result = CKestrelCode::DecodeOneMessage(message.data(), &type);
  CKestrelCode::PrintDecodeMessage(result, type);
  CKestrelCode::ClearDecodeMessage(result, type);
}

}  // namespace kestrel_fuzz

#endif  // KESTREL_FUZZ_FUZZFRAME_H
