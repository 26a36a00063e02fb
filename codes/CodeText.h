// Shared pieces of the rules that classify a TernCode and give it a price
// unit factor: splitting the text, reading its number, upper-casing without
// allocating, and ordered tables of number-range rules.
#ifndef KESTREL_CODES_CODETEXT_H
#define KESTREL_CODES_CODETEXT_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Codes and the parts the rules look for are a few characters long: they
// are compared and searched in line, which costs less than a library call.
constexpr bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}
constexpr size_t FindChar(std::string_view text, char c, size_t from = 0) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == c) return i;
  }
  return std::string_view::npos;
}

// A TernCode split at its first point: the code part before it and the
// suffix after it (absent when no character follows the point).
struct CodeText {
  std::string_view whole;
  size_t point = std::string_view::npos;  // index of the first point
  std::string_view codePart;
  std::optional<std::string_view> suffix;

  explicit CodeText(const char* text) : whole(text == nullptr ? "" : text) {
    for (size_t at = FindChar(whole, '.'); at != std::string_view::npos;
         at = FindChar(whole, '.', at + 1)) {
      if (pointCount < kPointsKept) points[pointCount] = at;
      ++pointCount;
    }
    if (pointCount == 0) return;
    point = points[0];
    codePart = whole.substr(0, point);
    if (point + 1 < whole.size()) suffix = whole.substr(point + 1);
  }
  bool HasPoint() const { return point != std::string_view::npos; }
  // Whether `part` occurs in the text. A part that holds a point can only
  // occur with that point on one of the text's, so only those places are
  // compared; other parts, and texts of many points, are searched in full.
  bool Contains(std::string_view part) const {
    const size_t anchor = FindChar(part, '.');
    if (anchor == std::string_view::npos || pointCount > kPointsKept) {
      return whole.find(part) != std::string_view::npos;
    }
    for (size_t k = 0; k < pointCount; ++k) {
      if (points[k] < anchor) continue;
      const size_t start = points[k] - anchor;
      if (whole.size() - start >= part.size() && SameText(whole.substr(start, part.size()), part)) {
        return true;
      }
    }
    return false;
  }
  bool ContainsAny(std::initializer_list<std::string_view> parts) const {
    for (const std::string_view part : parts) {
      if (Contains(part)) return true;
    }
    return false;
  }

 private:
  static constexpr size_t kPointsKept = 4;
  size_t points[kPointsKept] = {};
  size_t pointCount = 0;  // all the text's points, kept or not
};

// Predicates on a split code, shared by classification and price factors.
bool IsFundNVText(const CodeText& code);   // an open fund's net value code
bool IsIOPVText(const CodeText& code);     // a fund code quoting an indicative value
bool IsTWIndexText(const CodeText& code);  // a Taiwan index code

// The text read as an unsigned decimal number: digits 0-9 alone, at least
// one. Values beyond every range of the rules saturate.
inline std::optional<uint64_t> ParseNumber(std::string_view text) {
  constexpr uint64_t kSaturated = uint64_t{1} << 60;
  if (text.empty()) return std::nullopt;
  uint64_t n = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n >= kSaturated ? kSaturated : n * 10 + static_cast<uint64_t>(c - '0');
  }
  return n;
}

// An upper-cased copy of a text, on the stack for texts of the usual size.
class UpperCased {
 public:
  explicit UpperCased(std::string_view text) {
    char* out = small_;
    if (text.size() >= sizeof small_) {
      large_.resize(text.size());
      out = large_.data();
    }
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      out[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    view_ = std::string_view(out, text.size());
  }
  UpperCased(const UpperCased&) = delete;
  UpperCased& operator=(const UpperCased&) = delete;
  std::string_view View() const { return view_; }

 private:
  char small_[64];
  std::string large_;
  std::string_view view_;
};

// An inclusive range of numbers; the default range holds none.
struct NumberRange {
  uint64_t low = 1;
  uint64_t high = 0;
  constexpr bool Holds(uint64_t n) const { return low <= n && n <= high; }
};
inline constexpr NumberRange kAnyNumber{0, UINT64_MAX};

// One row of an ordered rule table: when the suffix matches (an empty
// `suffix` matches any) and the number lies in one of the ranges, the row's
// result decides.
template <typename Result>
struct RangeRule {
  std::string_view suffix;
  NumberRange ranges[6];
  Result result;

  constexpr bool Matches(std::optional<std::string_view> s, uint64_t n) const {
    if (!suffix.empty() && (!s || !SameText(*s, suffix))) return false;
    for (const NumberRange& range : ranges) {
      if (range.Holds(n)) return true;
      if (range.low > range.high) break;  // rows list their ranges first: the rest are empty
    }
    return false;
  }
};

// The result of the first row that matches, or `otherwise`.
template <typename Result, size_t N>
constexpr Result FirstMatch(const RangeRule<Result> (&rules)[N], std::optional<std::string_view> s,
                            uint64_t n, Result otherwise) {
  for (const RangeRule<Result>& rule : rules) {
    if (rule.Matches(s, n)) return rule.result;
  }
  return otherwise;
}

// The value paired with key in a table of {key, value} rows, or null.
template <typename Row, size_t N>
constexpr const Row* FindRow(const Row (&rows)[N], std::string_view key) {
  for (const Row& row : rows) {
    if (SameText(row.key, key)) return &row;
  }
  return nullptr;
}

// True when the upper-cased code contains `metal` ("AU", "AG", "PT").
bool NamesMetal(const char* code, const char* metal);

// The client type of the most recent login reply (0 before any); bond codes
// keep their real form for client type 80.
int64_t LoginClientType();
void SetLoginClientType(int64_t clientType);

}  // namespace kestrel

#endif  // KESTREL_CODES_CODETEXT_H
