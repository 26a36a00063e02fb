// The messages of the fuzz seed corpus and of the regression inputs: each
// file holds the stop-bit type and body of one message.
#ifndef KESTREL_TESTS_SUPPORT_CORPUS_H
#define KESTREL_TESTS_SUPPORT_CORPUS_H

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/MessageBuilder.h"

namespace kt {

struct CorpusFile {
  std::string path;
  Bytes typeAndBody;
};

inline std::vector<CorpusFile> ReadCorpus() {
  std::vector<CorpusFile> files;
  for (const char* dir : {KESTREL_CORPUS_DIR, KESTREL_REGRESSIONS_DIR}) {
    DIR* d = opendir(dir);
    if (d == nullptr) continue;
    while (const dirent* entry = readdir(d)) {
      if (entry->d_name[0] == '.') continue;
      const std::string path = std::string(dir) + "/" + entry->d_name;
      std::ifstream in(path, std::ios::binary);
      files.push_back({path, Bytes(std::istreambuf_iterator<char>(in), {})});
    }
    closedir(d);
  }
  return files;
}

// The file framed as a whole message: the length prefix, then its bytes.
inline Bytes Framed(const Bytes& typeAndBody) {
  Bytes message = StopBitUnsigned(typeAndBody.size());
  message.insert(message.end(), typeAndBody.begin(), typeAndBody.end());
  return message;
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_CORPUS_H
