// Decoders that belong to the message envelope itself: compressed envelopes,
// raw data, heartbeats and the status-test reply; and StartUp.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "KestrelCode.h"
#include "codec/DecodeCode.h"
#include "codec/EnvelopeNesting.h"
#include "codec/WireCounts.h"
#include "model/OwnedArray.h"

namespace {

// The output of a compressed envelope starts at three times its payload
// (quote data deflates to about half, so one inflate usually suffices) and
// doubles as the inflated bytes fill it. A message that would inflate past
// this ceiling is refused as soon as its output reaches it: the stream is
// never inflated whole first, and an envelope holds at most twice the
// ceiling while it grows.
constexpr size_t kMaxInflatedBytes = 104857600;  // 100 MiB
constexpr size_t kInitialInflateRatio = 3;
// A kept output buffer larger than this is given back before the next
// envelope that needs less, so that one huge message does not pin its
// buffer to the thread for good.
constexpr size_t kKeptInflateBytes = 4194304;  // 4 MiB

// Envelope levels being decoded on this thread.
thread_local int tEnvelopeNesting = 0;

// The inflate state and output buffer of one envelope level, kept by the
// thread: a message's inflate resets the stream and reuses the buffer, so a
// warm thread inflates without allocating. Released with the thread.
class InflateWorkspace {
 public:
  InflateWorkspace() = default;
  InflateWorkspace(const InflateWorkspace&) = delete;
  InflateWorkspace& operator=(const InflateWorkspace&) = delete;
  ~InflateWorkspace() {
    if (ready_) inflateEnd(&stream_);
  }

  // Inflates the zlib stream of `size` bytes at `payload` into the buffer,
  // growing it as needed up to the ceiling. The number of bytes made, or -1
  // for a damaged or cut stream, or one that inflates past the ceiling;
  // bytes after the end of the stream are ignored.
  int64_t Inflate(const Bytef* payload, size_t size) {
    if (!Ready()) return -1;
    // zlib reads its input through a non-const pointer but never writes it.
    stream_.next_in = const_cast<Bytef*>(payload);
    stream_.avail_in = static_cast<uInt>(size);
    const size_t first = std::min(kMaxInflatedBytes, kInitialInflateRatio * size);
    if (size_ < first || (size_ > kKeptInflateBytes && first <= kKeptInflateBytes)) {
      Renew(first, 0);
    }
    size_t produced = 0;
    for (;;) {
      stream_.next_out = bytes_.get() + produced;
      stream_.avail_out = static_cast<uInt>(size_ - produced);
      const int status = inflate(&stream_, Z_NO_FLUSH);
      produced = size_ - stream_.avail_out;
      if (status == Z_STREAM_END) return static_cast<int64_t>(produced);
      if (status != Z_OK && status != Z_BUF_ERROR) return -1;  // damaged stream
      if (stream_.avail_out == 0) {
        if (size_ >= kMaxInflatedBytes) return -1;  // past the ceiling
        // Exactly the doubled size, so growing holds at most the old and the
        // new buffer: never more than twice the ceiling.
        Renew(std::min(kMaxInflatedBytes, 2 * size_), produced);
      } else if (stream_.avail_in == 0 || status == Z_BUF_ERROR) {
        return -1;  // the stream is cut short
      }
    }
  }
  const Bytef* Bytes() const { return bytes_.get(); }

  // The workspace of the calling thread's current envelope level; null
  // beyond the deepest level an envelope may be decoded at.
  static InflateWorkspace* OfLevel(int level) {
    thread_local InflateWorkspace workspaces[kestrel::kMaxEnvelopeNesting + 1];
    if (level < 0 || level > kestrel::kMaxEnvelopeNesting) return nullptr;
    return &workspaces[level];
  }

 private:
  // A stream made once and reset for every message.
  bool Ready() {
    if (ready_) return inflateReset(&stream_) == Z_OK;
    stream_ = z_stream{};
    ready_ = inflateInit(&stream_) == Z_OK;
    return ready_;
  }
  // The output is written by zlib before it is read, so it is left
  // uninitialised; renewing copies only the bytes made.
  void Renew(size_t newSize, size_t produced) {
    std::unique_ptr<Bytef[]> renewed(new Bytef[newSize]);
    if (produced > 0) std::memcpy(renewed.get(), bytes_.get(), produced);
    bytes_ = std::move(renewed);
    size_ = newSize;
  }

  z_stream stream_{};
  bool ready_ = false;
  std::unique_ptr<Bytef[]> bytes_;
  size_t size_ = 0;
};

}  // namespace

kestrel::InflatedPayload kestrel::InflatePayload(const unsigned char* payload, size_t size) {
  InflateWorkspace* workspace = InflateWorkspace::OfLevel(tEnvelopeNesting);
  if (workspace == nullptr || payload == nullptr || size < 1) return {};
  const int64_t produced = workspace->Inflate(payload, size);
  if (produced < 1) return {};
  return {reinterpret_cast<const char*>(workspace->Bytes()), static_cast<int>(produced)};
}

kestrel::InflatedPayload kestrel::InflateEnvelope(CDecodeCode& code, int64_t length) {
  // An empty payload inflates to nothing.
  const int payloadSize = static_cast<int>(std::min<int64_t>(length - 1, code.Remaining()));
  if (payloadSize < 1) return {};
  const auto* payload = reinterpret_cast<const unsigned char*>(code.Take(payloadSize));
  return InflatePayload(payload, static_cast<size_t>(payloadSize));
}

int kestrel::WholeMessageBytes(const char* message, int available) {
  if (message == nullptr || available < 1) return -1;
  int prefixBytes = 0;
  const uint32_t length = ReadLengthPrefix(message, available, &prefixBytes);
  if (prefixBytes > available || length > static_cast<uint32_t>(available - prefixBytes)) {
    return -1;
  }
  return prefixBytes + static_cast<int>(length);
}

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
    available = kestrel::WholeMessageBytes(message, available);
    if (available < 0) return nullptr;
  }
  return DecodeFrame(message, available, type);
}

char* CKestrelCode::DecodeCompressed(CDecodeCode& code, int length, int* type) {
  // Inflated straight from the message; the output is the one copy. A
  // failed allocation passes to the dispatcher, which yields null.
  const kestrel::InflatedPayload inflated = kestrel::InflateEnvelope(code, length);
  if (inflated.bytes == nullptr) return nullptr;
  // The inflated bytes are a whole message of their own; its result and
  // type replace the envelope's. Nothing of the result points into them.
  return DecodeNested(inflated.bytes, inflated.size, NestedBounds::kMayEndEarly, type);
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
