// The bound on nested envelopes, and the inflating of a compressed
// envelope's payload.
//
// Two messages hold whole messages of their own and decode them through the
// dispatcher again: compressed envelopes (type 54) and history trends (type
// 6). Both decode their inner message through CKestrelCode::DecodeNested,
// which holds an EnvelopeNesting meanwhile, so that one count per thread
// covers any mix of the two, and a chain of
// envelopes cannot exhaust the stack or hold unbounded inflated buffers.
#ifndef KESTREL_CODEC_ENVELOPENESTING_H
#define KESTREL_CODEC_ENVELOPENESTING_H

#include <cstddef>
#include <cstdint>

class CDecodeCode;

namespace kestrel {

// Envelopes nested deeper than this refuse their inner message.
inline constexpr int kMaxEnvelopeNesting = 4;

// Counts one envelope level on this thread for its lifetime.
class EnvelopeNesting {
 public:
  EnvelopeNesting();
  ~EnvelopeNesting();
  EnvelopeNesting(const EnvelopeNesting&) = delete;
  EnvelopeNesting& operator=(const EnvelopeNesting&) = delete;
  // True when this level is beyond kMaxEnvelopeNesting.
  bool TooDeep() const;
};

// The inflated message of a compressed envelope: null bytes when the
// payload is damaged, cut, empty or inflates past the ceiling (100 MiB).
struct InflatedPayload {
  const char* bytes = nullptr;
  int size = 0;
};
// Inflates a compressed envelope's payload into the buffer that the calling
// thread keeps for its current envelope level (so a warm thread allocates
// nothing); the bytes stay valid until the next inflate at the same level.
InflatedPayload InflatePayload(const unsigned char* payload, size_t size);
// The same for the envelope whose length prefix gave `length` and whose
// one-byte type the cursor has just read: its payload is the length - 1
// bytes behind the type, as many of them as the message holds.
InflatedPayload InflateEnvelope(CDecodeCode& code, int64_t length);

// The bytes of the whole message at `message` (length prefix, type and
// body) when the `available` bytes hold all of it; -1 when they do not.
int WholeMessageBytes(const char* message, int available);

}  // namespace kestrel

#endif  // KESTREL_CODEC_ENVELOPENESTING_H
