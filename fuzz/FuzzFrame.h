// What the fuzz targets share: the framing a host's socket code does before
// it calls DecodeOneMessage.
//
// DecodeOneMessage trusts its caller to pass a whole frame (the length
// prefix promises L bytes and the buffer holds them), so every target puts a
// true length prefix in front of the type and body that the fuzzer chose.
#ifndef KESTREL_FUZZ_FUZZFRAME_H
#define KESTREL_FUZZ_FUZZFRAME_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "KestrelUtils.h"
#include "codec/Writers.h"

namespace kestrel_fuzz {

// The largest input a target decodes; larger inputs add nothing new.
inline constexpr size_t kMaxInput = 1 << 20;

// Length prefix, then the type and body as given.
inline std::vector<char> Framed(const uint8_t* typeAndBody, size_t size) {
  CCode prefix(8);
  WriteUInt32(prefix, static_cast<uint32_t>(size));
  std::vector<char> message(prefix.GetContent(), prefix.GetContent() + prefix.GetLength());
  message.insert(message.end(), typeAndBody, typeAndBody + size);
  return message;
}

// Reads every value that the views reach, so that the sanitizers see each
// element of the record.
inline void ReadThroughViews(const kestrel::Result& result) {
  volatile size_t sink = 0;
  if (CKestrelData* data = result.as<CKestrelData>()) {
    for (CKestrelQuoteData& quote : kestrel::quotes(*data)) {
      for (const kestrel::Entry& entry : kestrel::entries(quote)) sink = sink + entry.value.index();
    }
    for (CKestrelHisData& series : kestrel::series(*data)) {
      for (const int id : kestrel::columnIds(series)) {
        const kestrel::Column column = kestrel::column(series, id);
        for (size_t row = 0; row < column.size(); ++row) sink = sink + column[row].index();
      }
    }
    for (CKestrelL2OrderQueue& queue : kestrel::orderQueues(*data)) {
      for (CL2OrderQueuePriceLevel& level : kestrel::levels(queue)) {
        sink = sink + static_cast<size_t>(kestrel::price(level) != 0);
        for (const CL2OrderQueueItem& order : kestrel::orders(level)) sink = sink + order.Volume;
      }
    }
    for (CKestrelMarketEventData& event : kestrel::marketEvents(*data)) {
      for (const CMarketEventFieldItem& field : kestrel::fields(event)) sink = sink + field.IndIndex;
    }
  }
  if (CWatchList* list = result.as<CWatchList>()) {
    for (WatchListItem& item : kestrel::items(*list)) {
      for (const uint16_t id : kestrel::ids(item)) sink = sink + id;
    }
  }
}

// Decodes one framed message as a host does: decode, print, read, free.
inline void DecodeAsHost(const std::vector<char>& message) {
  const kestrel::Result result = kestrel::decode(message.data(), message.size());
  result.print();
  ReadThroughViews(result);
}

}  // namespace kestrel_fuzz

#endif  // KESTREL_FUZZ_FUZZFRAME_H
