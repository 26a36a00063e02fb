// A decoded message that frees itself with the type DecodeOneMessage reported.
#ifndef KESTREL_TESTS_SUPPORT_DECODED_H
#define KESTREL_TESTS_SUPPORT_DECODED_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "KestrelUtils.h"
#include "support/MessageBuilder.h"

namespace kt {

class Decoded {
 public:
  // Decodes a private copy, so the decoder can read only the message's bytes.
  explicit Decoded(const Bytes& message) : copy_(message.begin(), message.end()) {
    CKestrelCode::StartUp();
    result_ = CKestrelCode::DecodeOneMessage(copy_.data(), &type_);
  }
  ~Decoded() { CKestrelCode::ClearDecodeMessage(result_, type_); }
  Decoded(const Decoded&) = delete;
  Decoded& operator=(const Decoded&) = delete;

  char* Result() const { return result_; }
  template <typename T>
  T* As() const {
    return reinterpret_cast<T*>(result_);
  }
  int Type() const { return type_; }

 private:
  std::vector<char> copy_;
  char* result_ = nullptr;
  int type_ = -1;
};

// Decodes the message of `type` whose body is each prefix of `body`, the
// whole body included, and calls check(decoded, n) with its length n.
template <typename Check>
void ForEachCut(uint32_t type, const Bytes& body, Check check) {
  for (size_t n = 0; n <= body.size(); ++n) {
    const Decoded d(
        Frame(type, Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n))));
    check(d, n);
  }
}

// Bytes of a finished request, and the request freed.
inline Bytes Take(CCode* code) {
  if (code == nullptr) return {};
  Bytes bytes(code->GetContent(), code->GetContent() + code->GetLength());
  delete code;
  return bytes;
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_DECODED_H
