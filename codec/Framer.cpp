// KestrelFramer: whole messages out of a byte stream fed in arbitrary chunks.
//
// The buffered bytes run from `head` (the first byte not yet handed out) to
// the end of `bytes`. Feed checks the length prefixes as bytes arrive and
// moves `scan` over every message that is whole, so Next only hands out
// messages that were already found whole, and an error found behind them is
// reported once they are gone.
#include "KestrelFramer.h"

#include <climits>
#include <cstdint>
#include <new>
#include <vector>

#include "codec/DecodeCode.h"
#include "codec/WireCounts.h"

namespace {

// After a large message has gone, storage above this is given back once
// three quarters of it stand empty.
constexpr size_t kKeptCapacity = 1 << 20;

// The length prefix at `at`, when the bytes there say enough.
struct Prefix {
  TFramerStatus status;  // kFramerMessage: a whole message is there
  int prefixBytes;
  int size;  // prefix, type and body
};

Prefix ReadPrefix(const char* at, size_t available, int maxMessage) {
  const size_t examined = available < kMaxUInt32Bytes ? available : kMaxUInt32Bytes;
  uint64_t length = 0;
  for (size_t i = 0; i < examined; ++i) {
    const auto byte = static_cast<uint8_t>(at[i]);
    length = (length << 7) | (byte & kGroupMask);
    if ((byte & kStopBit) == 0) continue;
    const int prefixBytes = static_cast<int>(i) + 1;
    if (length > static_cast<uint64_t>(maxMessage)) return {kFramerTooLong, prefixBytes, 0};
    const int size = prefixBytes + static_cast<int>(length);
    if (available < static_cast<size_t>(size)) return {kFramerNeedMore, prefixBytes, size};
    return {kFramerMessage, prefixBytes, size};
  }
  return {examined == kMaxUInt32Bytes ? kFramerBadLength : kFramerNeedMore, 0, 0};
}

int ClampedCeiling(int maxMessage) {
  if (maxMessage < 1) return kKestrelFramerDefaultMaxMessage;
  return maxMessage > kKestrelFramerMaxMessageLimit ? kKestrelFramerMaxMessageLimit : maxMessage;
}

}  // namespace

struct KestrelFramer::State {
  explicit State(int max) : maxMessage(max) {}

  // Moves `scan` over the whole messages behind it; stops at a message still
  // in transit or at a bad prefix, which becomes the error.
  void Scan() {
    while (error == kFramerNeedMore) {
      const Prefix prefix = ReadPrefix(bytes.data() + scan, bytes.size() - scan, maxMessage);
      if (prefix.status == kFramerNeedMore) return;
      if (prefix.status != kFramerMessage) {
        error = prefix.status;
        errorOffset = headOffset + static_cast<long long>(scan - head);
        return;
      }
      scan += static_cast<size_t>(prefix.size);
    }
  }

  // Drops the bytes already handed out.
  void Compact() {
    if (head == 0) return;
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(head));
    scan -= head;
    head = 0;
    if (bytes.capacity() > kKeptCapacity && bytes.size() < bytes.capacity() / 4) {
      bytes.shrink_to_fit();
    }
  }

  int maxMessage;
  std::vector<char> bytes;
  size_t head = 0;           // first byte not handed out
  size_t scan = 0;           // first byte not known to belong to a whole message
  long long headOffset = 0;  // stream offset of bytes[head]
  TFramerStatus error = kFramerNeedMore;
  long long errorOffset = -1;
};

KestrelFramer::KestrelFramer(int maxMessage)
    : state(new (std::nothrow) State(ClampedCeiling(maxMessage))) {}

KestrelFramer::~KestrelFramer() { delete state; }

bool KestrelFramer::Feed(const char* data, int size) {
  if (state == nullptr || state->error != kFramerNeedMore) return false;
  if (size < 0 || (data == nullptr && size > 0)) return false;
  if (size == 0) return true;
  state->Compact();
  if (state->bytes.size() > static_cast<size_t>(INT_MAX - size)) return false;
  try {
    state->bytes.insert(state->bytes.end(), data, data + size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  state->Scan();
  return true;
}

TFramerStatus KestrelFramer::Next(KestrelFrame* frame) {
  const TFramerStatus status = GetStatus();
  if (status != kFramerMessage || frame == nullptr) return status;
  char* message = state->bytes.data() + state->head;
  const Prefix prefix = ReadPrefix(message, state->scan - state->head, state->maxMessage);
  CDecodeCode cursor(message);
  cursor.Frame(prefix.prefixBytes, prefix.size);
  frame->Message = message;
  frame->Size = prefix.size;
  frame->Type = kestrel::ReadWrappedInt32(cursor);
  frame->Offset = state->headOffset;
  state->head += static_cast<size_t>(prefix.size);
  state->headOffset += prefix.size;
  return kFramerMessage;
}

TFramerStatus KestrelFramer::GetStatus() const {
  if (state == nullptr) return kFramerNeedMore;
  if (state->head < state->scan) return kFramerMessage;
  return state->error;
}

long long KestrelFramer::GetErrorOffset() const {
  return state != nullptr && state->error != kFramerNeedMore ? state->errorOffset : -1;
}

int KestrelFramer::GetBufferedBytes() const {
  return state != nullptr ? static_cast<int>(state->bytes.size() - state->head) : 0;
}

long long KestrelFramer::GetStreamOffset() const {
  return state != nullptr ? state->headOffset + GetBufferedBytes() : 0;
}

int KestrelFramer::GetMaxMessage() const { return state != nullptr ? state->maxMessage : 0; }

void KestrelFramer::Reset() {
  if (state != nullptr) *state = State(state->maxMessage);
}
