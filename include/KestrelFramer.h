// KestrelFramer: cuts the byte stream of a connection into whole messages.
//
// A TCP connection delivers the server's messages as one stream of bytes, in
// chunks that need not end where a message ends. The host feeds every chunk
// it receives to the framer and takes back each message (length prefix, type
// and body) once its last byte has arrived, ready for
// CKestrelCode::DecodeOneMessage:
//
//   KestrelFramer framer;
//   ... n = recv(socket, buffer, sizeof buffer, 0);
//   framer.Feed(buffer, n);
//   KestrelFrame frame;
//   while (framer.Next(&frame) == kFramerMessage) {
//     int type = 0;
//     char* result = CKestrelCode::DecodeOneMessage(frame.Message, &type);
//     ... read the result ...
//     CKestrelCode::ClearDecodeMessage(result, type);
//   }
//   if (framer.GetStatus() >= kFramerBadLength) ... close the connection ...
//
// Limits. A message may announce at most the framer's ceiling in bytes of
// type and body (kKestrelFramerDefaultMaxMessage unless the host chooses
// another). The framer never reserves memory on the word of a length prefix:
// it holds only the bytes fed and not yet handed out.
//
// Errors. A length prefix of five bytes without a stop bit, or one that
// announces more than the ceiling, puts the framer in an error state: Next
// reports the error, Feed refuses further bytes, and the stream cannot be
// resynchronised (the host drops the connection, or calls Reset for a new
// one). GetErrorOffset gives the stream offset of the bad prefix.
//
// A framer belongs to one connection and one thread at a time.
#ifndef KESTREL_FRAMER_H
#define KESTREL_FRAMER_H

#include "KestrelExport.h"

// Largest type-and-body length that a framer accepts unless the host chooses
// another ceiling: 16 MiB.
inline constexpr int kKestrelFramerDefaultMaxMessage = 16 * 1024 * 1024;
// Largest ceiling a host may choose: a whole message, prefix included, then
// still fits in an int.
inline constexpr int kKestrelFramerMaxMessageLimit = 0x7fffffff - 5;

// What Next found. The two errors are sticky until Reset.
enum TFramerStatus : int {
  kFramerNeedMore = 0,   // no whole message buffered: feed more bytes
  kFramerMessage = 1,    // a message was handed out
  kFramerBadLength = 2,  // a length prefix of five bytes without a stop bit
  kFramerTooLong = 3,    // a length over the framer's ceiling
};

// One message handed out by KestrelFramer::Next.
struct KestrelFrame {
  // First byte of the length prefix; Size bytes follow. The bytes belong to
  // the framer and stay valid until the next call of Feed, Next or Reset;
  // DecodeOneMessage reads them without changing them.
  char* Message;
  int Size;          // bytes of the whole message: prefix, type and body
  int Type;          // the type after the prefix (54 for a compressed envelope)
  long long Offset;  // stream offset of the message's first byte
};

class KESTREL_API KestrelFramer {
 public:
  // A framer whose ceiling is maxMessage bytes of type and body. Values below
  // 1 give kKestrelFramerDefaultMaxMessage; values above
  // kKestrelFramerMaxMessageLimit give that limit.
  explicit KestrelFramer(int maxMessage = kKestrelFramerDefaultMaxMessage);
  ~KestrelFramer();
  KestrelFramer(const KestrelFramer&) = delete;
  KestrelFramer& operator=(const KestrelFramer&) = delete;

  // Appends `size` bytes of the stream. Returns false, taking nothing, when
  // the framer is in an error state, when data is null while size is above
  // 0, when size is negative, or when no memory is left for the bytes.
  bool Feed(const char* data, int size);

  // Hands out the next whole message into `frame` and returns
  // kFramerMessage; otherwise returns why not (frame is left alone). A null
  // frame returns the status without taking a message.
  TFramerStatus Next(KestrelFrame* frame);

  // kFramerNeedMore or kFramerMessage while the stream is sound (whichever
  // Next would return now), else the error.
  TFramerStatus GetStatus() const;
  // Stream offset of the length prefix that put the framer in its error
  // state; -1 when there is no error.
  long long GetErrorOffset() const;
  // Bytes fed and not yet handed out: the start of a message still in
  // transit, or messages waiting for Next.
  int GetBufferedBytes() const;
  // Stream offset of the next byte that Feed will take.
  long long GetStreamOffset() const;
  int GetMaxMessage() const;

  // Forgets every buffered byte and any error, for a new stream; the offsets
  // start again at 0.
  void Reset();

 private:
  struct State;
  State* state;
};

#endif  // KESTREL_FRAMER_H
