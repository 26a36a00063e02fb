// Stop-bit fields, frames, envelopes and hex text of the message writer.
#include "wire/MessageBuilder.h"

#include <cctype>
#include <stdexcept>

namespace kwire {

Bytes StopBitUnsigned(uint64_t value) {
  Bytes reversed{static_cast<uint8_t>((value & 0x7f) | 0x80)};
  for (value >>= 7; value != 0; value >>= 7) reversed.push_back(value & 0x7f);
  return Bytes(reversed.rbegin(), reversed.rend());
}

Bytes StopBitSigned(int64_t value, int maxBytes) {
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

MessageBuilder& MessageBuilder::Ascii(std::string_view text) {
  if (text.empty()) return Raw({0x80});
  for (size_t i = 0; i < text.size(); ++i) {
    bytes_.push_back(static_cast<uint8_t>(text[i] & 0x7f) | (i + 1 == text.size() ? 0x80 : 0));
  }
  return *this;
}

MessageBuilder& MessageBuilder::Sized(std::string_view text) {
  UInt(text.size());
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  return *this;
}

MessageBuilder& MessageBuilder::PackedTime(int hour, int minute, int second) {
  const int v = (hour - 8) * 4096 + minute * 64 + second;
  return Raw({static_cast<uint8_t>((v >> 8) & 0xff), static_cast<uint8_t>(v & 0xff)});
}

Bytes Frame(uint32_t type, const Bytes& body) {
  Bytes typeAndBody = StopBitUnsigned(type);
  typeAndBody.insert(typeAndBody.end(), body.begin(), body.end());
  Bytes message = StopBitUnsigned(typeAndBody.size());
  message.insert(message.end(), typeAndBody.begin(), typeAndBody.end());
  return message;
}

Bytes Deflate(const Bytes& bytes, int level) {
  uLongf size = compressBound(bytes.size());
  Bytes out(size);
  if (compress2(out.data(), &size, bytes.data(), bytes.size(), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

std::string Hex(const uint8_t* bytes, size_t n) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseHex(std::string_view text, Bytes* out, size_t* badAt) {
  size_t i = 0;
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    const int high = HexDigit(text[i]);
    const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (high < 0 || low < 0) {
      *badAt = high < 0 ? i : i + 1;
      return false;
    }
    out->push_back(static_cast<uint8_t>(high * 16 + low));
    i += 2;
  }
  return true;
}

Bytes FromHex(std::string_view text) {
  Bytes out;
  size_t badAt = 0;
  ParseHex(text, &out, &badAt);
  return out;
}

}  // namespace kwire
