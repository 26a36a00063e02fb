// The two sinks of the security walker (decode/realtime/SecurityWalk.h):
// QuoteRecordSink builds the result records that DecodeOneMessage returns;
// VisitSink hands every event to a host's visitor table and keeps nothing.
#ifndef KESTREL_DECODE_REALTIME_QUOTESINKS_H
#define KESTREL_DECODE_REALTIME_QUOTESINKS_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "IndexToValue.h"
#include "KestrelData.h"
#include "KestrelVisit.hpp"
#include "decode/realtime/SecurityBlocks.h"
#include "model/OwnedArray.h"
#include "model/StoreValue.h"
#include "model/ValueTypes.h"

namespace kestrel {

// The working buffers of a masked message (its id list, one block's mask
// and the ids it selects), kept by the thread so that a message allocates
// them only when it needs more than any before.
class MaskedWorkspace {
 public:
  MaskedIds Size(int idCount) {
    const auto n = static_cast<size_t>(idCount);
    if (ids_.size() < n) {
      ids_.resize(n);
      selected_.resize(n);
      mask_.resize(n / kBitsPerByte + 1);
    }
    return MaskedIds{ids_.data(), idCount, mask_.data(),
                     (idCount + kBitsPerByte - 1) / kBitsPerByte, selected_.data()};
  }
  // The buffers of the calling thread.
  static MaskedWorkspace& OfThread() {
    thread_local MaskedWorkspace workspace;
    return workspace;
  }

 private:
  static constexpr int kBitsPerByte = 8;
  std::vector<int> ids_;
  std::vector<int> selected_;
  std::vector<char> mask_;
};

// Builds the records of a message in `result`: a quote per security, the
// list records and queues appended once the walk ends (when the sink dies).
class QuoteRecordSink {
 public:
  explicit QuoteRecordSink(CKestrelData* result) : result_(result) {}
  ~QuoteRecordSink() { pending_.AddTo(result_); }
  QuoteRecordSink(const QuoteRecordSink&) = delete;
  QuoteRecordSink& operator=(const QuoteRecordSink&) = delete;

  void Error(int code) { result_->SetError(code); }
  MaskedIds MaskBuffers(int idCount) { return MaskedWorkspace::OfThread().Size(idCount); }

  bool BeginList(int blocks) {
    result_->SetQuoteDataNum(blocks);
    result_->SetQuoteData();
    quotes_ = result_->GetKestrelQuoteData();
    return quotes_ != nullptr;
  }
  // Sizes the quote's columns for the entries; 0 when there is no room.
  int BeginSecurity(int s, SecurityBlock& block, int entries) {
    CKestrelQuoteData& quote = quotes_[s];
    // The block's code field is the record's, terminated and zero beyond its
    // text as a new record's is: one copy of the whole field instead of a
    // copy up to the terminator.
    static_assert(sizeof block.code == kKestrelTernCodeSize);
    std::memcpy(quote.GetTernCode(), block.code, sizeof block.code);
    values_ = quote.GetIndexToValue();
    if (entries >= 1) {
      values_->SetNum(entries);
      values_->SetDatas();
      values_->SetOneIndexValueNumWithValue(1);
    }
    ids_ = values_->GetIndexId();
    types_ = values_->GetValueType();
    cells_ = values_->GetIndexValue();
    return cells_ == nullptr || ids_ == nullptr || types_ == nullptr ? 0 : values_->GetNum();
  }
  void Cell(int j, int id, int type, const CIndexValue& cell) {
    ids_[j] = id;
    types_[j] = type;
    cells_[j] = cell;
  }
  // Where a stretch of entries from j on is written: straight into the
  // quote's columns, as many as the block has.
  struct Writer {
    int* ids;
    int* types;
    CIndexValue* cells;
    int room;
    void Put(int id, int type, uint64_t bits) {
      *ids++ = id;
      *types++ = type;
      std::memcpy(cells++, &bits, sizeof bits);
    }
  };
  // Entries are written straight into the result: none may be written
  // ahead of the walk (see PlainStretch's lanes).
  static constexpr bool kLanes = false;
  Writer Entries(int j) {
    return {ids_ + j, types_ + j, cells_ + j, std::numeric_limits<int>::max()};
  }
  void Wrote(int) {}
  void Text(int j, int id, std::string_view text) {
    ids_[j] = id;
    types_[j] = kValueText;
    cells_[j].pcValue = TryNewText<ResultArrays>(text);
  }
  // Market events replace the result's list.
  CKestrelData* EventTarget() { return result_; }
  void EventsRead() {}
  // An extra entry after the entries: the quote's columns grow by one.
  void Extra(int id, int type, const CIndexValue& cell) {
    const int at = values_->GetNum();
    values_->AddLength(1);
    if (values_->GetNum() != at + 1) return;  // no room could be made
    values_->GetIndexId()[at] = id;
    values_->GetValueType()[at] = type;
    values_->GetOneIndexValueNum()[at] = 1;
    values_->GetIndexValue()[at] = cell;
  }
  void Series(CKestrelHisData& series) { pending_.series.push_back(&series); }
  void Queue(CKestrelL2OrderQueue& queue) { pending_.queues.push_back(&queue); }
  // The block's list records live until the result has its copies.
  void EndSecurity(SecurityBlock& block) {
    if (block.lists) pending_.lists.push_back(std::move(block.lists));
  }

