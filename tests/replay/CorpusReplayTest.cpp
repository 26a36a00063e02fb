// Every seed of the fuzz corpus and every kept regression input decodes
// without fault: framed as it is, inside a compressed envelope, cut at every
// length, and with every single byte flipped.
#include <gtest/gtest.h>

#include "support/Corpus.h"
#include "support/Decoded.h"

namespace {

TEST(CorpusReplay, EveryInputDecodesCutAndFlipped) {
  const std::vector<kt::CorpusFile> corpus = kt::ReadCorpus();
  ASSERT_GE(corpus.size(), 20u) << "the seed corpus was not written";
  for (const kt::CorpusFile& file : corpus) {
    SCOPED_TRACE(file.path);
    const kt::Bytes& bytes = file.typeAndBody;
    { kt::Decoded whole(kt::Framed(bytes)); }
    { kt::Decoded packed(kt::Compressed(kt::Framed(bytes))); }
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
