// The Python module kestrel._kestrel: what its source files share.
//
// A decoded result lives in a kestrel::Result held by a shared pointer. The
// Message that Python sees holds one reference; every numpy array that views
// a series column holds another (through its base object), so an array
// outlives the Message that made it and the record is freed with the last.
#ifndef KESTREL_PYTHON_MODULE_H
#define KESTREL_PYTHON_MODULE_H

#include <pybind11/pybind11.h>

#include <cmath>
#include <cstddef>
#include <memory>
#include <string>

#include "KestrelUtils.h"

namespace kpy {

namespace py = pybind11;

using SharedResult = std::shared_ptr<kestrel::Result>;

// Where a message was found.
struct Origin {
  long long offset = 0;  // first byte of its length prefix in its stream
  int size = 0;          // prefix, type and body
  int wireType = -1;     // the type on the wire: 54 for a compressed envelope
  int connection = -1;   // packet captures: the connection's index
  std::string peer;      // packet captures: "client -> server"
  double time = NAN;     // packet captures: capture time, seconds since the epoch
};

// One message as Python sees it.
struct Message {
  SharedResult result;
  Origin origin;
};

// Raises kestrel.DecodeError; its text and its `offset` attribute name the
// byte offset.
[[noreturn]] void raiseDecodeError(long long offset, const std::string& what);

// True when the message's type yields a record but none came back: the
// message was malformed (or memory ran out).
bool decodeFailed(const kestrel::Result& result);

// A text of a record as a Python str. Codes and names are ASCII; composed
// texts are GBK, and bytes that are not become replacement characters.
py::object textOf(const char* text, std::size_t size);
py::object textOf(const char* text);

void bindResults(py::module_& m);
void bindRequests(py::module_& m);
void bindStream(py::module_& m);

}  // namespace kpy

#endif  // KESTREL_PYTHON_MODULE_H
