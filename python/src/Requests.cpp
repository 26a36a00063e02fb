// The request encoders as Python functions returning bytes.
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Module.h"

namespace kpy {

namespace {

// A subscription list from Python: a mapping of code to ids, or a sequence
// of (code, ids) pairs.
kestrel::SubscriptionList listOf(const py::object& items) {
  kestrel::SubscriptionList list;
  const py::object pairs = py::isinstance<py::dict>(items) ? items.attr("items")() : items;
  for (const py::handle pair : pairs) {
    auto [code, ids] = pair.cast<std::pair<std::string, std::vector<std::uint16_t>>>();
    list.add(code, std::move(ids));
  }
  return list;
}

// The bytes of a request; ValueError when the encoder refused its arguments.
py::bytes bytesOf(const kestrel::Request& request, const char* what) {
  if (!request) throw py::value_error(std::string(what) + ": the arguments make no request");
  return py::bytes(request.data(), request.size());
}

// Texts that the encoders take as mutable char pointers; None stays null.
struct Text {
  explicit Text(const std::optional<std::string>& text) : value(text) {}
  char* get() { return value ? value->data() : nullptr; }
  std::optional<std::string> value;
};

// Codes of the ranking requests' scope 2, as the char* array they read.
struct Codes {
  explicit Codes(std::vector<std::string> codes) : texts(std::move(codes)) {
    for (std::string& text : texts) pointers.push_back(text.data());
  }
  int count() const { return static_cast<int>(pointers.size()); }
  char** get() { return pointers.empty() ? nullptr : pointers.data(); }
  std::vector<std::string> texts;
  std::vector<char*> pointers;
};

using TwoLists = kestrel::Request (*)(const kestrel::SubscriptionList&,
                                      const kestrel::SubscriptionList&);

struct TwoListRow {
  const char* name;
  TwoLists encode;
  const char* doc;
};

constexpr TwoListRow kTwoListRequests[] = {
    {"encode_commit", kestrel::encodeCommit,
     "Subscription commit (type 32). Each list maps codes to indicator ids (a dict, or "
     "(code, ids) pairs); `second` goes first on the wire; an empty list is sent as the "
     "empty-list marker."},
    {"encode_masked_commit", kestrel::encodeMaskedCommit,
     "Masked subscription commit (type 24): as encode_commit, ids sent as bit masks."},
    {"encode_masked_verify", kestrel::encodeMaskedVerify,
     "Masked subscription verify (type 25): as encode_masked_commit."},
};

}  // namespace

void bindRequests(py::module_& m) {
  for (const TwoListRow& row : kTwoListRequests) {
    const TwoLists encode = row.encode;
    const char* name = row.name;
    m.def(
        name,
        [encode, name](const py::object& first, const py::object& second) {
          return bytesOf(encode(listOf(first), listOf(second)), name);
        },
        py::arg("first"), py::arg("second") = py::tuple(), row.doc);
  }
  m.def(
      "encode_peek",
      [](const py::object& list) {
        return bytesOf(kestrel::encodePeek(listOf(list)), "encode_peek");
      },
      py::arg("items"), "Peek request (type 33) for a list of codes and indicator ids.");
  m.def(
      "encode_login",
      [](int first, int second, std::vector<int> numbers, const std::string& text) {
        return bytesOf(kestrel::encodeLogin(first, second, std::move(numbers), text),
                       "encode_login");
      },
      py::arg("first"), py::arg("second"), py::arg("numbers"), py::arg("text"),
      "Login request (type 80): two numbers, a list of numbers and a text.");
  m.def(
      "encode_server_sub_info",
      [] { return bytesOf(kestrel::encodeServerSubInfo(), "encode_server_sub_info"); },
      "Request for the server's subscription list (type 26).");
  m.def(
      "encode_status_test",
      [](int v1, std::int64_t v2, int v3, int v4, int v5) {
        return bytesOf(kestrel::encodeStatusTest(KestrelInfoSend{v1, v2, v3, v4, v5}),
                       "encode_status_test");
      },
      py::arg("value1"), py::arg("value2"), py::arg("value3"), py::arg("value4"), py::arg("value5"),
      "Status test (type 59) with the five numbers of the request.");
  m.def(
      "encode_raw_data",
      [](const py::bytes& data) {
        return bytesOf(kestrel::encodeRawData(std::string_view(data)), "encode_raw_data");
      },
      py::arg("data"), "Raw-data request (type 48) carrying the host's bytes (at least one).");
  m.def(
      "encode_init",
      [](const std::string& code, int kind, int a, int b, int period, bool flag, int c, int d) {
        constexpr int kKindMin = -128;
        constexpr int kKindMax = 127;
        if (kind < kKindMin || kind > kKindMax)
          throw py::value_error("kind is a signed 8-bit number");
        std::string copy = code;
        return bytesOf(kestrel::Request(CKestrelCode::EncodeInitRequest(
                           copy.data(), static_cast<char>(kind), a, b,
                           static_cast<TKLinePeriod>(period), flag, c, d)),
                       "encode_init");
      },
      py::arg("code"), py::arg("kind"), py::arg("a") = 0, py::arg("b") = 0,
      py::arg("period") = static_cast<int>(kKLineDay), py::arg("flag") = false, py::arg("c") = 0,
      py::arg("d") = 0,
      "History init request for `code`. `kind` chooses the reply: 0 and 4 formalized trends, "
      "1 formalized deals, 2 day or minute K-lines by `period` (9 day, 5 to 8, 10 and 11 "
      "minute bar-length codes), 3 minute K-lines, 5 history trends, 7 and 8 level-2 "
      "transaction history, others QE data.");
  m.def(
      "encode_rank_list",
      [](std::int64_t id, const std::optional<std::string>& first,
         const std::optional<std::string>& second, int scope, int selector, int r, int direction,
         std::vector<std::string> codes) {
        Text a(first), b(second);
        Codes list(std::move(codes));
        return bytesOf(kestrel::Request(CKestrelCode::EncodeRankListRequest(
                           id, a.get(), b.get(), scope, selector, r,
                           static_cast<TTnSortDirection>(direction), list.count(), list.get())),
                       "encode_rank_list");
      },
      py::arg("id"), py::arg("first"), py::arg("second"), py::arg("scope"), py::arg("selector"),
      py::arg("r"), py::arg("direction"), py::arg("codes") = std::vector<std::string>(),
      "Ranking list request (type 34); scope 2 carries `codes`.");
  m.def(
      "encode_paged_rank_list",
      [](std::uint32_t id, const std::optional<std::string>& first, int p, int q,
         const std::optional<std::string>& second, int scope, int selector, int r, int direction,
         std::vector<std::string> codes) {
        Text a(first), b(second);
        Codes list(std::move(codes));
        return bytesOf(kestrel::Request(CKestrelCode::EncodePagedRankListRequest(
                           id, a.get(), p, q, b.get(), scope, selector, r,
                           static_cast<TTnSortDirection>(direction), list.count(), list.get())),
                       "encode_paged_rank_list");
      },
      py::arg("id"), py::arg("first"), py::arg("p"), py::arg("q"), py::arg("second"),
      py::arg("scope"), py::arg("selector"), py::arg("r"), py::arg("direction"),
      py::arg("codes") = std::vector<std::string>(),
      "Paged ranking list request (type 40): as encode_rank_list with p and q.");
  m.def(
      "encode_top8",
      [](std::int64_t id, const std::optional<std::string>& first,
         const std::optional<std::string>& second, int scope, std::vector<std::string> codes) {
        Text a(first), b(second);
        Codes list(std::move(codes));
        return bytesOf(kestrel::Request(CKestrelCode::EncodeTop8Request(id, a.get(), b.get(), scope,
                                                                        list.count(), list.get())),
                       "encode_top8");
      },
      py::arg("id"), py::arg("first"), py::arg("second"), py::arg("scope"),
      py::arg("codes") = std::vector<std::string>(), "Top-8 sector charts request (type 9).");
}

}  // namespace kpy
