// A host of the installed package: encodes a request, reads a reply that
// arrives in two pieces through the C++ face, and decodes the same reply
// through the raw interface (legacy.cpp, which includes "KestrelUtils.h").
#include <KestrelUtils/KestrelUtils.h>

#include <cstdio>

int LegacyStatusValue(const char* message);

int main() {
  CKestrelCode::StartUp();
  const kestrel::Request request = kestrel::encodeServerSubInfo();

  // A status-test reply whose first value is 42.
  const char reply[] = {'\x87', '\xBB', '\xAA', '\x80', '\x80', '\x80', '\x80', '\x80'};
  kestrel::Reader reader;
  reader.feed(reply, 3);
  if (reader.next()) return 1;  // not whole yet
  reader.feed(reply + 3, 5);
  std::optional<kestrel::Result> result = reader.next();
  if (!result) return 1;
  const KestrelInfoReceive* info = result->as<KestrelInfoReceive>();
  const int value = info != nullptr ? info->ReceiveValue2 : -1;
  const int legacy = LegacyStatusValue(reply);
  std::printf("request %zu bytes, reply %s value %d (raw interface %d)\n", request.size(),
              kestrel::nameOf(result->type()), value, legacy);
  return request.size() == 3 && result->type() == kestrel::MessageType::StatusTest && value == 42 &&
                 legacy == 42
             ? 0
             : 1;
}
