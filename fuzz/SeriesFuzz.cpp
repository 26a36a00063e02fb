// Any type and body, framed and decoded both ways: into a reusable series
// set and by DecodeOneMessage. The set must report the same type, call it a
// series message exactly when it is one, and hold exactly what the history
// records hold. The one set is kept from input to input, as a host keeps it,
// so nothing of an earlier message may show through.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzFrame.h"
#include "tests/support/SeriesOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kestrel_fuzz::kMaxInput) return 0;
  CKestrelCode::StartUp();
  static kestrel::SeriesSet set;
  std::vector<char> message = kestrel_fuzz::Framed(data, size);
  int type = -1;
  char* result = CKestrelCode::DecodeOneMessage(message.data(), &type);
  const kestrel::SeriesSet::Decoded decoded = set.decode(message.data(), message.size());
  std::string mismatch = kt::SeriesMismatch(set.raw(), result, type);
  if (static_cast<int>(decoded.type) != type) mismatch += " type";
  if (decoded.series != kt::IsSeriesMessageType(type)) mismatch += " series message";
  CKestrelCode::ClearDecodeMessage(result, type);
  if (!mismatch.empty()) {
    std::fprintf(stderr, "series set and records differ (type %d): %s\n", type, mismatch.c_str());
    std::abort();
  }
  return 0;
}
