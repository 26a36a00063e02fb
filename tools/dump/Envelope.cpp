// Inspecting a refused compressed envelope.
#include "dump/Envelope.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace kdump {

namespace {

// The most bytes the library inflates an envelope to; larger ones are refused.
constexpr uint64_t kLibraryInflateCeiling = 104857600;  // 100 MiB
// Envelopes inside envelopes that the library follows.
constexpr int kLibraryNesting = 4;
constexpr size_t kScratch = 64 * 1024;
constexpr uint8_t kStopBit = 0x80;
constexpr int kMaxPrefix = 5;

// The offset of the payload and its size, or false for a frame whose length
// prefix does not fit the message.
bool Payload(const uint8_t* bytes, int size, int* start, int* length) {
  uint64_t value = 0;
  int at = 0;
  while (at < size && at < kMaxPrefix) {
    const uint8_t byte = bytes[at++];
    value = value << 7 | (byte & 0x7f);
    if (byte & kStopBit) break;
  }
  // The type of an envelope takes one byte.
  if (at + 1 > size || value < 1 || value > static_cast<uint64_t>(size - at)) return false;
  *start = at + 1;
  *length = static_cast<int>(value) - 1;
  return true;
}

}  // namespace

std::string EnvelopeRefusal(const char* message, int size) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(message);
  int start = 0, length = 0;
  if (!Payload(bytes, size, &start, &length)) return "the length prefix does not fit the message";
  if (length == 0) return "the envelope has an empty payload";
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return "zlib could not start";
  std::vector<Bytef> scratch(kScratch);
  stream.next_in = const_cast<Bytef*>(bytes + start);  // zlib never writes its input
  stream.avail_in = static_cast<uInt>(length);
  uint64_t produced = 0;
  std::string reason;
  for (;;) {
    stream.next_out = scratch.data();
    stream.avail_out = static_cast<uInt>(scratch.size());
    const int status = inflate(&stream, Z_NO_FLUSH);
    produced += scratch.size() - stream.avail_out;
    if (produced > kLibraryInflateCeiling) {
      reason = "the payload inflates to more than " + std::to_string(kLibraryInflateCeiling) +
               " bytes, the most the library accepts";
      break;
    }
    if (status == Z_STREAM_END) {
      reason = "the payload inflates to " + std::to_string(produced) +
               " bytes, but the message inside does not decode (or envelopes are nested more "
               "than " +
               std::to_string(kLibraryNesting) + " deep)";
      break;
    }
    if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_STREAM_ERROR) {
      reason = std::string("the payload is not a zlib stream (zlib: ") +
               (stream.msg != nullptr ? stream.msg : "data error") + ")";
      break;
    }
    if (status == Z_MEM_ERROR) {
      reason = "zlib ran out of memory";
      break;
    }
    if (status == Z_BUF_ERROR || (stream.avail_in == 0 && stream.avail_out != 0)) {
      reason = "the zlib stream is cut short";
      break;
    }
  }
  inflateEnd(&stream);
  return reason;
}

}  // namespace kdump
