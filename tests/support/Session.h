// The sample session recorded from the simulator: its whole messages, one
// after another, as the framer cuts them.
#ifndef KESTREL_TESTS_SUPPORT_SESSION_H
#define KESTREL_TESTS_SUPPORT_SESSION_H

#include <cstddef>
#include <fstream>
#include <iterator>
#include <vector>

#include "KestrelUtils.h"
#include "support/MessageBuilder.h"

namespace kt {

inline std::vector<Bytes> SessionMessages() {
  std::ifstream in(KESTREL_SAMPLE_SESSION, std::ios::binary);
  const Bytes stream(std::istreambuf_iterator<char>(in), {});
  std::vector<Bytes> messages;
  for (size_t at = 0; at < stream.size();) {
    const auto* start = reinterpret_cast<const char*>(stream.data() + at);
    const size_t size = kestrel::wholeMessageSize(start, stream.size() - at);
    if (size == 0) break;
    messages.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                          stream.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  }
  return messages;
}

}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_SESSION_H
