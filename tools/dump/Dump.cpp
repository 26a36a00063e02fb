// Decoding and printing a capture, message by message.
#include "dump/Dump.h"

#include <istream>
#include <ostream>
#include <vector>

#include "KestrelUtils.h"
#include "dump/Results.h"

namespace kdump {

namespace {

// The capture is read in chunks of this size, so memory follows the largest
// message, not the size of the capture.
constexpr int kChunk = 64 * 1024;

void PrintMessage(const KestrelFrame& frame, const DumpOptions& options, std::ostream& out) {
  int type = -1;
  char* result = CKestrelCode::DecodeOneMessage(frame.Message, &type);
  const Node node = ResultNode(result, type);
  CKestrelCode::ClearDecodeMessage(result, type);
  const bool compressed = frame.Type == 54 && type != 54;

  std::string text;
  if (options.table) {
    text = "@" + std::to_string(frame.Offset) + "  " + TypeName(type) + " (" +
           std::to_string(type) + ")" + (compressed ? " in a compressed envelope" : "") + ", " +
           std::to_string(frame.Size) + " bytes\n";
    if (node.kind() == Node::Kind::kNull) {
      text += "  no result\n";
    } else {
      WriteTable(node, 2, options.maxRows, &text);
    }
    text += "\n";
  } else {
    Node line = Node::Fields();
    line.Add("offset", Node::Int(frame.Offset));
    line.Add("size", Node::Int(frame.Size));
    line.Add("type", Node::Int(type));
    line.Add("name", Node::Text(TypeName(type)));
    line.Add("compressed", Node::Bool(compressed));
    line.Add("result", node);
    WriteJson(line, &text);
    text += "\n";
  }
  out << text;
}

}  // namespace

int DumpStream(std::istream& in, const DumpOptions& options, std::ostream& out, std::ostream& err) {
  CKestrelCode::StartUp();
  KestrelFramer framer(options.maxMessage);
  std::vector<char> chunk(kChunk);
  KestrelFrame frame{};
  for (;;) {
    // One byte waits for input; the rest is what has already arrived, so a
    // message is printed as soon as it is whole, also from a pipe.
    in.read(chunk.data(), 1);
    if (in.gcount() < 1) break;
    const auto got = static_cast<int>(1 + in.readsome(chunk.data() + 1, kChunk - 1));
    if (!framer.Feed(chunk.data(), got) && framer.GetStatus() < kFramerBadLength) {
      err << "kestrel-dump: byte " << framer.GetStreamOffset() << ": out of memory\n";
      return kDumpMalformed;
    }
    while (framer.Next(&frame) == kFramerMessage) PrintMessage(frame, options, out);
    if (framer.GetStatus() == kFramerBadLength) {
      err << "kestrel-dump: byte " << framer.GetErrorOffset()
          << ": length prefix of five bytes without a stop bit\n";
      return kDumpMalformed;
    }
    if (framer.GetStatus() == kFramerTooLong) {
      err << "kestrel-dump: byte " << framer.GetErrorOffset()
          << ": length prefix announces more than " << framer.GetMaxMessage()
          << " bytes (see --max-message)\n";
      return kDumpMalformed;
    }
  }
  if (in.bad()) {
    err << "kestrel-dump: byte " << framer.GetStreamOffset() << ": read error\n";
    return kDumpMalformed;
  }
  if (framer.GetBufferedBytes() > 0) {
    err << "kestrel-dump: byte " << framer.GetStreamOffset() - framer.GetBufferedBytes()
        << ": input ends inside a message (" << framer.GetBufferedBytes()
        << " of its bytes present)\n";
    return kDumpMalformed;
  }
  out.flush();
  return kDumpOk;
}

}  // namespace kdump