 private:
  CKestrelData* result_;
  CKestrelQuoteData* quotes_ = nullptr;
  CIndexToValue* values_ = nullptr;
  int* ids_ = nullptr;
  int* types_ = nullptr;
  CIndexValue* cells_ = nullptr;
  PendingRecords pending_;
};

// Hands every value to the host's table; a null function is skipped. The
// entries of a security gather in a batch that goes to the host in one call
// when it is full and before anything else is handed over, so the host sees
// every event in the order of the message.
class VisitSink {
 public:
  VisitSink(const KestrelQuoteVisitor& visitor, void* context)
      : visitor_(visitor), context_(context), spare_(SpareLists()) {
    for (KestrelVisitEntry& entry : batch_) entry = kNumberEntry;
  }
  VisitSink(const VisitSink&) = delete;
  VisitSink& operator=(const VisitSink&) = delete;

  void Message(int type) {
    if (visitor_.message != nullptr) visitor_.message(context_, type);
  }
  void Error(int code) {
    Flush();
    if (visitor_.error != nullptr) visitor_.error(context_, code);
  }
  MaskedIds MaskBuffers(int idCount) { return MaskedWorkspace::OfThread().Size(idCount); }

  bool BeginList(int) { return true; }
  int BeginSecurity(int, SecurityBlock& block, int entries) {
    Flush();
    block.spare = &spare_;
    entries = std::max(entries, 0);
    if (visitor_.security != nullptr) {
      const KestrelVisitSecurity security{block.code, block.type, block.factor, entries};
      visitor_.security(context_, &security);
    }
    return entries;
  }
  void Cell(int, int id, int type, const CIndexValue& cell) { Extra(id, type, cell); }
  // Where a stretch of entries is written: the rest of the batch, which is
  // handed over first when full. Only id, type and value are written, as
  // Extra does.
  struct Writer {
    KestrelVisitEntry* at;
    int room;
    void Put(int id, int type, uint64_t bits) {
      at->id = id;
      at->type = type;
      std::memcpy(&at->value, &bits, sizeof bits);
      ++at;
    }
    // The writer k entries further on.
    Writer Advanced(int k) const { return {at + k, room - k}; }
    // The entries written since `from`.
    int Written(const Writer& from) const { return static_cast<int>(at - from.at); }
  };
  // Only the entries counted by Wrote reach the host, so entries may be
  // written ahead of the walk and dropped (see PlainStretch's lanes).
  static constexpr bool kLanes = true;
  Writer Entries(int) {
    if (batched_ == kBatchEntries) Flush();
    return {batch_ + batched_, kBatchEntries - batched_};
  }
  void Wrote(int entries) { batched_ += entries; }
  void Text(int, int id, std::string_view text) {
    hasText_ = true;
    Next() = KestrelVisitEntry{id, kValueText, 1, {}, text.data(), static_cast<int>(text.size())};
  }
  // Market events are read into a list of the sink's own and handed over
  // when there are any (an empty list leaves the host's as it was).
  CKestrelData* EventTarget() {
    events_.Clear();
    return &events_;
  }
  void EventsRead() {
    if (visitor_.marketEvents == nullptr || events_.GetMarketEventList() == nullptr) return;
    Flush();
    visitor_.marketEvents(context_, events_.GetMarketEventList(), events_.GetMarketEventListLen());
  }
  // Entries gather whether or not the host takes them: one test per
  // batch, in Flush, instead of one per entry.
  void Extra(int id, int type, const CIndexValue& cell) {
    KestrelVisitEntry& entry = Next();
    entry.id = id;
    entry.type = type;
    entry.value = cell;
  }
  void Series(CKestrelHisData& series) {
    if (visitor_.series == nullptr) return;
    Flush();
    CIndexToValue* columns = series.GetIndexToValue();
    const bool whole = columns->GetIndexId() != nullptr && columns->GetValueType() != nullptr &&
                       columns->GetOneIndexValueNum() != nullptr &&
                       columns->GetIndexValue() != nullptr;
    const KestrelVisitSeries view{series.GetTernCode(),
                                  series.GetSecurityType(),
                                  series.GetIndIndex(),
                                  static_cast<int>(series.GetPeriodType()),
                                  static_cast<int>(series.GetHisType()),
                                  whole ? columns->GetNum() : 0,
                                  columns->GetIndexId(),
                                  columns->GetValueType(),
                                  columns->GetOneIndexValueNum(),
                                  columns->GetIndexValue()};
    visitor_.series(context_, &view);
  }
  void Queue(CKestrelL2OrderQueue& queue) {
    if (visitor_.orderQueue == nullptr) return;
    Flush();
    visitor_.orderQueue(context_, &queue);
  }
  // The block's lists are emptied and kept for the next block that needs
  // lists, on this thread.
  void EndSecurity(SecurityBlock& block) {
    Flush();
    if (visitor_.endSecurity != nullptr) visitor_.endSecurity(context_);
    if (!block.lists) return;
    BlockLists fresh;
    *block.lists = fresh;
    spare_ = std::move(block.lists);
  }
  // Hands the gathered entries to the host.
  void Flush() {
    if (batched_ == 0) return;
    const int count = batched_;
    batched_ = 0;
    if (visitor_.entries != nullptr) visitor_.entries(context_, batch_, count);
    if (hasText_) {
      // A number's entry writes only its id, type and value: the others
      // stay as every entry but a text's has them.
      hasText_ = false;
      for (KestrelVisitEntry& entry : batch_) entry = kNumberEntry;
    }
  }

 private:
  // Entries gathered before a call: enough that the call's cost is spread
  // thin, few enough to stay in the first-level cache.
  static constexpr int kBatchEntries = 64;

  KestrelVisitEntry& Next() {
    if (__builtin_expect(batched_ == kBatchEntries, 0)) Flush();
    return batch_[batched_++];
  }
  static std::unique_ptr<BlockLists>& SpareLists() {
    thread_local std::unique_ptr<BlockLists> spare;
    return spare;
  }

  const KestrelQuoteVisitor& visitor_;
  void* context_;
  std::unique_ptr<BlockLists>& spare_;  // the thread's, found once per message
  CKestrelData events_;
  static constexpr KestrelVisitEntry kNumberEntry{0, 0, 1, {}, nullptr, 0};
  KestrelVisitEntry batch_[kBatchEntries];
  int batched_ = 0;
  bool hasText_ = false;  // a text's entry is in the batch
};

}  // namespace kestrel

#endif  // KESTREL_DECODE_REALTIME_QUOTESINKS_H
