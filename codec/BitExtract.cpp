#include "codec/BitExtract.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <cpuid.h>
#endif

namespace kestrel {
namespace {

bool DetectFastBitExtract() {
#if defined(__GNUC__) && defined(__x86_64__)
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("bmi2")) return false;
  // AMD processors before family 19h run the instruction in microcode.
  constexpr unsigned kFirstFastAmdFamily = 0x19;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx)) return false;
  constexpr unsigned kAuth = 0x68747541;  // "Auth" of "AuthenticAMD"
  if (ebx != kAuth) return true;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const unsigned base = (eax >> 8) & 0xf;
  const unsigned extended = (eax >> 20) & 0xff;
  const unsigned family = base == 0xf ? base + extended : base;
  return family >= kFirstFastAmdFamily;
#else
  return false;
#endif
}

}  // namespace

const bool kFastBitExtract = kBitExtractBuilt && DetectFastBitExtract();

}  // namespace kestrel
