// The input is the type and body of an inner message: it is framed,
// deflated and wrapped in a compressed envelope (type 54), so the fuzzer
// explores what inflated bodies do.
#include <zlib.h>

#include "fuzz/FuzzFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kestrel_fuzz::kMaxInput) return 0;
  CKestrelCode::StartUp();
  const std::vector<char> inner = kestrel_fuzz::Framed(data, size);
  uLongf packedSize = compressBound(inner.size());
  std::vector<uint8_t> envelope(1 + packedSize);
  // The envelope's type, one stop-bit byte.
  envelope[0] = static_cast<uint8_t>(0x80 | static_cast<int>(kestrel::MessageType::Compressed));
  if (compress2(envelope.data() + 1, &packedSize, reinterpret_cast<const Bytef*>(inner.data()),
                inner.size(), Z_BEST_SPEED) != Z_OK) {
    return 0;
  }
  envelope.resize(1 + packedSize);
  std::vector<char> message = kestrel_fuzz::Framed(envelope.data(), envelope.size());
  kestrel_fuzz::DecodeAsHost(message);
  return 0;
}
