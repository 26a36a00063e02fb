// The C++ face of KestrelUtils: the owned result of one decoded message,
// and decoding a message held in memory.
//
//   kestrel::Result result = kestrel::decode(bytes, size);
//   if (auto* data = result.as<CKestrelData>()) { ... read it ... }
//   // freed by ClearDecodeMessage of the reported type when result dies
#ifndef KESTREL_RESULT_HPP
#define KESTREL_RESULT_HPP

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "KestrelCode.h"
#include "KestrelTypes.hpp"

namespace kestrel {

// Owns one result of CKestrelCode::DecodeOneMessage together with the type
// that it reported, and frees it with ClearDecodeMessage of that type when it
// is destroyed, reset or assigned over. Move-only: a result has one owner.
//
// A result may hold a type and no record: heartbeats, types that the library
// does not decode, and messages it could not decode.
class Result {
 public:
  Result() noexcept = default;
  // Adopts `record` as DecodeOneMessage returned it with `type`.
  Result(char* record, int type) noexcept : record_(record), type_(type) {}
  ~Result() { reset(); }

  Result(Result&& other) noexcept : record_(other.record_), type_(other.type_) {
    other.record_ = nullptr;
    other.type_ = static_cast<int>(MessageType::None);
  }
  Result& operator=(Result&& other) noexcept {
    if (this != &other) {
      reset();
      std::swap(record_, other.record_);
      std::swap(type_, other.type_);
    }
    return *this;
  }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;

  // The reported type (the inner type for a compressed envelope); None when
  // no message was read.
  MessageType type() const noexcept { return static_cast<MessageType>(type_); }
  int typeNumber() const noexcept { return type_; }
  // The kind of record held; None when there is none.
  ResultKind kind() const noexcept {
    return record_ == nullptr ? ResultKind::None : kindOf(type());
  }
  bool HasRecord() const noexcept { return record_ != nullptr; }
  explicit operator bool() const noexcept { return record_ != nullptr; }

  // The record as `Record` when the reported type yields that record, else
  // null. Records: CKestrelData, CTop8Info, CWatchList, CSectorQuotesOrder,
  // CPagedRankList, CLoginInfo, KestrelInfoReceive, and char for raw data
  // (the payload and one terminating zero).
  template <class Record>
  Record* as() const noexcept {
    static_assert(!std::is_const_v<Record>, "ask for the record type itself");
    if (record_ == nullptr || kindOf(type()) != RecordKind<Record>::value) return nullptr;
    return reinterpret_cast<Record*>(record_);
  }
  template <class Record>
  bool is() const noexcept {
    return as<Record>() != nullptr;
  }

  // The record as DecodeOneMessage returned it, still owned by this result.
  char* get() const noexcept { return record_; }
  // Hands the record to the caller, who frees it with
  // CKestrelCode::ClearDecodeMessage(record, typeNumber() as it was).
  char* release() noexcept {
    char* record = record_;
    record_ = nullptr;
    return record;
  }
  // Frees the record; the type stays.
  void reset() noexcept {
    if (record_ != nullptr) CKestrelCode::ClearDecodeMessage(release(), type_);
  }
  // The records' diagnostic hook (PrintDecodeMessage); writes nothing today.
  void print() const { CKestrelCode::PrintDecodeMessage(record_, type_); }

 private:
  char* record_ = nullptr;
  int type_ = static_cast<int>(MessageType::None);
};

// Length of the whole message (prefix, type and body) that starts at `data`
// when its length prefix is whole and `size` bytes hold all of it; 0 when
// they do not. A prefix takes at most five bytes, the last with bit 7 set.
inline std::size_t wholeMessageSize(const char* data, std::size_t size) noexcept {
  constexpr std::size_t kMaxPrefixBytes = 5;
  constexpr unsigned kStopBit = 0x80;
  constexpr unsigned kGroupBits = 7;
  std::uint64_t length = 0;
  for (std::size_t i = 0; i < kMaxPrefixBytes && i < size; ++i) {
    const auto byte = static_cast<unsigned char>(data[i]);
    length = (length << kGroupBits) | (byte & ~kStopBit);
    if ((byte & kStopBit) != 0) {
      const std::uint64_t whole = i + 1 + length;
      return whole <= size ? static_cast<std::size_t>(whole) : 0;
    }
  }
  return 0;
}

// Decodes the one message at the start of `data`: the result, or a Result of
// type None when the `size` bytes do not hold a whole message. Bytes behind
// the message are not read. The bytes stay the caller's.
inline Result decode(const char* data, std::size_t size) {
  if (data == nullptr || wholeMessageSize(data, size) == 0) return Result();
  int type = static_cast<int>(MessageType::None);
  // DecodeOneMessage reads the message without changing it.
  char* record = CKestrelCode::DecodeOneMessage(const_cast<char*>(data), &type);
  return Result(record, type);
}
inline Result decode(const unsigned char* data, std::size_t size) {
  return decode(reinterpret_cast<const char*>(data), size);
}

}  // namespace kestrel

#endif  // KESTREL_RESULT_HPP
