// Every seed of the fuzz corpus and every kept regression input decodes
// without fault: framed as it is, inside a compressed envelope, cut at every
// length, and with every single byte flipped. Beyond "no fault" (which the
// sanitizer builds check), a message reports the type it was framed with, and
// inside a compressed envelope it yields exactly what it yields alone.
#include <gtest/gtest.h>

#include "support/Corpus.h"
#include "support/Decoded.h"
#include "support/Fingerprint.h"

namespace {

// The stop-bit type at the head of a corpus file, read here byte by byte
// (independently of the library's reader); -1 when it has no stop bit.
int WireType(const kt::Bytes& typeAndBody) {
  uint32_t type = 0;
  for (size_t i = 0; i < typeAndBody.size() && i < 5; ++i) {
    const auto byte = static_cast<uint8_t>(typeAndBody[i]);
    type = type << 7 | (byte & 0x7F);
    if ((byte & 0x80) != 0) return static_cast<int>(type);
  }
  return -1;
}

TEST(CorpusReplay, EveryInputDecodesCutAndFlipped) {
  const std::vector<kt::CorpusFile> corpus = kt::ReadCorpus();
  ASSERT_GE(corpus.size(), 20u) << "the seed corpus was not written";
  for (const kt::CorpusFile& file : corpus) {
    SCOPED_TRACE(file.path);
    const kt::Bytes& bytes = file.typeAndBody;
    kt::Decoded whole(kt::Framed(bytes));
    kt::Decoded packed(kt::Compressed(kt::Framed(bytes)));
    const int type = WireType(bytes);
    // Types past int's range are reported wrapped; the corpus holds none.
    if (type >= 0) {
      EXPECT_EQ(whole.Type(), type);
    }
    if (type != 54 && type >= 0) {
      // An envelope reports, and holds, what its message holds.
      EXPECT_EQ(packed.Type(), whole.Type());
      EXPECT_EQ(kt::FingerprintOf(packed.Result(), packed.Type()),
                kt::FingerprintOf(whole.Result(), whole.Type()));
    }
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
      kt::Decoded part(kt::Framed(kt::Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut))));
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
      kt::Bytes flipped = bytes;
      flipped[at] ^= 0xFF;
      kt::Decoded d(kt::Framed(flipped));
    }
  }
}

}  // namespace
