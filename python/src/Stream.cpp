// kestrel.read_capture: the messages of a recorded byte stream, or of the
// server side of every connection in a packet capture.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <pybind11/stl.h>

#include "Module.h"
#include "capture/Magic.h"
#ifdef KESTREL_PYTHON_CAPTURES
#include "capture/Capture.h"
#endif

namespace kpy {

namespace {

// Bytes read from the input at a time: memory follows the largest message,
// not the size of the capture.
constexpr std::size_t kChunk = 64 * 1024;
constexpr double kNanosecond = 1e-9;

// The bytes of a capture: a file opened by path, or a Python file object.
class Input {
 public:
  explicit Input(const py::object& source) {
    if (py::hasattr(source, "read")) {
      file_ = source;
      return;
    }
    path_ = py::str(py::module_::import("os").attr("fsdecode")(source));
    file_ = py::none();
    handle_ = std::fopen(path_.c_str(), "rb");
    if (handle_ == nullptr) {
      PyErr_SetFromErrnoWithFilename(PyExc_OSError, path_.c_str());
      throw py::error_already_set();
    }
  }
  ~Input() { close(); }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // The next bytes into `chunk`; false at the end.
  bool read(std::string* chunk) {
    if (file_.is_none()) {
      chunk->resize(kChunk);
      std::size_t got = 0;
      {
        py::gil_scoped_release release;
        got = std::fread(chunk->data(), 1, kChunk, handle_);
      }
      chunk->resize(got);
      if (got == 0 && std::ferror(handle_)) {
        PyErr_SetFromErrnoWithFilename(PyExc_OSError, path_.c_str());
        throw py::error_already_set();
      }
      return got > 0;
    }
    py::object got = file_.attr("read")(kChunk);
    if (!py::isinstance<py::bytes>(got)) {
      throw py::type_error("read_capture() reads bytes: open the file in binary mode");
    }
    *chunk = got.cast<std::string>();
    return !chunk->empty();
  }

  // The path when the capture was named by one; empty for a file object.
  const std::string& path() const { return path_; }
  void close() {
    if (handle_ != nullptr) std::fclose(handle_);
    handle_ = nullptr;
  }

 private:
  py::object file_;
  std::string path_;
  std::FILE* handle_ = nullptr;
};

// A problem found while messages were still waiting to be handed out.
struct Pending {
  long long offset;
  std::string what;
};

class Capture {
 public:
  Capture(const py::object& source, std::optional<int> port, bool strict)
      : input_(source), strict_(strict) {
    input_.read(&head_);
    const bool packets =
        kcap::LooksLikeCapture(reinterpret_cast<const std::uint8_t*>(head_.data()), head_.size());
    if (packets) openPackets(port);
  }

  Capture& iter() { return *this; }

  Message next() {
    if (busy_)
      throw py::value_error("read_capture(): the iterator is already in use on another thread");
    busy_ = true;
    struct Idle {
      bool& busy;
      ~Idle() { busy = false; }
    } idle{busy_};
    if (done_) throw py::stop_iteration();
    return packets_ ? nextPacketMessage() : nextStreamMessage();
  }

  py::list gaps() const {
    py::list list;
    for (const auto& [connection, from, to] : gaps_)
      list.append(py::make_tuple(connection, from, to));
    return list;
  }

 private:
  [[noreturn]] void fail(long long offset, const std::string& what) {
    done_ = true;
    raiseDecodeError(offset, what);
  }

  // A message of a reader that has just handed out `result`.
  Message made(kestrel::Result&& result, const kestrel::FrameInfo& frame, Origin origin) {
    origin.offset = frame.offset;
    origin.size = frame.size;
    origin.wireType = static_cast<int>(frame.wireType);
    Message message{std::make_shared<kestrel::Result>(std::move(result)), std::move(origin)};
    if (strict_ && decodeFailed(*message.result)) {
      fail(frame.offset, "message of type " + std::to_string(message.result->typeNumber()) +
                             " could not be decoded");
    }
    return message;
  }

  // The problem of a broken stream, in words.
  static std::string brokenText(const kestrel::Reader& reader) {
    return reader.status() == kFramerBadLength
               ? "length prefix of five bytes without a stop bit"
               : "length prefix announces a message longer than the reader takes";
  }

  std::optional<kestrel::Result> decodeNext(kestrel::Reader& reader) {
    py::gil_scoped_release release;
    return reader.next();
  }

  Message nextStreamMessage() {
    std::string chunk;
    for (;;) {
      if (std::optional<kestrel::Result> result = decodeNext(stream_)) {
        return made(std::move(*result), stream_.lastFrame(), Origin());
      }
      if (stream_.failed()) fail(stream_.errorOffset(), brokenText(stream_));
      if (ended_) {
        done_ = true;
        if (stream_.bufferedBytes() > 0) {
          fail(stream_.streamOffset() - stream_.bufferedBytes(),
               "input ends inside a message (" + std::to_string(stream_.bufferedBytes()) +
                   " of its bytes present)");
        }
        throw py::stop_iteration();
      }
      if (!head_.empty()) {
        chunk.swap(head_);
        head_.clear();
      } else if (!input_.read(&chunk)) {
        ended_ = true;
        continue;
      }
      if (!stream_.feed(chunk.data(), chunk.size()) && !stream_.failed()) throw std::bad_alloc();
    }
  }

#ifdef KESTREL_PYTHON_CAPTURES
  void openPackets(std::optional<int> port) {
    constexpr int kMaxPort = 65535;
    if (!port || *port < 1 || *port > kMaxPort) {
      throw py::value_error("a packet capture needs port=N, the quote server's TCP port");
    }
    packets_ = std::make_unique<kcap::Reader>();
    std::string error;
    bool opened = false;
    if (!input_.path().empty()) {
      input_.close();
      opened = packets_->Open(input_.path(), static_cast<std::uint16_t>(*port), &error);
    } else {
      // A file object: the whole capture is held in memory for libpcap.
      memory_.swap(head_);
      std::string chunk;
      while (input_.read(&chunk)) memory_ += chunk;
      opened = packets_->OpenMemory(reinterpret_cast<const std::uint8_t*>(memory_.data()),
                                    memory_.size(), static_cast<std::uint16_t>(*port), &error);
    }
    head_.clear();
    if (!opened) throw py::value_error("packet capture: " + error);
  }

