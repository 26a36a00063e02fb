// The C++ face of KestrelUtils: owned requests and subscription lists.
//
//   kestrel::SubscriptionList list;
//   list.add("600000.SH", {2, 3, 8}).add("IF2406.CFE", {2, 3});
//   kestrel::Request commit = kestrel::encodeCommit(list);
//   send(socket, commit.data(), commit.size(), 0);
#ifndef KESTREL_REQUESTS_HPP
#define KESTREL_REQUESTS_HPP

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Code.h"
#include "KestrelCode.h"
#include "KestrelInfo.h"
#include "KestrelSizes.h"
#include "ServiceRecords.h"

namespace kestrel {

// Owns one request that an Encode... operation returned, and deletes it.
// Empty when the operation refused its arguments.
class Request {
 public:
  Request() noexcept = default;
  explicit Request(CCode* code) noexcept : code_(code) {}

  explicit operator bool() const noexcept { return code_ != nullptr; }
  // The bytes to send: prefix, type, body and check byte.
  const char* data() const noexcept { return code_ ? code_->GetContent() : nullptr; }
  std::size_t size() const noexcept {
    return code_ ? static_cast<std::size_t>(code_->GetLength()) : 0;
  }
  std::string_view bytes() const noexcept { return std::string_view(data(), size()); }
  CCode* get() const noexcept { return code_.get(); }
  // Hands the request to the caller, who deletes it.
  CCode* release() noexcept { return code_.release(); }

 private:
  std::unique_ptr<CCode> code_;
};

// The WatchListItem array that the subscription encoders read, built from a
// SubscriptionList. Each item owns its id array, as the record requires;
// destroying the array frees both. Move-only.
class WatchListArray {
 public:
  WatchListArray() = default;
  explicit WatchListArray(int count)
      : items_(count > 0 ? new WatchListItem[static_cast<std::size_t>(count)]() : nullptr),
        count_(count > 0 ? count : 0) {}

  // Null when the list is empty, so that the encoders send the empty-list
  // marker.
  WatchListItem* data() const noexcept { return items_.get(); }
  int size() const noexcept { return count_; }
  WatchListItem* begin() const noexcept { return items_.get(); }
  WatchListItem* end() const noexcept { return items_.get() + count_; }

 private:
  std::unique_ptr<WatchListItem[]> items_;
  int count_ = 0;
};

// A subscription list held in standard containers: codes with the indicator
// ids wanted for each, in the order added. Copy it, keep it in containers,
// change it; build() makes the record array that the encoders read.
class SubscriptionList {
 public:
  struct Item {
    std::string code;                // at most 29 characters go on the wire
    std::vector<std::uint16_t> ids;  // in the order they are sent
  };

  SubscriptionList() = default;
  SubscriptionList(std::initializer_list<Item> items) : items_(items) {}

  // Appends a code and its ids. A code is cut to the 29 characters that the
  // record's code field holds.
  SubscriptionList& add(std::string_view code, std::vector<std::uint16_t> ids) {
    constexpr std::size_t kMaxCode = kKestrelTernCodeSize - 1;
    items_.push_back(Item{std::string(code.substr(0, kMaxCode)), std::move(ids)});
    return *this;
  }
  const std::vector<Item>& items() const noexcept { return items_; }
  std::size_t size() const noexcept { return items_.size(); }
  bool empty() const noexcept { return items_.empty(); }
  void clear() noexcept { items_.clear(); }

  // A fresh record array of the items: every item value-initialised, its
  // code copied, its ids in an array of its own. The masked encoders sort
  // the ids of the array they get; the list itself keeps its order. Items
  // beyond INT_MAX, or ids beyond INT_MAX per item, are not taken (the
  // records count in int).
  WatchListArray build() const {
    const int count = static_cast<int>(std::min<std::size_t>(items_.size(), INT_MAX));
    WatchListArray array(count);
    for (int i = 0; i < count; ++i) {
      const Item& from = items_[static_cast<std::size_t>(i)];
      WatchListItem& to = array.data()[i];
      from.code.copy(to.TernCode, sizeof to.TernCode - 1);
      const int ids = static_cast<int>(std::min<std::size_t>(from.ids.size(), INT_MAX));
      if (ids > 0) {
        to.IndIndex = new std::uint16_t[static_cast<std::size_t>(ids)];
        std::copy_n(from.ids.begin(), ids, to.IndIndex);
      }
      to.IndIndexNum = ids;
    }
    return array;
  }

 private:
  std::vector<Item> items_;
};

// Subscription requests from lists. The two-list requests send `second`
// first; an empty list goes out as the empty-list marker, and two empty lists
// make no request. Which list subscribes and which unsubscribes is the
// server's business.
namespace detail {
using TwoListEncoder = CCode* (*)(const WatchListItem*, int, const WatchListItem*, int);
inline Request encodeTwoLists(TwoListEncoder encode, const SubscriptionList& first,
                              const SubscriptionList& second) {
  const WatchListArray a = first.build();
  const WatchListArray b = second.build();
  return Request(encode(a.data(), a.size(), b.data(), b.size()));
}
}  // namespace detail

inline Request encodeCommit(const SubscriptionList& first,
                            const SubscriptionList& second = SubscriptionList()) {
  return detail::encodeTwoLists(CKestrelCode::EncodeCommitRequest, first, second);
}
inline Request encodeMaskedCommit(const SubscriptionList& first,
                                  const SubscriptionList& second = SubscriptionList()) {
  return detail::encodeTwoLists(CKestrelCode::EncodeMaskedCommitRequest, first, second);
}
inline Request encodeMaskedVerify(const SubscriptionList& first,
                                  const SubscriptionList& second = SubscriptionList()) {
  return detail::encodeTwoLists(CKestrelCode::EncodeMaskedVerifyRequest, first, second);
}
inline Request encodePeek(const SubscriptionList& list) {
  const WatchListArray a = list.build();
  return Request(CKestrelCode::EncodePeekRequest(a.data(), a.size()));
}

// The service requests.
inline Request encodeLogin(int first, int second, std::vector<int> list, const std::string& text) {
  const int count = static_cast<int>(std::min<std::size_t>(list.size(), INT_MAX));
  // The encoder wants a non-null list even when it is empty.
  int none = 0;
  return Request(CKestrelCode::EncodeLoginRequest(first, second, list.empty() ? &none : list.data(),
                                                  count, text.c_str()));
}
inline Request encodeServerSubInfo() { return Request(CKestrelCode::EncodeServerSubInfoRequest()); }
inline Request encodeStatusTest(KestrelInfoSend info) {
  return Request(CKestrelCode::EncodeKestrelTest(&info));
}
inline Request encodeRawData(std::string_view bytes) {
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return Request();
  std::string copy(bytes);  // the encoder takes a mutable pointer
  return Request(CKestrelCode::EncodeRawDataRequest(copy.data(), static_cast<int>(copy.size())));
}

}  // namespace kestrel

#endif  // KESTREL_REQUESTS_HPP
