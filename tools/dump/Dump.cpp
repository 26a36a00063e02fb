// The bare byte stream of the server: cut into messages as they arrive.
#include "dump/Dump.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>
#include <ostream>
#include <vector>

#include "KestrelUtils.h"
#include "capture/Magic.h"
#include "dump/Analyser.h"

namespace kdump {

namespace {

// The capture is read in chunks of this size, so memory follows the largest
// message, not the size of the capture.
constexpr int kChunk = 64 * 1024;

}  // namespace

bool IsCapture(const std::string& bytes) {
  return kcap::LooksLikeCapture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

int DumpStream(std::istream& in, const DumpOptions& options, std::ostream& out, std::ostream& err,
               const std::string& head) {
  CKestrelCode::StartUp();
  Analyser analyser(options, out, err);
  KestrelFramer framer(options.maxMessage);
  std::vector<char> chunk(kChunk);
  KestrelFrame frame{};
  bool first = true;
  while (!analyser.Stopped()) {
    int got = 0;
    if (first && !head.empty()) {
      got = static_cast<int>(head.size());
      chunk.assign(head.begin(), head.end());
      chunk.resize(std::max<size_t>(head.size(), kChunk));
    } else {
      // One byte waits for input; the rest is what has already arrived, so
      // a message is printed as soon as it is whole, also from a pipe.
      in.read(chunk.data(), 1);
      if (in.gcount() < 1) break;
      got = static_cast<int>(1 + in.readsome(chunk.data() + 1, kChunk - 1));
    }
    first = false;
    if (!framer.Feed(chunk.data(), got) && framer.GetStatus() < kFramerBadLength) {
      analyser.Problem("byte " + std::to_string(framer.GetStreamOffset()) + ": out of memory");
      return analyser.Finish();
    }
    while (!analyser.Stopped() && framer.Next(&frame) == kFramerMessage) {
      analyser.ServerMessage(frame, nullptr);
    }
    if (framer.GetStatus() == kFramerBadLength) {
      analyser.Problem("byte " + std::to_string(framer.GetErrorOffset()) +
                       ": length prefix of five bytes without a stop bit");
      return analyser.Finish();
    }
    if (framer.GetStatus() == kFramerTooLong) {
      analyser.Problem("byte " + std::to_string(framer.GetErrorOffset()) +
                       ": length prefix announces more than " +
                       std::to_string(framer.GetMaxMessage()) + " bytes (see --max-message)");
      return analyser.Finish();
    }
  }
  if (in.bad()) {
    analyser.Problem("byte " + std::to_string(framer.GetStreamOffset()) +
                     ": read error: " + std::strerror(errno));
  } else if (!analyser.Stopped() && framer.GetBufferedBytes() > 0) {
    analyser.Problem("byte " +
                     std::to_string(framer.GetStreamOffset() - framer.GetBufferedBytes()) +
                     ": input ends inside a message (" + std::to_string(framer.GetBufferedBytes()) +
                     " of its bytes present)");
  }
  return analyser.Finish();
}

}  // namespace kdump
