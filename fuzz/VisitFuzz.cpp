// Any type and body, framed, visited with kestrel::visitQuotes and decoded
// with DecodeOneMessage: the visit must hand over exactly what the records
// hold (value for value, doubles by their bits) and end as the records do.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzFrame.h"
#include "tests/support/VisitOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kestrel_fuzz::kMaxInput) return 0;
  CKestrelCode::StartUp();
  const std::vector<char> message = kestrel_fuzz::Framed(data, size);
  const std::string differences = kt::CompareVisitWithRecords(message.data(), message.size());
  if (!differences.empty()) {
    std::fprintf(stderr, "visit and records differ:\n%s\n", differences.c_str());
    std::abort();
  }
  return 0;
}
