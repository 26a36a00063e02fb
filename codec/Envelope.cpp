// Decoders that belong to the message envelope itself: compressed envelopes,
// raw data, heartbeats and the status-test reply; and StartUp.
#include <zlib.h>

#include <algorithm>
#include <new>
#include <vector>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/EnvelopeNesting.h"
#include "model/OwnedArray.h"

namespace {

// The output of a compressed envelope starts at three times its payload and
// doubles while zlib reports that it does not fit and the capacity is below
// this bound (so the largest capacity tried is just below twice the bound).
constexpr uLongf kMaxInflateCapacity = 104857600;  // 100 MiB
constexpr uLongf kInitialInflateRatio = 3;

// Envelope levels being decoded on this thread.
thread_local int tEnvelopeNesting = 0;

}  // namespace

kestrel::EnvelopeNesting::EnvelopeNesting() { ++tEnvelopeNesting; }
kestrel::EnvelopeNesting::~EnvelopeNesting() { --tEnvelopeNesting; }
bool kestrel::EnvelopeNesting::TooDeep() const { return tEnvelopeNesting > kMaxEnvelopeNesting; }

// The code tables are constant data built by the compiler, so there is
// nothing left to build at start-up; the call stays for hosts, which make it
// before their first encode or decode.
void CKestrelCode::StartUp() {}

char* CKestrelCode::DecodeCompressed(CDecodeCode& code, int length, int* type) {
  const kestrel::EnvelopeNesting nesting;
  if (nesting.TooDeep()) return nullptr;
  // The payload is the L - 1 bytes behind the one-byte type; an empty
  // payload yields null.
  const int payloadSize = std::min(length - 1, code.Remaining());
  if (payloadSize < 1) return nullptr;
  try {
    std::vector<Bytef> payload(static_cast<size_t>(payloadSize));
    ReadBytes(code, payload.data(), payloadSize);

    std::vector<Bytef> output;
    uLongf capacity = kInitialInflateRatio * static_cast<uLongf>(payloadSize);
    uLongf produced = 0;
    int status = Z_BUF_ERROR;
    for (;;) {
      output.assign(capacity, 0);
      produced = capacity;
      status = uncompress(output.data(), &produced, payload.data(), payloadSize);
      if (status != Z_BUF_ERROR || capacity >= kMaxInflateCapacity) break;
      capacity *= 2;
    }
    if (status != Z_OK) return nullptr;
    // The inflated bytes are a whole message of their own; its result and
    // type replace the envelope's. Nothing of the result points into them.
    const int available = static_cast<int>(std::min<uLongf>(produced, 0x7fffffff));
    return DecodeFrame(reinterpret_cast<const char*>(output.data()), available, type);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

char* CKestrelCode::DecodeRawData(CDecodeCode& code, int length) {
  // The payload followed by one zero byte: L bytes for a whole frame.
  const int payloadSize = std::max(0, std::min(length - 1, code.Remaining()));
  char* data = NewZeroedArray<char>(static_cast<size_t>(payloadSize) + 1);
  ReadBytes(code, data, payloadSize);
  return data;
}

char* CKestrelCode::DecodeHeartBeat(CDecodeCode&) { return nullptr; }

KestrelInfoReceive* CKestrelCode::DecodeStatusTest(CDecodeCode& code) {
  // Value-initialised: ReceiveValue1 and ReceiveValue6 are not on the wire
  // and stay zero.
  auto* info = new KestrelInfoReceive();
  info->ReceiveValue2 = static_cast<int>(ReadUInt32(code));
  info->ReceiveValue3 = ReadInt64(code);
  info->ReceiveValue4 = ReadInt64(code);
  info->ReceiveValue8 = static_cast<int>(ReadUInt32(code));
  info->ReceiveValue5 = static_cast<int>(ReadUInt32(code));
  info->ReceiveValue7 = static_cast<int>(ReadUInt32(code));
  return info;
}

void CKestrelCode::DecodeCRC(CDecodeCode& code) {
  code.MoveTo(static_cast<int64_t>(code.Position()) + 1);
}