  // The server's messages of every connection, in capture order. The
  // client's requests are not yielded. A lost segment ends its connection's
  // server direction and is listed in `gaps`.
  Message nextPacketMessage() {
    for (;;) {
      if (!ready_.empty()) {
        Message message = std::move(ready_.front());
        ready_.pop_front();
        return message;
      }
      if (pending_) fail(pending_->offset, pending_->what);
      kcap::Event event;
      bool got = false;
      {
        py::gil_scoped_release release;
        got = packets_->Next(&event);
      }
      if (!got) {
        done_ = true;
        if (!packets_->ReadError().empty())
          throw py::value_error("packet capture: " + packets_->ReadError());
        throw py::stop_iteration();
      }
      if (event.direction != kcap::Direction::kToClient || stopped_.count(event.connection) > 0)
        continue;
      kestrel::Reader& reader = streams_[event.connection];
      const kcap::Connection& connection = packets_->ConnectionAt(event.connection);
      const std::string where =
          "connection " + std::to_string(event.connection) + " (" + connection.Name() + ")";
      switch (event.kind) {
        case kcap::Event::Kind::kData:
          if (!reader.feed(event.data, event.size) && !reader.failed()) throw std::bad_alloc();
          drain(reader, event, connection, where);
          break;
        case kcap::Event::Kind::kGap:
          gaps_.emplace_back(event.connection, event.offset, event.gapEnd);
          stopped_.insert(event.connection);
          break;
        case kcap::Event::Kind::kEnd:
          if (reader.bufferedBytes() > 0 && strict_) {
            pending_ = Pending{reader.streamOffset() - reader.bufferedBytes(),
                               where + ": the connection ends inside a message"};
          }
          stopped_.insert(event.connection);
          break;
      }
    }
  }

  void drain(kestrel::Reader& reader, const kcap::Event& event, const kcap::Connection& connection,
             const std::string& where) {
    Origin origin;
    origin.connection = event.connection;
    origin.peer = connection.Name();
    origin.time = static_cast<double>(event.time.seconds) +
                  static_cast<double>(event.time.nanoseconds) * kNanosecond;
    while (std::optional<kestrel::Result> result = decodeNext(reader)) {
      const kestrel::FrameInfo& frame = reader.lastFrame();
      if (strict_ && decodeFailed(*result)) {
        pending_ = Pending{frame.offset, where + ": message of type " +
                                             std::to_string(result->typeNumber()) +
                                             " could not be decoded"};
        stopped_.insert(event.connection);
        return;
      }
      ready_.push_back(made(std::move(*result), frame, origin));
    }
    if (reader.failed()) {
      if (strict_) pending_ = Pending{reader.errorOffset(), where + ": " + brokenText(reader)};
      stopped_.insert(event.connection);
    }
  }

  std::unique_ptr<kcap::Reader> packets_;
  std::string memory_;
  std::map<int, kestrel::Reader> streams_;
  std::set<int> stopped_;
  std::deque<Message> ready_;
  std::optional<Pending> pending_;
#else
  void openPackets(std::optional<int>) {
    throw py::value_error(
        "this build of kestrel reads no packet captures: it was built without libpcap");
  }
  Message nextPacketMessage() { throw py::stop_iteration(); }
  // Never set without libpcap.
  std::unique_ptr<int> packets_;
#endif

  Input input_;
  bool strict_;
  std::string head_;
  kestrel::Reader stream_;
  bool ended_ = false;
  bool done_ = false;
  bool busy_ = false;
  std::vector<std::tuple<int, std::uint64_t, std::uint64_t>> gaps_;
};

}  // namespace

void bindStream(py::module_& m) {
  py::class_<Capture>(m, "Capture", "The messages of a capture, in order (see read_capture).")
      .def("__iter__", &Capture::iter, py::return_value_policy::reference_internal)
      .def("__next__", &Capture::next)
      .def_property_readonly("gaps", &Capture::gaps,
                             "packet captures: (connection, from, to) of every lost stretch of "
                             "the server's stream; that connection is not decoded further");
  m.def(
      "read_capture",
      [](const py::object& source, std::optional<int> port, bool strict) {
        return std::make_unique<Capture>(source, port, strict);
      },
      py::arg("source"), py::arg("port") = py::none(), py::arg("strict") = true,
      "Iterates the messages of a capture: a path or a binary file object holding the server's "
      "byte stream (messages back to back), or a pcap/pcapng packet capture (recognised by "
      "its magic number; needs `port`, the server's TCP port), whose server messages are "
      "yielded with their connection, peer and capture time. Malformed input raises "
      "DecodeError naming the byte offset; with strict=False a message that does not decode "
      "is yielded with ok False instead.");
}

}  // namespace kpy
