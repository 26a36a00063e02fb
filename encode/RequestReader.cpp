// Reading requests field by field with the encoders' layouts.
#include "encode/RequestReader.h"

#include <algorithm>

#include "codec/DecodeCode.h"
#include "codes/TernCode.h"

namespace kestrel::requests {

namespace {

constexpr uint8_t kStopBit = 0x80;
constexpr uint8_t kGroupBits = 0x7f;
constexpr int kGroupWidth = 7;
constexpr int kBitsPerMaskByte = 8;
// Fields of the empty-list marker after its zero count.
constexpr int kMarkerTail = 2;
// The fields every ranking body starts with: id, one, range.
constexpr size_t kRankingHead = 3;

// Reads `count` elements of a list with `each`, while another element could
// still be in the body (each takes at least one byte); a list that announces
// more elements than the body holds marks the cursor exhausted.
template <typename Each>
void ForEachElement(CDecodeCode& cursor, uint32_t count, Each each) {
  for (uint32_t i = 0; i < count; ++i) {
    if (cursor.Exhausted() || cursor.Remaining() == 0) {
      cursor.MarkExhausted();
      return;
    }
    each();
  }
}

std::string ReadCode(CDecodeCode& cursor) {
  char text[kTernCodeSize] = {};
  ReadTernCode(cursor, text);
  return text;
}

// An item list: a count, then per item its code, an id count and the ids.
void ReadItems(CDecodeCode& cursor, uint32_t count, ReadValue& value) {
  ForEachElement(cursor, count, [&] {
    ReadItem item;
    item.code = ReadCode(cursor);
    ForEachElement(cursor, ReadUInt32(cursor), [&] { item.ids.push_back(ReadUInt32(cursor)); });
    value.items.push_back(std::move(item));
  });
}

void ReadMasked(CDecodeCode& cursor, ReadValue& value) {
  const uint32_t distinct = ReadUInt32(cursor);
  if (distinct == 0) {
    value.emptyMarker = true;
    for (int i = 0; i < kMarkerTail; ++i) ReadUInt32(cursor);
    return;
  }
  ForEachElement(cursor, distinct, [&] { value.numbers.push_back(ReadUInt32(cursor)); });
  ForEachElement(cursor, ReadUInt32(cursor), [&] {
    value.items.push_back({ReadCode(cursor), {}});
  });
  const uint32_t maskSize = ReadUInt32(cursor);
  for (ReadItem& item : value.items) {
    const char* mask = cursor.Take(static_cast<int>(std::min<uint32_t>(maskSize, INT32_MAX)));
    if (mask == nullptr) {
      if (maskSize > 0) cursor.MarkExhausted();
      continue;
    }
    for (size_t bit = 0; bit < value.numbers.size() && bit / kBitsPerMaskByte < maskSize; ++bit) {
      const auto byte = static_cast<uint8_t>(mask[bit / kBitsPerMaskByte]);
      if (byte & (kStopBit >> (bit % kBitsPerMaskByte))) item.ids.push_back(value.numbers[bit]);
    }
  }
}

ReadValue ReadField(CDecodeCode& cursor, Field field) {
  ReadValue value;
  value.field = field;
  switch (InfoOf(field).wire) {
    case Wire::kUnsigned:
      value.number = ReadUInt32(cursor);
      break;
    case Wire::kOptional:
      value.present = cursor.Remaining() > 0;
      if (value.present) value.number = ReadUInt32(cursor);
      break;
    case Wire::kSigned:
      value.number = ReadInt64(cursor);
      break;
    case Wire::kText:
      value.text = ReadSizedText(cursor);
      break;
    case Wire::kCode:
      value.text = ReadCode(cursor);
      break;
    case Wire::kNumberList:
      ForEachElement(cursor, ReadUInt32(cursor),
                     [&] { value.numbers.push_back(ReadUInt32(cursor)); });
      break;
    case Wire::kCodeList:
      ForEachElement(cursor, ReadUInt32(cursor), [&] { value.codes.push_back(ReadCode(cursor)); });
      break;
    case Wire::kItems:
      ReadItems(cursor, ReadUInt32(cursor), value);
      break;
    case Wire::kWatchList: {
      const uint32_t count = ReadUInt32(cursor);
      if (count == 0) {
        value.emptyMarker = true;
        for (int i = 0; i < kMarkerTail; ++i) ReadUInt32(cursor);
      } else {
        ReadItems(cursor, count, value);
      }
      break;
    }
    case Wire::kMaskedList:
      ReadMasked(cursor, value);
      break;
    case Wire::kRest: {
      const int n = cursor.Remaining();
      if (const char* bytes = cursor.Take(n)) value.text.assign(bytes, static_cast<size_t>(n));
      break;
    }
  }
  return value;
}

void ReadFields(CDecodeCode& cursor, const Layout& layout, size_t from, ReadRequest& request) {
  for (size_t i = from; i < layout.size; ++i)
    request.fields.push_back(ReadField(cursor, layout.fields[i]));
}

// The scope column whose range selectors hold `range`; ranges that no
// selector sends are read with the body of any other scope.
int ScopeColumnOfRange(int64_t range) {
  for (const auto& row : kRangeSelectors) {
    for (int column = 0; column < kScopeColumns; ++column) {
      if (row[column] == range) return column;
    }
  }
  return kScopeColumns - 1;
}

}  // namespace

RequestCut CutRequest(const uint8_t* bytes, size_t available, uint64_t maxLength, size_t* size) {
  uint64_t length = 0;
  size_t prefix = 0;
  for (;;) {
    if (prefix == available) return RequestCut::kNeedMore;
    const uint8_t byte = bytes[prefix++];
    length = length << kGroupWidth | (byte & kGroupBits);
    if (byte & kStopBit) break;
    if (prefix == kMaxRequestPrefix) return RequestCut::kBadLength;
  }
  if (length > maxLength) return RequestCut::kBadLength;
  const uint64_t whole = prefix + length + 1;  // and the check byte
  if (available < whole) return RequestCut::kNeedMore;
  *size = static_cast<size_t>(whole);
  return RequestCut::kWhole;
}

ReadRequest ReadOneRequest(const uint8_t* bytes, size_t size) {
  ReadRequest request;
  if (size < 2) return request;
  size_t prefix = 0;
  while (prefix < size - 1 && prefix < kMaxRequestPrefix && (bytes[prefix] & kStopBit) == 0)
    ++prefix;
  ++prefix;
  const size_t end = size - 1;  // the check byte follows the body
  if (prefix > end) return request;
  request.check = bytes[end];
  uint8_t sum = 0;
  for (size_t i = prefix; i < end; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  request.expectedCheck = static_cast<uint8_t>(sum | kStopBit);

  CDecodeCode cursor(reinterpret_cast<const char*>(bytes));
  cursor.Frame(static_cast<int>(prefix), static_cast<int>(end));
  request.type = ReadUInt32(cursor);
  request.form = FindForm(request.type);
  if (request.form != nullptr) {
    const Form& form = *request.form;
    if (form.byScope) {
      ReadFields(cursor, Layout(form.bodies[0].fields, kRankingHead), 0, request);
      // The range selector tells the scope, and so the rest of the body. The
      // encoders send a range for selectors 0 to 4 only; a request of another
      // selector has none, and its first text's length is read as the range.
      request.scopeColumn = ScopeColumnOfRange(request.fields.back().number);
      ReadFields(cursor, form.bodies[request.scopeColumn], kRankingHead, request);
    } else {
      ReadFields(cursor, form.bodies[0], 0, request);
    }
  }
  request.complete = !cursor.Exhausted();
  request.trailing = static_cast<size_t>(cursor.Remaining());
  return request;
}

}  // namespace kestrel::requests
