// The code segment table and the market suffix list, as constant data.
//
// The tables are built by the compiler, so they need no start-up work and are
// safe to read from any thread.
#include "codes/CodeTables.h"

namespace {

// One row of the segment table as the protocol lists it. A row with
// count > 1 stands for `count` consecutive ids: id + k covers
// low + step*k .. high + step*k, for k = 0 .. count-1.
struct SegmentRow {
  int id;
  int32_t low;
  int32_t high;
  int digits;
  const char* suffix;
  int count;
  int32_t step;
};

constexpr SegmentRow kSegmentRows[] = {
    // id  low      high     digits suffix count step
    {2, 2000, 2999, 6, "SZ", 1, 0},          // Shenzhen 002000-002999
    {3, 0, 999, 6, "SH", 1, 0},              // Shanghai 000000-000999
    {4, 399000, 399999, 6, "SZ", 1, 0},      // Shenzhen 399000-399999
    {5, 30000, 31999, 6, "SZ", 1, 0},        // Shenzhen 030000-031999
    {6, 38000, 39999, 6, "SZ", 1, 0},        // Shenzhen 038000-039999
    {7, 900900, 900999, 6, "SH", 1, 0},      // Shanghai 900900-900999
    {16, 160000, 169999, 6, "SZ", 1, 0},     // Shenzhen 160000-169999
    {18, 184000, 184999, 6, "SZ", 1, 0},     // Shenzhen 184000-184999
    {19, 150000, 159999, 6, "SZ", 1, 0},     // Shenzhen 150000-159999
    {20, 200000, 209999, 6, "SZ", 1, 0},     // Shenzhen 200000-209999
    {29, 0, 999999, 6, "OF", 1, 0},          // open funds 000000-999999
    {30, 0, 99, 6, "SZ", 10, 100},           // ids 30-39: Shenzhen 000000-000999
    {40, 601000, 601099, 6, "SH", 10, 100},  // ids 40-49: Shanghai 601000-601999
    {50, 500000, 500999, 6, "SH", 1, 0},     // Shanghai 500000-500999
    {51, 510000, 510999, 6, "SH", 1, 0},     // Shanghai 510000-510999
    {58, 580000, 580999, 6, "SH", 1, 0},     // Shanghai 580000-580999
    {59, 580900, 580999, 6, "SH", 1, 0},     // Shanghai 580900-580999 (shadowed by id 58)
    {60, 600000, 600099, 6, "SH", 10, 100},  // ids 60-69: Shanghai 600000-600999
    {70, 0, 99, 4, "HK", 10, 100},           // ids 70-79: Hong Kong 0000-0999
    {80, 1000, 1099, 4, "HK", 10, 100},      // ids 80-89: Hong Kong 1000-1999
    {90, 3000, 3099, 4, "HK", 10, 100},      // ids 90-99: Hong Kong 3000-3999
    {100, 0, 4999, 4, "HK", 1, 0},           // Hong Kong 0000-4999
    {111, 800000, 899999, 6, "SI", 1, 0},    // sector indexes SI
    {112, 800000, 899999, 6, "CI", 1, 0},    // sector indexes CI
    {113, 800000, 899999, 6, "QI", 1, 0},    // sector indexes QI
    {114, 800000, 899999, 6, "XI", 1, 0},    // sector indexes XI
    {115, 130000, 999999, 6, "MI", 1, 0},    // MI 130000-999999
    {121, 0, 999999, 6, "SZ", 1, 0},         // any Shenzhen number (after ids 2-39)
    {122, 0, 999999, 6, "SH", 1, 0},         // any Shanghai number (after ids 3-69)
};

constexpr std::array<CodeSegment, kCodeSegmentCount> BuildSegmentTable() {
  std::array<CodeSegment, kCodeSegmentCount> table{};
  for (const SegmentRow& row : kSegmentRows) {
    for (int k = 0; k < row.count; ++k) {
      CodeSegment& entry = table[row.id + k];
      entry.id = row.id + k;
      entry.low = row.low + row.step * k;
      entry.high = row.high + row.step * k;
      entry.digits = row.digits;
      for (int c = 0; c < 4 && row.suffix[c] != '\0'; ++c) entry.suffix[c] = row.suffix[c];
    }
  }
  return table;
}

constexpr std::array<CodeSegment, kCodeSegmentCount> kSegmentTable = BuildSegmentTable();

constexpr std::string_view kMarketSuffixes[kMarketSuffixCount] = {
    "SH",   // 0  Shanghai
    "SZ",   // 1  Shenzhen
    "HK",   // 2  Hong Kong
    "IB",   // 3  interbank bonds
    "DQ",   // 4
    "OF",   // 5  open funds
    "QI",   // 6
    "MI",   // 7
    "SI",   // 8
    "XI",   // 9
    "CI",   // 10
    "IL",   // 11
    "HI",   // 12
    "GI",   // 13
    "NM",   // 14
    "US",   // 15
    "SG",   // 16
    "OV",   // 17
    "ZC",   // 18
    "CRB",  // 19
    "IR",   // 20
    "FX",   // 21 foreign exchange
    "CZC",  // 22 Zhengzhou commodities
    "DCE",  // 23 Dalian commodities
    "SHF",  // 24 Shanghai futures
    "IPE",  // 25
    "NYM",  // 26
    "ME",   // 27
    "CFF",  // 28
};

constexpr CodeSegment kEmptySegment{};

}  // namespace

const CodeSegment& FindCodeSegment(uint32_t id) {
  return id < kSegmentTable.size() ? kSegmentTable[id] : kEmptySegment;
}

const std::array<CodeSegment, kCodeSegmentCount>& CodeSegmentTable() { return kSegmentTable; }

std::string_view MarketSuffix(int index) {
  return index >= 0 && index < kMarketSuffixCount ? kMarketSuffixes[index] : std::string_view();
}

int FindMarketSuffix(std::string_view suffix) {
  for (int k = 0; k < kMarketSuffixCount; ++k) {
    if (kMarketSuffixes[k] == suffix) return k;
  }
  return -1;
}
