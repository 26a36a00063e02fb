// Test-side writer of server messages.
//
// Written independently of the library's own writers: it builds stop-bit
// fields, compact codes, sized strings and frames the way the server does,
// so that decoder tests do not check the library against itself.
//
//   Bytes body = MessageBuilder().UInt(7).Int(-3).Code(60, 36).Ascii("AB").Bytes();
//   Bytes message = Frame(64, body);
//   Bytes envelope = Compressed(message);
#ifndef KESTREL_TESTS_SUPPORT_MESSAGEBUILDER_H
#define KESTREL_TESTS_SUPPORT_MESSAGEBUILDER_H

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

using Bytes = std::vector<uint8_t>;

// Unsigned stop-bit form: 7-bit groups, most significant first, bit 7 on the
// last byte only.
inline Bytes StopBitUnsigned(uint64_t value) {
  Bytes reversed{static_cast<uint8_t>((value & 0x7f) | 0x80)};
  for (value >>= 7; value != 0; value >>= 7) reversed.push_back(value & 0x7f);
  return Bytes(reversed.rbegin(), reversed.rend());
}

// Signed stop-bit form: the fewest groups whose top group's bit 6 repeats the
// sign, at most `maxBytes` groups (the low bits survive, as on the wire).
inline Bytes StopBitSigned(int64_t value, int maxBytes = 7) {
  Bytes reversed;
  int64_t rest = value;
  for (;;) {
    const uint8_t group = static_cast<uint8_t>(rest & 0x7f);
    reversed.push_back(group);
    rest >>= 7;  // arithmetic on the targets we build for
    const bool signDone = (rest == 0 && !(group & 0x40)) || (rest == -1 && (group & 0x40));
    if (signDone || static_cast<int>(reversed.size()) == maxBytes) break;
  }
  reversed.front() |= 0x80;
  return Bytes(reversed.rbegin(), reversed.rend());
}

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
  MessageBuilder& Ascii(std::string_view text) {
    if (text.empty()) return Raw({0x80});
    for (size_t i = 0; i < text.size(); ++i) {
      bytes_.push_back(static_cast<uint8_t>(text[i] & 0x7f) | (i + 1 == text.size() ? 0x80 : 0));
    }
    return *this;
  }
  // Stop-bit length, then the bytes as they are.
  MessageBuilder& Sized(std::string_view text) {
    UInt(text.size());
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  // A table code: segment id, then the offset into the segment.
  MessageBuilder& Code(uint32_t segmentId, uint32_t offset) { return UInt(segmentId).UInt(offset); }
  // A code as text (wire id 0).
  MessageBuilder& TextCode(std::string_view text) { return UInt(0).Ascii(text); }
  // A number part with a suffix from the market suffix list (wire id 127).
  MessageBuilder& ListedCode(uint8_t suffixIndex, std::string_view number) {
    return UInt(127).Raw({suffixIndex}).Ascii(number);
  }
  // Time of day in two bytes: hour offset from 8 in the top four bits.
  MessageBuilder& PackedTime(int hour, int minute, int second) {
    const int v = (hour - 8) * 4096 + minute * 64 + second;
    return Raw({static_cast<uint8_t>((v >> 8) & 0xff), static_cast<uint8_t>(v & 0xff)});
  }

  const kt::Bytes& Bytes() const { return bytes_; }

 private:
  MessageBuilder& Append(const kt::Bytes& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  kt::Bytes bytes_;
};

// A received message: length prefix (type and body bytes), type, body.
inline Bytes Frame(uint32_t type, const Bytes& body) {
  Bytes typeAndBody = StopBitUnsigned(type);
  typeAndBody.insert(typeAndBody.end(), body.begin(), body.end());
  Bytes message = StopBitUnsigned(typeAndBody.size());
  message.insert(message.end(), typeAndBody.begin(), typeAndBody.end());
  return message;
}

// zlib stream of bytes, at the given level.
inline Bytes Deflate(const Bytes& bytes, int level = Z_BEST_COMPRESSION) {
  uLongf size = compressBound(bytes.size());
  Bytes out(size);
  if (compress2(out.data(), &size, bytes.data(), bytes.size(), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

// A compressed envelope (type 54) around a whole message.
inline Bytes Compressed(const Bytes& innerMessage) { return Frame(54, Deflate(innerMessage)); }

inline std::string Hex(const uint8_t* bytes, size_t n) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}
inline std::string Hex(const Bytes& bytes) { return Hex(bytes.data(), bytes.size()); }
inline std::string Hex(const char* bytes, int n) {
  return Hex(reinterpret_cast<const uint8_t*>(bytes), static_cast<size_t>(n));
}

// "81 9A 9A" to bytes.
inline Bytes FromHex(std::string_view text) {
  Bytes out;
  std::istringstream in{std::string(text)};
  std::string pair;
  while (in >> pair) out.push_back(static_cast<uint8_t>(std::stoul(pair, nullptr, 16)));
  return out;
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_MESSAGEBUILDER_H
