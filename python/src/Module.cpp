// The Python module kestrel._kestrel: decoding one message, the error type,
// and the pieces bound by the other files.
#include "Module.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kpy {

namespace {

// kestrel.DecodeError, made when the module loads.
PyObject* gDecodeError = nullptr;

// A whole message of a Python bytes-like object, or DecodeError.
py::buffer_info wholeMessage(const py::buffer& data) {
  py::buffer_info view = data.request();
  if (view.ndim != 1 || view.itemsize != 1 || (view.size > 0 && view.strides[0] != 1)) {
    throw py::type_error("decode() takes contiguous bytes");
  }
  const auto* bytes = static_cast<const char*>(view.ptr);
  if (kestrel::wholeMessageSize(bytes, static_cast<std::size_t>(view.size)) == 0) {
    raiseDecodeError(0, "the " + std::to_string(view.size) +
                            " bytes do not hold a whole message (length prefix and the bytes "
                            "it announces)");
  }
  return view;
}

// Decodes with the GIL released: the bytes stay exported (and so unchanged)
// while the buffer_info lives.
SharedResult decodeReleased(const py::buffer_info& view) {
  py::gil_scoped_release release;
  return std::make_shared<kestrel::Result>(
      kestrel::decode(static_cast<const char*>(view.ptr), static_cast<std::size_t>(view.size)));
}

// The type number on the wire: the stop-bit number behind the length prefix
// (whole, as wholeMessage checked).
int wireType(const unsigned char* bytes, std::size_t size) {
  constexpr unsigned char kStopBit = 0x80;
  constexpr int kGroupBits = 7;
  constexpr std::size_t kMaxTypeBytes = 5;
  std::size_t at = 0;
  while (at < size && (bytes[at] & kStopBit) == 0) ++at;
  long long type = 0;
  for (std::size_t k = at + 1; k < size && k <= at + kMaxTypeBytes; ++k) {
    type = (type << kGroupBits) | (bytes[k] & ~kStopBit);
    if ((bytes[k] & kStopBit) != 0) return static_cast<int>(type);
  }
  return -1;
}

Message decodeOne(const py::buffer& data) {
  const py::buffer_info view = wholeMessage(data);
  Message message;
  message.result = decodeReleased(view);
  if (decodeFailed(*message.result)) {
    raiseDecodeError(0, "message of type " + std::to_string(message.result->typeNumber()) +
                            " could not be decoded");
  }
  message.origin.size = static_cast<int>(kestrel::wholeMessageSize(
      static_cast<const char*>(view.ptr), static_cast<std::size_t>(view.size)));
  message.origin.wireType =
      wireType(static_cast<const unsigned char*>(view.ptr), static_cast<std::size_t>(view.size));
  return message;
}

// The C++ record path for the benchmark: decode, take every series column
// (and, with `readValues`, add up its values), free; mean seconds per round.
double cppRecordSeconds(const py::buffer& data, int rounds, bool readValues) {
  const py::buffer_info view = wholeMessage(data);
  const auto* bytes = static_cast<const char*>(view.ptr);
  const auto size = static_cast<std::size_t>(view.size);
  py::gil_scoped_release release;
  double sink = 0;
  std::size_t rows = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < rounds; ++round) {
    kestrel::Result result = kestrel::decode(bytes, size);
    if (CKestrelData* records = result.as<CKestrelData>()) {
      for (CKestrelHisData& series : kestrel::series(*records)) {
        for (const kestrel::Entry& entry : kestrel::entries(series)) {
          const kestrel::Column column(entry.id, entry.type, entry.count, entry.raw);
          rows += column.size();
          if (!readValues) continue;
          for (int v : column.as<int>()) sink += v;
          for (double v : column.as<double>()) sink += v;
          for (std::int64_t v : column.as<std::int64_t>()) sink += static_cast<double>(v);
        }
      }
    }
  }
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  // Keeps the reads from being optimised away.
  if (sink == 0.5 && rows == 1) std::abort();
  return rounds > 0 ? spent.count() / rounds : 0.0;
}

}  // namespace

[[noreturn]] void raiseDecodeError(long long offset, const std::string& what) {
  py::object type = py::reinterpret_borrow<py::object>(gDecodeError);
  py::object error = type("byte " + std::to_string(offset) + ": " + what);
  error.attr("offset") = offset;
  PyErr_SetObject(gDecodeError, error.ptr());
  throw py::error_already_set();
}

bool decodeFailed(const kestrel::Result& result) {
  // An envelope that inflates reports the inner type; one that reports its
  // own type did not inflate.
  return !result.HasRecord() && (kestrel::kindOf(result.type()) != kestrel::ResultKind::None ||
                                 result.type() == kestrel::MessageType::Compressed);
}

py::object textOf(const char* text, std::size_t size) {
  if (text == nullptr) return py::none();
  PyObject* decoded = PyUnicode_Decode(text, static_cast<Py_ssize_t>(size), "gbk", "replace");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(decoded);
}

py::object textOf(const char* text) {
  return text == nullptr ? py::none() : textOf(text, std::char_traits<char>::length(text));
}

}  // namespace kpy

PYBIND11_MODULE(_kestrel, m) {
  namespace py = pybind11;
  m.doc() = "Decoding and encoding of the Kestrel quote protocol (C++ core).";
  CKestrelCode::StartUp();
  py::module_::import("numpy");

  kpy::gDecodeError = PyErr_NewExceptionWithDoc(
      "kestrel.DecodeError",
      "Malformed input. The message and the `offset` attribute name the byte offset: of the "
      "message in its stream, or of the broken length prefix.",
      PyExc_ValueError, nullptr);
  if (kpy::gDecodeError == nullptr) throw py::error_already_set();
  m.attr("DecodeError") = py::handle(kpy::gDecodeError);

  kpy::bindResults(m);
  kpy::bindRequests(m);
  kpy::bindStream(m);

  m.def("decode", &kpy::decodeOne, py::arg("data"),
        "Decodes one whole message (length prefix, type and body) held in a bytes-like "
        "object. Raises DecodeError when the bytes do not hold a whole message or the "
        "message cannot be decoded. The GIL is released while decoding.");
  m.def("_indicator_names", [] {
    std::vector<std::pair<int, std::string>> names;
    for (const kestrel::IndicatorName& row : kestrel::kIndicatorNames)
      names.emplace_back(row.id, row.name);
    return names;
  });
  m.def("_cpp_record_seconds", &kpy::cppRecordSeconds, py::arg("data"), py::arg("rounds"),
        py::arg("read_values") = false,
        "Benchmark helper: mean seconds per round of decoding `data` in C++, taking every "
        "series column (adding up its values with read_values) and freeing the result.");
}
