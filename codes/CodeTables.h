// The two tables that give security codes their compact wire form.
//
// A code such as 600036.SH travels as a segment id and an offset into that
// segment's number range (id 60, offset 36). Codes outside every segment
// travel as text, with the market suffix either named by its index in the
// market suffix list or spelt out.
#ifndef KESTREL_CODES_CODETABLES_H
#define KESTREL_CODES_CODETABLES_H

#include <array>
#include <cstdint>
#include <string_view>

struct CodeSegment {
  int id;          // segment id on the wire; equals the index in the table
  int32_t low;     // first number of the range
  int32_t high;    // last number of the range (inclusive)
  int digits;      // width the number is zero-padded to when read back
  char suffix[5];  // market suffix, at most 4 characters
};

inline constexpr int kCodeSegmentCount = 128;
inline constexpr int kMarketSuffixCount = 29;

// Wire ids that are not table lookups.
inline constexpr uint32_t kTextCodeId = 0;         // the code as stop-bit text
inline constexpr uint32_t kFundNetValueId = 123;   // open-fund net value code
inline constexpr uint32_t kSuffixIndexedId = 127;  // text with a listed suffix

// The segment of id, or the empty segment for ids that name nothing
// (unassigned ids and ids of 128 and above).
const CodeSegment& FindCodeSegment(uint32_t id);
// The whole table, indexed by id.
const std::array<CodeSegment, kCodeSegmentCount>& CodeSegmentTable();

// The market suffix at index, or an empty text for an index outside the list.
std::string_view MarketSuffix(int index);
// The index of suffix in the market suffix list, or -1.
int FindMarketSuffix(std::string_view suffix);

#endif  // KESTREL_CODES_CODETABLES_H
