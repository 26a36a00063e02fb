// Level-2 order queues: full images, updates and the series form.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "KestrelUtils.h"
#include "support/Cursor.h"
#include "support/KestrelCodeAccess.h"

namespace {

using kt::Bytes;
using kt::MessageBuilder;
using Item = std::tuple<int, int, int>;                         // operator, position, volume
using Level = std::tuple<int, double, int, std::vector<Item>>;  // operator, price, orders, items
using QueueDecoder = void (*)(char*, CKestrelL2OrderQueue*, CDecodeCode&);

char kCode[] = "600000.SH";

// The levels of a queue decoded from bytes, of which it must leave `unread`.
std::vector<Level> Decode(QueueDecoder decode, const Bytes& bytes, int unread = 0) {
  kt::Cursor c(bytes);
  CKestrelL2OrderQueue queue;
  decode(kCode, &queue, c.code);
  EXPECT_STREQ(queue.GetTernCode(), "600000.SH");
  EXPECT_EQ(c.code.Position(), c.code.Length() - unread);
  std::vector<Level> levels;
  for (int i = 0; i < queue.GetL2OrderQueuePriceLevelNum(); ++i) {
    CL2OrderQueuePriceLevel& level = queue.GetL2OrderQueuePriceLevel()[i];
    std::vector<Item> items;
    for (int k = 0; k < level.GetL2OrderQueueItemNum(); ++k) {
      const CL2OrderQueueItem& item = level.GetL2OrderQueueItem()[k];
      items.emplace_back(item.Operator, item.Position, item.Volume);
    }
    levels.emplace_back(level.GetPriceLevelOperator(), level.GetPrice()->GetIndexValue()[0].dValue,
                        level.GetNumOfOrders(), items);
  }
  return levels;
}

// A full image: stamp, side, status 1, one level (price, orders, volumes).
Bytes FullImage() {
  MessageBuilder b;
  b.UInt(93000).UInt(1).UInt(1).UInt(1);
  return b.UInt(10250).UInt(3).UInt(3).UInt(100).UInt(200).UInt(300).Bytes();
}

// An update: stamp, side, status 2, five levels, one per level operator.
Bytes Update() {
  MessageBuilder b;
  b.UInt(1).UInt(2).UInt(2).UInt(5);
  b.UInt(1).UInt(10000).UInt(3).UInt(3).UInt(500).Int(20).Int(-70);  // running volumes
  b.UInt(2).UInt(10010).UInt(3).UInt(3);                             // per-item operators
  b.UInt(1).UInt(40).UInt(3).UInt(2).UInt(2).UInt(5).UInt(60);
  b.UInt(3).UInt(10020).UInt(2).UInt(2).UInt(4).Int(3);  // running positions
  b.UInt(9).UInt(10030).UInt(1).UInt(2);                 // unknown: no items on the wire
  return b.UInt(1).UInt(10040).UInt(1).UInt(1).UInt(7).Bytes();
}

// Series form: stamp, side, status, three skipped numbers, level count.
MessageBuilder SeriesHead(int64_t stamp, int64_t status, int64_t levels) {
  MessageBuilder b;
  return std::move(b.Int(stamp).Int(1).Int(status).UInt(0).UInt(0).UInt(0).Int(levels));
}

// A series-form full image of one level; later volumes are in hundreds.
Bytes SeriesImage() {
  MessageBuilder b = SeriesHead(20230715, 1, 1);
  return b.Int(10250).Int(4).UInt(3).UInt(9).UInt(9).UInt(9).Int(7).Int(3).Int(4).Bytes();
}

TEST(OrderQueue, ImagesAndUpdateOperators) {
  EXPECT_EQ(Decode(KestrelCodeAccess::DecodeL2OrderQueueData, FullImage()),
            (std::vector<Level>{{0, 10.25, 3, {{0, 0, 100}, {0, 0, 200}, {0, 0, 300}}}}));
  EXPECT_EQ(Decode(KestrelCodeAccess::DecodeL2OrderQueueData, Update()),
            (std::vector<Level>{{1, 10.0, 3, {{0, 0, 500}, {0, 0, 520}, {0, 0, 450}}},
                                {2, 10.01, 3, {{1, 0, 40}, {3, 2, 0}, {2, 5, 60}}},
                                {3, 10.02, 2, {{0, 4, 0}, {0, 7, 0}}},
                                {9, 10.03, 1, {{0, 0, 0}, {0, 0, 0}}},
                                {1, 10.04, 1, {{0, 0, 7}}}}));
  EXPECT_EQ(Decode(KestrelCodeAccess::DecodeL2OrderQueueSeries, SeriesImage()),
            (std::vector<Level>{{0, 10.25, 4, {{0, 0, 7}, {0, 0, 300}, {0, 0, 400}}}}));
  // A stamp of 0 ends the queue at once; an update has its levels made, not read.
  EXPECT_EQ(Decode(KestrelCodeAccess::DecodeL2OrderQueueSeries, MessageBuilder().Int(0).Bytes()),
            std::vector<Level>{});
  EXPECT_EQ(Decode(KestrelCodeAccess::DecodeL2OrderQueueSeries,
                   SeriesHead(5, 2, 1).UInt(1).UInt(2).Bytes(), 2),
            (std::vector<Level>{{0, 0.011, 0, {}}}));
}

TEST(OrderQueue, EveryTruncationAndForgedCountStaysWithinTheMessage) {
  const auto data = KestrelCodeAccess::DecodeL2OrderQueueData;
  const auto series = KestrelCodeAccess::DecodeL2OrderQueueSeries;
  const std::pair<QueueDecoder, Bytes> cases[] = {
      {data, FullImage()},
      {data, Update()},
      {data, MessageBuilder().UInt(1).UInt(1).UInt(7).UInt(0x7fffffff).Int(1).Bytes()},
      {series, SeriesImage()},
      {series, SeriesHead(1, 1, 0x7fffffff).UInt(1).UInt(2).Bytes()},
  };
  for (const auto& [decode, bytes] : cases) {
    kt::ForEachPrefix(bytes, [decode = decode](CDecodeCode& code, int n) {
      CKestrelL2OrderQueue queue;
      decode(kCode, &queue, code);
      EXPECT_LE(queue.GetL2OrderQueuePriceLevelNum(), n);
      for (int i = 0; i < queue.GetL2OrderQueuePriceLevelNum(); ++i) {
        EXPECT_LE(queue.GetL2OrderQueuePriceLevel()[i].GetL2OrderQueueItemNum(), n);
      }
    });
  }
}

}  // namespace
