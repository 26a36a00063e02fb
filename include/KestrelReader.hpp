// The C++ face of KestrelUtils: a stream reader that cuts a connection's
// bytes into messages and decodes each into an owned result.
//
//   kestrel::Reader reader;
//   reader.feed(buffer, received);
//   while (std::optional<kestrel::Result> result = reader.next()) {
//     if (auto* data = result->as<CKestrelData>()) ...
//   }
//   if (reader.failed()) ... drop the connection (reader.errorOffset()) ...
#ifndef KESTREL_READER_HPP
#define KESTREL_READER_HPP

#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <optional>

#include "KestrelFramer.h"
#include "KestrelResult.hpp"

namespace kestrel {

// Where the message of the last result lay in the stream.
struct FrameInfo {
  long long offset = -1;                     // stream offset of its first byte
  int size = 0;                              // prefix, type and body
  MessageType wireType = MessageType::None;  // Compressed for an envelope
};

// A KestrelFramer and DecodeOneMessage in one: feed the bytes as they come,
// take a result per whole message. Belongs to one connection and one thread
// at a time; movable, not copyable (a reader moved from may only be assigned
// to or destroyed).
class Reader {
 public:
  // `maxMessage`: the framer's ceiling on a message's type and body.
  explicit Reader(int maxMessage = kKestrelFramerDefaultMaxMessage)
      : framer_(std::make_unique<KestrelFramer>(maxMessage)) {}

  // Appends bytes of the stream. False, taking nothing more, once the stream
  // is broken or memory runs out.
  bool feed(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    // The framer takes an int count; larger blocks go in pieces.
    while (size > 0) {
      const std::size_t piece = std::min<std::size_t>(size, INT_MAX);
      if (!framer_->Feed(bytes, static_cast<int>(piece))) return false;
      bytes += piece;
      size -= piece;
    }
    return true;
  }

  // The result of the next whole message, or nothing when no whole message
  // is buffered (feed more) or the stream is broken (see failed()). A result
  // may hold no record: a heartbeat, an unknown type, a message that could
  // not be decoded.
  std::optional<Result> next() {
    KestrelFrame frame{};
    if (framer_->Next(&frame) != kFramerMessage) return std::nullopt;
    last_ = FrameInfo{frame.Offset, frame.Size, static_cast<MessageType>(frame.Type)};
    int type = static_cast<int>(MessageType::None);
    char* record = CKestrelCode::DecodeOneMessage(frame.Message, &type);
    return Result(record, type);
  }

  // The message of the last result that next() gave.
  const FrameInfo& lastFrame() const noexcept { return last_; }

  // The framer's state: kFramerNeedMore or kFramerMessage while the stream
  // is sound, kFramerBadLength or kFramerTooLong once it is broken.
  TFramerStatus status() const { return framer_->GetStatus(); }
  bool failed() const { return status() >= kFramerBadLength; }
  // Stream offset of the bad length prefix; -1 while the stream is sound.
  long long errorOffset() const { return framer_->GetErrorOffset(); }
  // Bytes fed and not yet handed out; stream offset of the next byte to feed.
  int bufferedBytes() const { return framer_->GetBufferedBytes(); }
  long long streamOffset() const { return framer_->GetStreamOffset(); }

  // Forgets the stream, for a new connection.
  void reset() {
    framer_->Reset();
    last_ = FrameInfo();
  }

 private:
  std::unique_ptr<KestrelFramer> framer_;
  FrameInfo last_;
};

}  // namespace kestrel

#endif  // KESTREL_READER_HPP
