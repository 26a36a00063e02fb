// Decoders that belong to the message envelope itself: compressed envelopes,
// raw data, heartbeats and the status-test reply; and StartUp.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"
#include "codec/EnvelopeNesting.h"
#include "model/OwnedArray.h"

namespace {

// The output of a compressed envelope starts at three times its payload
// (quote data deflates to about half, so one inflate usually suffices) and
// doubles as the inflated bytes fill it. A message that would inflate past
// this ceiling is refused (null) as soon as its output reaches it: the
// stream is never inflated whole first, and an envelope holds at most twice
// the ceiling while it grows.
constexpr size_t kMaxInflatedBytes = 104857600;  // 100 MiB
constexpr size_t kInitialInflateRatio = 3;

// An inflate output buffer: its bytes are written by zlib before they are
// read, so it is left uninitialised; growing copies only the bytes made.
struct InflateBuffer {
  std::unique_ptr<Bytef[]> bytes;
  size_t size = 0;

  void Grow(size_t newSize, size_t produced) {
    std::unique_ptr<Bytef[]> bigger(new Bytef[newSize]);
    if (produced > 0) std::memcpy(bigger.get(), bytes.get(), produced);
    bytes = std::move(bigger);
    size = newSize;
  }
};

// Inflates the zlib stream of `size` bytes at `payload` into `output`,
// growing it as needed up to the ceiling. The number of bytes made, or -1
// for a damaged or cut stream, or one that inflates past the ceiling; bytes
// after the end of the stream are ignored.
int64_t Inflate(const Bytef* payload, size_t size, InflateBuffer* output) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return -1;
  // zlib reads its input through a non-const pointer but never writes it.
  stream.next_in = const_cast<Bytef*>(payload);
  stream.avail_in = static_cast<uInt>(size);
  output->Grow(std::min(kMaxInflatedBytes, kInitialInflateRatio * size), 0);
  size_t produced = 0;
  bool ok = false;
  for (;;) {
    stream.next_out = output->bytes.get() + produced;
    stream.avail_out = static_cast<uInt>(output->size - produced);
    const int status = inflate(&stream, Z_NO_FLUSH);
    produced = output->size - stream.avail_out;
    if (status == Z_STREAM_END) {
      ok = true;
      break;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) break;  // damaged stream
    if (stream.avail_out == 0) {
      if (output->size >= kMaxInflatedBytes) break;  // past the ceiling
      // Exactly the doubled size, so growing holds at most the old and the
      // new buffer: never more than twice the ceiling.
      output->Grow(std::min(kMaxInflatedBytes, 2 * output->size), produced);
    } else if (stream.avail_in == 0 || status == Z_BUF_ERROR) {
      break;  // the stream is cut short
    }
  }
  inflateEnd(&stream);
  return ok ? static_cast<int64_t>(produced) : -1;
}

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

char* CKestrelCode::DecodeNested(const char* message, int available, NestedBounds bounds,
                                 int* type) {
  const kestrel::EnvelopeNesting nesting;
  if (nesting.TooDeep() || message == nullptr || available < 1) return nullptr;
  if (bounds == NestedBounds::kWhole) {
    int prefixBytes = 0;
    const uint32_t length = ReadLengthPrefix(message, available, &prefixBytes);
    if (prefixBytes > available || length > static_cast<uint32_t>(available - prefixBytes)) {
      return nullptr;
    }
    available = prefixBytes + static_cast<int>(length);
  }
  return DecodeFrame(message, available, type);
}

char* CKestrelCode::DecodeCompressed(CDecodeCode& code, int length, int* type) {
  // The payload is the L - 1 bytes behind the one-byte type; an empty
  // payload yields null.
  const int payloadSize = std::min(length - 1, code.Remaining());
  if (payloadSize < 1) return nullptr;
  // Inflated straight from the message; the output is the one copy. A
  // failed allocation passes to the dispatcher, which yields null.
  const auto* payload = reinterpret_cast<const Bytef*>(code.Take(payloadSize));
  if (payload == nullptr) return nullptr;
  InflateBuffer output;
  const int64_t produced = Inflate(payload, static_cast<size_t>(payloadSize), &output);
  if (produced < 1) return nullptr;
  // The inflated bytes are a whole message of their own; its result and
  // type replace the envelope's. Nothing of the result points into them.
  return DecodeNested(reinterpret_cast<const char*>(output.bytes.get()),
                      static_cast<int>(produced), NestedBounds::kMayEndEarly, type);
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
  info->ReceiveValue2 = kestrel::ReadWrappedInt32(code);
  info->ReceiveValue3 = ReadInt64(code);
  info->ReceiveValue4 = ReadInt64(code);
  info->ReceiveValue8 = kestrel::ReadWrappedInt32(code);
  info->ReceiveValue5 = kestrel::ReadWrappedInt32(code);
  info->ReceiveValue7 = kestrel::ReadWrappedInt32(code);
  return info;
}

void CKestrelCode::DecodeCRC(CDecodeCode& code) {
  code.MoveTo(static_cast<int64_t>(code.Position()) + 1);
}
