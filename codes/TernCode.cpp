// Reading and writing compact security codes.
#include "codes/TernCode.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "codec/Writers.h"
#include "codes/CodeMemo.h"
#include "codes/CodeTables.h"

namespace {

// Longest text ReadAscii takes for a whole code (wire id 0) and for the
// number part of a code with a listed suffix (wire id 127).
constexpr int kTextCodeChars = 24;
constexpr int kNumberPartChars = 30;
// Padding widths a segment may ask for; other values pad to six digits.
constexpr int kMinDigits = 3;
constexpr int kMaxDigits = 8;
constexpr int kDefaultDigits = 6;

constexpr char kRawTextMarker = static_cast<char>(0x80);       // text form, suffix spelt out
constexpr char kListedSuffixMarker = static_cast<char>(0xFF);  // text form, suffix by index
constexpr char kGroupMaskChar = 0x7f;
constexpr char kStopBitChar = static_cast<char>(0x80);

// What follows the number of an open fund's net value code.
constexpr std::string_view kFundNetValueTail = "NV.OF";

// Placeholders for a text whose point is missing or at either end.
constexpr std::string_view kNoNumber = "YY";
constexpr std::string_view kNoSuffix = "XX";

// Copies text into dest, cut to destSize - 1 characters and terminated.
void CopyBounded(char* dest, size_t destSize, std::string_view text) {
  if (dest == nullptr || destSize == 0) return;
  const size_t n = std::min(text.size(), destSize - 1);
  if (n > 0) std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}
void CopyBounded(char* dest, size_t destSize, const char* text) {
  CopyBounded(dest, destSize, std::string_view(text));
}

// Appends text as stop-bit ASCII: bit 7 clear on every character but the
// last. An empty text is the single stop byte.
void WriteStopBitText(CCode& code, std::string_view text) {
  if (text.empty()) {
    code.SetContent(kStopBitChar);
    return;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    char c = static_cast<char>(text[i] & kGroupMaskChar);
    if (i + 1 == text.size()) c = static_cast<char>(c | kStopBitChar);
    code.SetContent(c);
  }
}

// The value of a text of decimal digits and nothing else; -1 when the text is
// not such a number or exceeds every segment's range.
int64_t ParseCodeNumber(std::string_view text) {
  constexpr int64_t kBeyondEverySegment = int64_t{1} << 40;
  if (text.empty()) return -1;
  int64_t n = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    n = std::min(n * 10 + (c - '0'), kBeyondEverySegment);
  }
  return n;
}

