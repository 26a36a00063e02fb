// Reading requests back: what a client sent, field by field, with the
// layouts the encoders write from (RequestLayouts.h).
//
// A request on the wire is a stop-bit length (of type and body), the type,
// the body and one check byte. Every byte is untrusted: counts never make
// the reader allocate beyond what the remaining bytes could hold.
#ifndef KESTREL_ENCODE_REQUESTREADER_H
#define KESTREL_ENCODE_REQUESTREADER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "encode/RequestLayouts.h"

namespace kestrel::requests {

// One item of a subscription list: a code and its indicator ids.
struct ReadItem {
  std::string code;
  std::vector<int64_t> ids;
};

// One field as read.
struct ReadValue {
  Field field;
  bool present = true;             // false for a kOptional field the body left out
  int64_t number = 0;              // kUnsigned, kSigned, kOptional
  std::string text;                // kText, kCode; kRest: the bytes
  std::vector<int64_t> numbers;    // kNumberList; kMaskedList: the ids of the masks
  std::vector<std::string> codes;  // kCodeList
  std::vector<ReadItem> items;     // kItems, kWatchList, kMaskedList
  bool emptyMarker = false;        // kWatchList, kMaskedList: the empty-list marker
  const char* Name() const { return InfoOf(field).name; }
};

struct ReadRequest {
  unsigned type = 0;
  const Form* form = nullptr;  // null for a type no client sends
  int scopeColumn = 0;         // ranking forms: the body read (0, 1 or 2)
  uint8_t check = 0;           // the check byte sent
  uint8_t expectedCheck = 0;   // the check byte of the type and body bytes
  bool complete = false;       // every field lay inside the body
  size_t trailing = 0;         // body bytes after the last field
  std::vector<ReadValue> fields;
};

enum class RequestCut {
  kWhole,      // `*size` bytes hold one whole request
  kNeedMore,   // the request is not whole yet
  kBadLength,  // a length prefix of five bytes without a stop bit, or over maxLength
};

// Length prefixes take at most five bytes.
inline constexpr size_t kMaxRequestPrefix = 5;

// How many bytes the request at the front of `bytes` takes (prefix, type,
// body and check byte).
RequestCut CutRequest(const uint8_t* bytes, size_t available, uint64_t maxLength, size_t* size);

// Reads one whole request as CutRequest measured it. Code tables must be
// set up (CKestrelCode::StartUp) before codes can be read.
ReadRequest ReadOneRequest(const uint8_t* bytes, size_t size);

}  // namespace kestrel::requests

#endif  // KESTREL_ENCODE_REQUESTREADER_H
