// The first bytes of packet capture files, known without libpcap, so that a
// build without it can still tell a capture from a byte stream.
#ifndef KESTREL_CAPTURE_MAGIC_H
#define KESTREL_CAPTURE_MAGIC_H

#include <cstddef>
#include <cstdint>

namespace kcap {

// Magic numbers of the two file formats, as the first four bytes read.
inline constexpr uint32_t kPcapMicro = 0xa1b2c3d4;
inline constexpr uint32_t kPcapNano = 0xa1b23c4d;
inline constexpr uint32_t kPcapngSection = 0x0a0d0d0a;
inline constexpr size_t kMagicBytes = 4;

// True when the first bytes are the magic number of a pcap file (either
// byte order, micro- or nanosecond timestamps) or of a pcapng section
// header block.
inline bool LooksLikeCapture(const uint8_t* bytes, size_t size) {
  if (size < kMagicBytes) return false;
  uint32_t little = 0, big = 0;
  for (size_t i = 0; i < kMagicBytes; ++i) {
    little |= uint32_t{bytes[i]} << (8 * i);
    big = big << 8 | bytes[i];
  }
  for (const uint32_t magic : {kPcapMicro, kPcapNano}) {
    if (little == magic || big == magic) return true;
  }
  return big == kPcapngSection;
}

}  // namespace kcap

#endif  // KESTREL_CAPTURE_MAGIC_H
