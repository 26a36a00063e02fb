// The raw interface, included the way existing hosts include it.
#include "KestrelUtils.h"

int LegacyStatusValue(const char* message) {
  int type = 0;
  char* result = CKestrelCode::DecodeOneMessage(const_cast<char*>(message), &type);
  const int value = type == 59 && result != nullptr
                        ? reinterpret_cast<KestrelInfoReceive*>(result)->ReceiveValue2
                        : -1;
  CKestrelCode::ClearDecodeMessage(result, type);
  return value;
}
