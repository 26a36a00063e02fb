// Writer of server messages, as the server puts them on the wire.
//
// Written independently of the library's own writers: it builds stop-bit
// fields, compact codes, sized strings and frames the way the server does,
// so that decoder tests do not check the library against itself. The tests,
// the session simulator and the fuzz corpus generators all write their
// messages with it.
//
//   Bytes body = MessageBuilder().UInt(7).Int(-3).Code(60, 36).Ascii("AB").Bytes();
//   Bytes message = Frame(64, body);
//   Bytes envelope = Compressed(message);
#ifndef KESTREL_WIRE_MESSAGEBUILDER_H
#define KESTREL_WIRE_MESSAGEBUILDER_H

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kwire {

using Bytes = std::vector<uint8_t>;

// Unsigned stop-bit form: 7-bit groups, most significant first, bit 7 on the
// last byte only.
Bytes StopBitUnsigned(uint64_t value);
// Signed stop-bit form: the fewest groups whose top group's bit 6 repeats the
// sign, at most `maxBytes` groups (the low bits survive, as on the wire).
Bytes StopBitSigned(int64_t value, int maxBytes = 7);

class MessageBuilder {
 public:
  MessageBuilder& UInt(uint64_t value) { return Append(StopBitUnsigned(value)); }
  MessageBuilder& Int(int64_t value) { return Append(StopBitSigned(value)); }
  MessageBuilder& Raw(std::initializer_list<uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes);
    return *this;
  }
  MessageBuilder& Raw(const Bytes& bytes) { return Append(bytes); }
  // Stop-bit ASCII: bit 7 on the last character; the empty text is 80.
  MessageBuilder& Ascii(std::string_view text);
  // Stop-bit length, then the bytes as they are.
  MessageBuilder& Sized(std::string_view text);
  // A table code: segment id, then the offset into the segment.
  MessageBuilder& Code(uint32_t segmentId, uint32_t offset) { return UInt(segmentId).UInt(offset); }
  // A code as text (wire id 0).
  MessageBuilder& TextCode(std::string_view text) { return UInt(0).Ascii(text); }
  // A number part with a suffix from the market suffix list (wire id 127).
  MessageBuilder& ListedCode(uint8_t suffixIndex, std::string_view number) {
    return UInt(127).Raw({suffixIndex}).Ascii(number);
  }
  // Time of day in two bytes: hour offset from 8 in the top four bits.
  MessageBuilder& PackedTime(int hour, int minute, int second);

  const kwire::Bytes& Bytes() const { return bytes_; }

 private:
  MessageBuilder& Append(const kwire::Bytes& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  kwire::Bytes bytes_;
};

// A received message: length prefix (type and body bytes), type, body.
Bytes Frame(uint32_t type, const Bytes& body);

// zlib stream of bytes, at the given level.
Bytes Deflate(const Bytes& bytes, int level = Z_BEST_COMPRESSION);

// A compressed envelope (type 54) around a whole message.
inline Bytes Compressed(const Bytes& innerMessage) { return Frame(54, Deflate(innerMessage)); }

// "81 9A 9A": upper-case hex pairs separated by spaces.
std::string Hex(const uint8_t* bytes, size_t n);
inline std::string Hex(const Bytes& bytes) { return Hex(bytes.data(), bytes.size()); }
inline std::string Hex(const char* bytes, int n) {
  return Hex(reinterpret_cast<const uint8_t*>(bytes), static_cast<size_t>(n));
}

// Hex text to bytes: pairs of hex digits, with any white space between
// bytes. Returns false, with `badAt` the index of the first character that
// does not fit (the text's length when a pair is cut short), on any other
// text.
bool ParseHex(std::string_view text, Bytes* out, size_t* badAt);
// "81 9A 9A" to bytes; text that ParseHex refuses gives the bytes before the
// fault.
Bytes FromHex(std::string_view text);

}  // namespace kwire

#endif  // KESTREL_WIRE_MESSAGEBUILDER_H
