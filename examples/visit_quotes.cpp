// kestrel_visit_quotes: reading quote messages with a visitor instead of
// result records.
//
// Visits two bundled server messages, a quote update of a Hong Kong
// security (with the lists of ids 57 and 58) and a simple-indicators
// message, and prints each security, value and list as it is handed over.
// Nothing is allocated for the values, and nothing has to be freed: every
// view is valid during the call that hands it over.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <variant>

#include <KestrelUtils/KestrelUtils.h>

namespace {

// A quote update (type 64): 0700.HK with time, prices, volume, amount and
// the counted lists of 57 and 58.
const unsigned char kQuoteUpdate[] = {
    0xB5, 0xC0, 0x81, 0xCD, 0x80, 0x8A, 0x82, 0x17, 0xC0, 0x83, 0x15, 0x2F, 0xAA, 0x84,
    0x15, 0x2F, 0xF8, 0x85, 0x15, 0x2F, 0xF8, 0x86, 0x15, 0x38, 0xDB, 0x87, 0x15, 0x2B,
    0xBF, 0x88, 0x00, 0x6C, 0x47, 0xA8, 0xBB, 0x02, 0x28, 0x78, 0x1E, 0xCD, 0xB9, 0x83,
    0x07, 0xEA, 0x07, 0xF7, 0x11, 0xA2, 0xBA, 0x82, 0x19, 0xE5, 0x19, 0xE6};

// Simple indicators (type 33): two securities with a price and a name.
const unsigned char kSimpleIndicators[] = {
    0xAD, 0xA1, 0x82, 0x83, 0x81, 0x82, 0x83, 0x12, 0x49, 0xB1, 0x01, 0x83, 0x8F, 0x43, 0x6F, 0x6D,
    0x70, 0x6F, 0x73, 0x69, 0x74, 0x65, 0x20, 0x49, 0x6E, 0x64, 0x65, 0x78, 0xB3, 0xB2, 0x82, 0x83,
    0x13, 0x9A, 0x01, 0x83, 0x89, 0x46, 0x69, 0x66, 0x74, 0x79, 0x20, 0x45, 0x54, 0x46};

// Prints what it is handed; it defines only the members it needs.
struct Printer {
  void onMessage(kestrel::MessageType type) {
    std::printf("message type %d\n", static_cast<int>(type));
  }
  void onSecurity(const kestrel::Security& s) {
    std::printf("  %.*s (%.*s), %d entries\n", static_cast<int>(s.code.size()), s.code.data(),
                static_cast<int>(s.type.size()), s.type.data(), s.entries);
  }
  void onEntry(const kestrel::Entry& e) {
    std::printf("    %3d  ", e.id);
    if (auto* d = std::get_if<double>(&e.value)) {
      std::printf("%g\n", *d);
    } else if (auto* i = std::get_if<int>(&e.value)) {
      std::printf("%d\n", *i);
    } else if (auto* l = std::get_if<std::int64_t>(&e.value)) {
      std::printf("%lld\n", static_cast<long long>(*l));
    } else if (auto* t = std::get_if<std::string_view>(&e.value)) {
      std::printf("\"%.*s\"\n", static_cast<int>(t->size()), t->data());
    } else {
      std::printf("-\n");
    }
  }
  void onSeries(const kestrel::SeriesEntry& s) {
    std::printf("    list of %d:", s.indicator);
    for (std::size_t c = 0; c < s.size(); ++c) {
      for (int v : s.column(c).as<int>()) std::printf(" %d", v);
    }
    std::printf("\n");
  }
};

}  // namespace

int main() {
  CKestrelCode::StartUp();
  Printer printer;
  for (const auto& [bytes, size] : {std::pair{kQuoteUpdate, sizeof kQuoteUpdate},
                                    std::pair{kSimpleIndicators, sizeof kSimpleIndicators}}) {
    const kestrel::Visited visited = kestrel::visitQuotes(bytes, size, printer);
    if (!visited) std::printf("not visited (status %d)\n", static_cast<int>(visited.status));
  }
  return 0;
}
