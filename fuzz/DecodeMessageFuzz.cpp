// Any type and body, framed and decoded as a host would.
#include "fuzz/FuzzFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kestrel_fuzz::kMaxInput) return 0;
  CKestrelCode::StartUp();
  std::vector<char> message = kestrel_fuzz::Framed(data, size);
  kestrel_fuzz::DecodeAsHost(message);
  return 0;
}