// A bounded text under construction: appends stop at the last byte, which
// stays the terminator.
class TextBuilder {
 public:
  TextBuilder(char* dest, size_t size) : dest_(dest), size_(size) {}
  void Append(std::string_view text) {
    const size_t room = size_ - 1 - used_;  // used_ < size_ always
    const size_t n = std::min(text.size(), room);
    if (n == 0) return;  // an empty text may have no characters at all
    std::memcpy(dest_ + used_, text.data(), n);
    used_ += n;
  }
  // The number as "%0*d" prints it: the sign, then the digits zero-padded so
  // that the whole takes at least `width` characters (width <= kMaxWidth).
  void AppendPadded(int32_t number, int width) {
    const bool negative = number < 0;
    uint32_t magnitude =
        negative ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
    // Written from the end of a local buffer backwards, then appended once.
    char text[kMaxWidth + kMaxDecimalDigits + 1];
    char* end = text + sizeof text;
    char* first = end;
    do {
      *--first = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    const int signWidth = negative ? 1 : 0;
    const int padTo = std::min(width, kMaxWidth);
    while (end - first + signWidth < padTo) *--first = '0';
    if (negative) *--first = '-';
    Append(std::string_view(first, static_cast<size_t>(end - first)));
  }
  void Finish() { dest_[used_] = '\0'; }
  std::string_view Text() const { return {dest_, used_}; }

 private:
  static constexpr int kMaxDecimalDigits = 10;  // of a 32-bit magnitude
  static constexpr int kMaxWidth = 16;          // beyond any padding asked for
  char* dest_;
  size_t size_;
  size_t used_ = 0;
};

// The text of a code built from a segment id and an offset.
void BuildCode(TextBuilder& out, uint32_t id, uint32_t offset) {
  if (id == kFundNetValueId) {
    out.AppendPadded(static_cast<int32_t>(offset), kDefaultDigits);
    out.Append(kFundNetValueTail);
  } else {
    // Unassigned ids and ids of 128 and above use the empty segment: the
    // offset padded to six digits and a point.
    const CodeSegment& segment = FindCodeSegment(id);
    const auto number = static_cast<int32_t>(static_cast<uint32_t>(segment.low) + offset);
    const int width = segment.digits >= kMinDigits && segment.digits <= kMaxDigits ? segment.digits
                                                                                   : kDefaultDigits;
    out.AppendPadded(number, width);
    out.Append(".");
    out.Append(segment.suffix);
  }
  out.Finish();
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

void ReadTernCode(CDecodeCode& code, char* dest, size_t destSize) {
  if (code.Remaining() < 2) {
    code.MarkExhausted();
    return;
  }
  // Room for the longest text any id produces: a 30-character number part,
  // the point and a suffix.
  char text[64];
  TextBuilder out(text, sizeof text);
  const uint32_t id = ReadUInt32(code);
  if (id == kTextCodeId) {
    ReadAscii(code, text, kTextCodeChars);
  } else if (id == kSuffixIndexedId) {
    // An index outside the suffix list names no suffix: the text ends at the point.
    const int suffixIndex = ReadGroups(code, 1);
    char number[kNumberPartChars + 1] = {};
    ReadAscii(code, number, kNumberPartChars);
    out.Append(number);
    out.Append(".");
    out.Append(MarketSuffix(suffixIndex));
    out.Finish();
  } else {
    // A code built from two numbers, found in the thread's memo once built.
    const uint32_t offset = ReadUInt32(code);
    kestrel::BuiltCode* built = kestrel::BuiltCodeOf(kestrel::BuiltCodeKey(id, offset));
    if (built != nullptr && built->Known()) {
      CopyBounded(dest, destSize, built->Text());
      return;
    }
    BuildCode(out, id, offset);
    if (built != nullptr) built->Set(out.Text());
  }
  CopyBounded(dest, destSize, text);
}

bool WriteTernCode(CCode& code, const char* text) {
  if (text == nullptr) return false;
  std::string number;
  std::string suffix;
  try {
    const std::string_view whole(text);
    const size_t point = whole.find('.');
    if (point == std::string_view::npos) {
      number = UpperCase(whole);
      suffix = kNoSuffix;
    } else if (point == 0 || point + 1 == whole.size()) {
      number = kNoNumber;
      suffix = kNoSuffix;
    } else {
      number = UpperCase(whole.substr(0, point));
      suffix = UpperCase(whole.substr(point + 1));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }

  const int64_t n = ParseCodeNumber(number);
  if (n >= 0) {
    // The lowest id wins where segments overlap.
    for (const CodeSegment& segment : CodeSegmentTable()) {
      if (suffix == segment.suffix && segment.low <= n && segment.high >= n) {
        WriteUInt32(code, static_cast<uint32_t>(segment.id));
        WriteUInt32(code, static_cast<uint32_t>(n - segment.low));
        return true;
      }
    }
  }

  const int listed = FindMarketSuffix(suffix);
  if (listed >= 0) {
    code.SetContent(kListedSuffixMarker);
    code.SetContent(static_cast<char>(listed));
    WriteStopBitText(code, number);
  } else {
    code.SetContent(kRawTextMarker);
    for (const char c : number) code.SetContent(static_cast<char>(c & kGroupMaskChar));
    code.SetContent('.');
    WriteStopBitText(code, suffix);
  }
  return true;
}
