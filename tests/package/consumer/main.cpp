// Encodes a request, frames a reply that arrives in two pieces, decodes it.
#include <KestrelUtils.h>

#include <cstdio>

int main() {
  CKestrelCode::StartUp();
  CCode* request = CKestrelCode::EncodeServerSubInfoRequest();
  const int length = request->GetLength();
  delete request;

  // A status-test reply (type 59) whose first value is 42.
  const char reply[] = {'\x87', '\xBB', '\xAA', '\x80', '\x80', '\x80', '\x80', '\x80'};
  KestrelFramer framer;
  framer.Feed(reply, 3);
  framer.Feed(reply + 3, 5);
  KestrelFrame frame;
  if (framer.Next(&frame) != kFramerMessage) return 1;
  int type = 0;
  char* result = CKestrelCode::DecodeOneMessage(frame.Message, &type);
  const int value = result ? reinterpret_cast<KestrelInfoReceive*>(result)->ReceiveValue2 : -1;
  CKestrelCode::ClearDecodeMessage(result, type);
  std::printf("request %d bytes, reply type %d value %d\n", length, type, value);
  return length == 3 && type == 59 && value == 42 ? 0 : 1;
}
