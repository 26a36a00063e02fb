// KestrelFramer as a host uses it: a TCP stream cut into messages, whatever
// the chunks it arrives in, and malformed lengths as errors with offsets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KestrelUtils.h"
#include "support/MessageBuilder.h"

namespace {

using kt::Bytes;
using kt::Frame;

struct Taken {
  std::vector<Bytes> messages;
  std::vector<long long> offsets;
  std::vector<int> types;
};

// Feeds the stream in chunks of `chunk` bytes, taking messages after each.
Taken FeedInChunks(KestrelFramer& framer, const Bytes& stream, size_t chunk) {
  Taken taken;
  for (size_t at = 0; at < stream.size(); at += chunk) {
    const size_t n = std::min(chunk, stream.size() - at);
    EXPECT_TRUE(
        framer.Feed(reinterpret_cast<const char*>(stream.data() + at), static_cast<int>(n)));
    KestrelFrame frame;
    while (framer.Next(&frame) == kFramerMessage) {
      taken.messages.emplace_back(frame.Message, frame.Message + frame.Size);
      taken.offsets.push_back(frame.Offset);
      taken.types.push_back(frame.Type);
    }
  }
  return taken;
}

Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(Framer, EveryChunkSizeYieldsTheSameMessages) {
  // Length prefixes of one, two and three bytes, an empty frame (length 0),
  // a compressed envelope, and a type above 127.
  const std::vector<Bytes> messages = {
      Frame(58, {}),
      Frame(48, Bytes(200, 'a')),
      Bytes{0x80},
      Frame(130, {1, 2}),
      kt::Compressed(Frame(48, Bytes(3000, 'z'))),
      Frame(48, Bytes(16400, 'b')),
      Frame(59, {0x81}),
  };
  const std::vector<int> types = {58, 48, 0, 130, 54, 48, 59};
  const Bytes stream = Concat(messages);
  std::vector<long long> offsets;
  long long at = 0;
  for (const Bytes& message : messages) {
    offsets.push_back(at);
    at += static_cast<long long>(message.size());
  }
  for (size_t chunk = 1; chunk <= stream.size(); ++chunk) {
    KestrelFramer framer;
    const Taken taken = FeedInChunks(framer, stream, chunk);
    ASSERT_EQ(taken.messages, messages) << "chunk " << chunk;
    ASSERT_EQ(taken.offsets, offsets) << "chunk " << chunk;
    ASSERT_EQ(taken.types, types) << "chunk " << chunk;
    ASSERT_EQ(framer.GetBufferedBytes(), 0);
    ASSERT_EQ(framer.GetStatus(), kFramerNeedMore);
  }
}

TEST(Framer, HandedOutMessagesDecode) {
  const Bytes stream = Concat({Frame(59, kt::MessageBuilder().UInt(42).Bytes()), Frame(58, {})});
  KestrelFramer framer;
  ASSERT_TRUE(
      framer.Feed(reinterpret_cast<const char*>(stream.data()), static_cast<int>(stream.size())));
  KestrelFrame frame;
  ASSERT_EQ(framer.Next(&frame), kFramerMessage);
  int type = 0;
  char* result = CKestrelCode::DecodeOneMessage(frame.Message, &type);
  ASSERT_EQ(type, 59);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(reinterpret_cast<KestrelInfoReceive*>(result)->ReceiveValue2, 42);
  CKestrelCode::ClearDecodeMessage(result, type);
  EXPECT_EQ(framer.Next(&frame), kFramerMessage);
  EXPECT_EQ(framer.Next(&frame), kFramerNeedMore);
}

TEST(Framer, MalformedLengthsAreStickyErrorsAtTheirOffsets) {
  const Bytes good = Frame(48, {'o', 'k'});
  struct Row {
    const char* name;
    int ceiling;
    Bytes tail;  // follows one good message
    TFramerStatus status;
  };
  const Row rows[] = {
      {"five bytes, no stop bit", 0, {0x00, 0x00, 0x00, 0x00, 0x00}, kFramerBadLength},
      {"over the ceiling", 100, {0x00, 0xE5}, kFramerTooLong},  // 101
      {"35-bit length does not wrap", 0, {0x7F, 0x7F, 0x7F, 0x7F, 0xFF}, kFramerTooLong},
      {"five bytes past the 32-bit range", 0, {0x10, 0x00, 0x00, 0x00, 0x80}, kFramerTooLong},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    KestrelFramer framer(row.ceiling);
    Bytes stream = good;
    stream.insert(stream.end(), row.tail.begin(), row.tail.end());
    const Taken taken = FeedInChunks(framer, stream, 1);
    EXPECT_EQ(taken.messages.size(), 1u);  // the message before the bad prefix
    EXPECT_EQ(framer.GetStatus(), row.status);
    EXPECT_EQ(framer.GetErrorOffset(), static_cast<long long>(good.size()));
    KestrelFrame frame;
    EXPECT_EQ(framer.Next(&frame), row.status);
    EXPECT_FALSE(framer.Feed("x", 1));
    framer.Reset();
    EXPECT_EQ(framer.GetErrorOffset(), -1);
    EXPECT_EQ(FeedInChunks(framer, good, 2).messages.size(), 1u);
  }
}

TEST(Framer, CeilingsAndArguments) {
  KestrelFramer exact(100);
  Bytes stream = Frame(48, Bytes(99, 'c'));  // type and body: 100 bytes
  EXPECT_EQ(FeedInChunks(exact, stream, 7).messages.size(), 1u);
  EXPECT_EQ(KestrelFramer(0).GetMaxMessage(), kKestrelFramerDefaultMaxMessage);
  EXPECT_EQ(KestrelFramer(-5).GetMaxMessage(), kKestrelFramerDefaultMaxMessage);

  KestrelFramer framer;
  EXPECT_FALSE(framer.Feed(nullptr, 1));
  EXPECT_FALSE(framer.Feed("x", -1));
  EXPECT_TRUE(framer.Feed(nullptr, 0));
  EXPECT_TRUE(framer.Feed("\x81", 1));  // length 1: the type is still to come
  EXPECT_EQ(framer.Next(nullptr), kFramerNeedMore);
  EXPECT_TRUE(framer.Feed("\xBA", 1));
  EXPECT_EQ(framer.Next(nullptr), kFramerMessage);  // reported, not taken
  EXPECT_EQ(framer.GetBufferedBytes(), 2);
  EXPECT_EQ(framer.GetStreamOffset(), 2);
}

}  // namespace
