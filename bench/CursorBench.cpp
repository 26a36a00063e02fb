// The cursor's stop-bit reads over a block of 65,536 fields of mixed widths,
// each value written into a preallocated array, beside the reference loop
// over the same block: unsigned 32-bit values (1 to 5 bytes) with ReadUInt32
// and signed 64-bit values (1 to 7 bytes) with ReadInt64.
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "BenchSupport.h"
#include "codec/DecodeCode.h"

namespace kbench {
namespace {

constexpr int kValues = 1 << 16;

// Unsigned values whose widths spread over 1 to 5 bytes.
CaseData MixedUnsigned() {
  std::mt19937 random(7);
  kt::MessageBuilder b;
  for (int i = 0; i < kValues; ++i) b.UInt(random() >> (random() % 32));
  return Message(b.Bytes(), kValues);
}

// Signed values of up to 49 bits, both signs, over 1 to 7 bytes.
CaseData MixedSigned() {
  std::mt19937_64 random(9);
  kt::MessageBuilder b;
  for (int i = 0; i < kValues; ++i) b.Int(static_cast<int64_t>(random()) >> (15 + random() % 48));
  return Message(b.Bytes(), kValues);
}

// Every value of the block read with `read` through one cursor framed on it.
template <typename Reader>
Subject ReadEach(Reader read) {
  return [read](const CaseData& data, benchmark::State&) -> std::function<void()> {
    auto out = std::make_shared<std::vector<uint64_t>>(kValues);
    const char* bytes = reinterpret_cast<const char*>(data.wire.data());
    const int size = static_cast<int>(data.wire.size());
    return [read, out, bytes, size] {
      CDecodeCode code(bytes);
      code.Frame(0, size);
      uint64_t* values = out->data();
      for (int i = 0; i < kValues; ++i) values[i] = static_cast<uint64_t>(read(code));
      benchmark::DoNotOptimize(values);
      benchmark::ClobberMemory();
    };
  };
}

}  // namespace

void RegisterStopBitCases() {
  RegisterCase("stopbit_u32", MixedUnsigned,
               {{"decode", ReadEach([](CDecodeCode& code) { return ReadUInt32(code); })}});
  RegisterCase("stopbit_i64", MixedSigned,
               {{"decode", ReadEach([](CDecodeCode& code) { return ReadInt64(code); })}},
               Reference::kSigned);
}

}  // namespace kbench
