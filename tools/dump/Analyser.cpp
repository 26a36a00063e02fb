// Decoding, filtering, printing and counting one message at a time.
#include "dump/Analyser.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <ostream>

#include "KestrelUtils.h"
#include "dump/Envelope.h"
#include "dump/Requests.h"
#include "dump/Results.h"

namespace kdump {

namespace {

using kestrel::MessageType;

constexpr int64_t kNanosecondsPerSecond = 1000000000;

// What the library made of one server message.
struct Decoded {
  MessageType type = MessageType::None;  // as reported: the inner type of an envelope
  Node result = Node::Null();
  std::string refusal;  // why an envelope gave nothing
};

// The one place that decodes: the result is turned into a value tree and
// freed when it goes out of scope.
Decoded Decode(const KestrelFrame& frame) {
  const kestrel::Result result = kestrel::decode(frame.Message, static_cast<size_t>(frame.Size));
  Decoded decoded{result.type(), ResultNode(result), {}};
  if (!result.HasRecord() && static_cast<MessageType>(frame.Type) == MessageType::Compressed &&
      result.type() == MessageType::Compressed) {
    decoded.refusal = EnvelopeRefusal(frame.Message, frame.Size);
  }
  return decoded;
}

// Every security code a tree names: fields "code" and lists "codes".
void CollectCodes(const Node& node, std::set<std::string>* codes) {
  if (node.kind() == Node::Kind::kFields) {
    for (size_t i = 0; i < node.Names().size(); ++i) {
      const Node& value = node.Items()[i];
      if (node.Names()[i] == "code" && value.kind() == Node::Kind::kText) {
        if (!value.AsText().empty()) codes->insert(value.AsText());
      } else if (node.Names()[i] == "codes" && value.kind() == Node::Kind::kList) {
        for (const Node& code : value.Items()) {
          if (code.kind() == Node::Kind::kText) codes->insert(code.AsText());
        }
      } else {
        CollectCodes(value, codes);
      }
    }
  } else if (node.kind() == Node::Kind::kList) {
    for (const Node& item : node.Items()) CollectCodes(item, codes);
  }
}

// A capture time as UTC text with nanoseconds: 2023-11-14T22:13:20.000000123Z.
std::string TimeText(int64_t seconds, int64_t nanoseconds) {
  const auto when = static_cast<time_t>(seconds);
  std::tm parts{};
  gmtime_r(&when, &parts);
  char text[64];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
  std::snprintf(text + n, sizeof text - n, ".%09lldZ", static_cast<long long>(nanoseconds));
  return text;
}

std::string Hex2(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xffu);
  return text;
}

// The fields that say where a message of a capture was found.
void AddOrigin(const Origin& origin, Node* line) {
  line->Add("connection", Node::Int(origin.connection));
  line->Add("peer", Node::Text(origin.peer));
  line->Add("time", Node::Text(TimeText(origin.seconds, origin.nanoseconds)));
  line->Add("from", Node::Text(origin.fromClient ? "client" : "server"));
}

std::string OriginText(const Origin& origin) {
  return "#" + std::to_string(origin.connection) + " " + origin.peer + "  " +
         TimeText(origin.seconds, origin.nanoseconds) + "  " +
         (origin.fromClient ? "client " : "server ");
}

}  // namespace

Analyser::Analyser(const DumpOptions& options, std::ostream& out, std::ostream& err)
    : options_(options), out_(out), err_(err) {}

bool Analyser::Wanted(int type, const Node& node) const {
  if (!options_.types.empty() && options_.types.count(type) == 0) return false;
  if (options_.codes.empty()) return true;
  std::set<std::string> named;
  CollectCodes(node, &named);
  for (const std::string& code : named) {
    if (options_.codes.count(code) != 0) return true;
  }
  return false;
}

void Analyser::Count(const Origin* origin, const Node& node) {
  std::set<std::string> codes;
  CollectCodes(node, &codes);
  Count(origin, codes);
}

void Analyser::Count(const Origin* origin, const std::set<std::string>& codes) {
  ++printed_;
  securities_.insert(codes.begin(), codes.end());
  if (origin == nullptr) return;
  const int64_t time[2] = {origin->seconds, origin->nanoseconds};
  auto before = [](const int64_t* a, const int64_t* b) {
    return a[0] < b[0] || (a[0] == b[0] && a[1] < b[1]);
  };
  if (!timed_ || before(time, firstTime_)) std::copy(time, time + 2, firstTime_);
  if (!timed_ || before(lastTime_, time)) std::copy(time, time + 2, lastTime_);
  timed_ = true;
}

void Analyser::Write(const std::string& text) {
  if (options_.quiet || outputFailed_) return;
  out_ << text;
  if (!out_) {
    outputFailed_ = true;
    outputErrno_ = errno;
  }
}

void Analyser::Tallied(int type, const KestrelFrame& frame) {
  Tally& tally = serverTypes_[type];
  ++tally.messages;
  tally.bytes += static_cast<uint64_t>(frame.Size);
  if (static_cast<MessageType>(frame.Type) == MessageType::Compressed) {
    ++compressed_.messages;
    compressed_.bytes += static_cast<uint64_t>(frame.Size);
  }
}

bool Analyser::CountVisited(const KestrelFrame& frame, const Origin* origin) {
  // The codes a message's records would name: its quotes, series and
  // queues, and the market events of the last list (the one they keep).
  struct Codes {
    std::set<std::string> named;
    std::set<std::string> events;
    void Add(std::set<std::string>& to, const char* code) {
      if (code != nullptr && code[0] != '\0') to.insert(code);
    }
    void onSecurity(const kestrel::Security& s) {
      if (!s.code.empty()) named.insert(std::string(s.code));
    }
    void onSeries(const kestrel::SeriesEntry& s) {
      if (!s.code.empty()) named.insert(std::string(s.code));
    }
    void onOrderQueue(CKestrelL2OrderQueue& q) { Add(named, q.GetTernCode()); }
    void onMarketEvents(kestrel::Span<CKestrelMarketEventData> list) {
      events.clear();
      for (CKestrelMarketEventData& e : list) {
        const std::string_view code = kestrel::text(e.TernCode);
        if (!code.empty()) events.insert(std::string(code));
      }
    }
  } codes;
  const kestrel::Visited visited =
      kestrel::visitQuotes(frame.Message, static_cast<size_t>(frame.Size), codes);
  if (visited.status == kestrel::VisitStatus::NotQuotes) return false;
  Tallied(static_cast<int>(visited.type), frame);
  // No result is an error; an emptied result names nothing.
  if (visited.status == kestrel::VisitStatus::NoResult) ++errors_;
  if (visited.status != kestrel::VisitStatus::Decoded) codes.named.clear();
  if (visited.status == kestrel::VisitStatus::Decoded) {
    codes.named.insert(codes.events.begin(), codes.events.end());
  }
  Count(origin, codes.named);
  return true;
}

void Analyser::ServerMessage(const KestrelFrame& frame, const Origin* origin) {
  if (Stopped()) return;
  // With nothing printed and nothing filtered, a quote message needs only
  // its type, whether it decodes and the codes it names: it is visited
  // rather than decoded into records.
  if (options_.quiet && options_.types.empty() && options_.codes.empty() &&
      CountVisited(frame, origin)) {
    return;
  }
  const Decoded decoded = Decode(frame);
  const int type = static_cast<int>(decoded.type);
  if (!Wanted(type, decoded.result)) return;
  const bool enveloped = static_cast<MessageType>(frame.Type) == MessageType::Compressed;
  const bool compressed = enveloped && decoded.type != MessageType::Compressed;
  Tallied(type, frame);
  const bool none = decoded.result.kind() == Node::Kind::kNull;
  const bool heartbeat =
      decoded.type == MessageType::HeartBeat || decoded.type == MessageType::HeartBeatAlt;
  if (none && !heartbeat) ++errors_;
  Count(origin, decoded.result);

  std::string text;
  if (options_.table) {
    text = (origin != nullptr ? OriginText(*origin) : "") + "@" + std::to_string(frame.Offset) +
           "  " + TypeName(decoded.type) + " (" + std::to_string(type) + ")" +
           (compressed ? " in a compressed envelope" : "") + ", " + std::to_string(frame.Size) +
           " bytes\n";
    if (!none) {
      WriteTable(decoded.result, 2, options_.maxRows, &text);
    } else {
      text += "  no result" + (decoded.refusal.empty() ? "" : ": " + decoded.refusal) + "\n";
    }
    text += "\n";
  } else {
    Node line = Node::Fields();
    if (origin != nullptr) AddOrigin(*origin, &line);
    line.Add("offset", Node::Int(frame.Offset));
    line.Add("size", Node::Int(frame.Size));
    line.Add("type", Node::Int(type));
    line.Add("name", Node::Text(TypeName(decoded.type)));
    line.Add("compressed", Node::Bool(compressed));
    if (!decoded.refusal.empty()) line.Add("refused", Node::Text(decoded.refusal));
    line.Add("result", decoded.result);
    WriteJson(line, &text);
    text += "\n";
  }
  Write(text);
}

void Analyser::ClientRequest(const uint8_t* bytes, size_t size, uint64_t offset,
                             const Origin& origin) {
  if (Stopped()) return;
  const kestrel::requests::ReadRequest request = kestrel::requests::ReadOneRequest(bytes, size);
  const Node fields = RequestNode(request);
  const auto type = static_cast<int>(request.type);
  if (!Wanted(type, fields)) return;
  Tally& tally = clientTypes_[type];
  ++tally.messages;
  tally.bytes += size;
  const bool checked = request.check == request.expectedCheck;
  if (!checked || !request.complete || request.form == nullptr) ++errors_;
  Count(&origin, fields);

  std::string text;
  if (options_.table) {
    text = OriginText(origin) + "@" + std::to_string(offset) + "  " + RequestName(request.type) +
           " request (" + std::to_string(type) + "), " + std::to_string(size) + " bytes\n";
    if (!checked) {
      text += "  check byte " + Hex2(request.check) + ", but type and body give " +
              Hex2(request.expectedCheck) + "\n";
    }
    if (!request.complete) text += "  the body ends inside its fields\n";
    if (request.trailing > 0) {
      text += "  " + std::to_string(request.trailing) + " bytes follow the last field\n";
    }
    if (!fields.Items().empty()) WriteTable(fields, 2, options_.maxRows, &text);
    text += "\n";
  } else {
    Node line = Node::Fields();
    AddOrigin(origin, &line);
    line.Add("offset", Node::Int(static_cast<int64_t>(offset)));
    line.Add("size", Node::Int(static_cast<int64_t>(size)));
    line.Add("type", Node::Int(type));
    line.Add("name", Node::Text(RequestName(request.type)));
    line.Add("check_ok", Node::Bool(checked));
    line.Add("complete", Node::Bool(request.complete));
    line.Add("trailing", Node::Int(static_cast<int64_t>(request.trailing)));
    line.Add("request", fields);
    WriteJson(line, &text);
    text += "\n";
  }
  Write(text);
}

void Analyser::Gap(const Origin& origin, uint64_t from, uint64_t to) {
  gap_ = true;
  ++errors_;
  const std::string side = origin.fromClient ? "client" : "server";
  err_ << "kestrel-dump: connection " << origin.connection << " (" << origin.peer << "), " << side
       << " direction: bytes " << from << " to " << to
       << " were not captured; this direction is not decoded further\n";
  std::string text;
  if (options_.table) {
    text = OriginText(origin) + "@" + std::to_string(from) + "  gap: bytes " +
           std::to_string(from) + " to " + std::to_string(to) + " not captured\n\n";
  } else {
    Node line = Node::Fields();
    AddOrigin(origin, &line);
    line.Add("gap", Node::Fields()
                        .Add("from", Node::Int(static_cast<int64_t>(from)))
                        .Add("to", Node::Int(static_cast<int64_t>(to))));
    WriteJson(line, &text);
    text += "\n";
  }
  Write(text);
}

void Analyser::Problem(const std::string& what) {
  malformed_ = true;
  ++errors_;
  err_ << "kestrel-dump: " << what << "\n";
}

void Analyser::Skipped(const std::string& what, uint64_t count) {
  if (count > 0) skipped_[what] += count;
}

Node Analyser::Statistics() const {
  auto table = [](const std::map<int, Tally>& types, const char* (*name)(int)) {
    Node list = Node::List();
    for (const auto& [type, tally] : types) {
      list.Add(Node::Fields()
                   .Add("type", Node::Int(type))
                   .Add("name", Node::Text(name(type)))
                   .Add("messages", Node::Int(static_cast<int64_t>(tally.messages)))
                   .Add("bytes", Node::Int(static_cast<int64_t>(tally.bytes))));
    }
    return list;
  };
  auto total = [](const std::map<int, Tally>& types) {
    Tally sum;
    for (const auto& entry : types) {
      sum.messages += entry.second.messages;
      sum.bytes += entry.second.bytes;
    }
    return Node::Fields()
        .Add("messages", Node::Int(static_cast<int64_t>(sum.messages)))
        .Add("bytes", Node::Int(static_cast<int64_t>(sum.bytes)));
  };
  Node stats = Node::Fields();
  stats.Add("server", total(serverTypes_));
  stats.Add("server_types",
            table(serverTypes_, [](int type) { return TypeName(static_cast<MessageType>(type)); }));
  if (!clientTypes_.empty()) {
    stats.Add("client", total(clientTypes_));
    stats.Add("client_types", table(clientTypes_, [](int type) {
                return RequestName(static_cast<unsigned>(type));
              }));
  }
  stats.Add("compressed",
            Node::Fields()
                .Add("messages", Node::Int(static_cast<int64_t>(compressed_.messages)))
                .Add("bytes", Node::Int(static_cast<int64_t>(compressed_.bytes))));
  stats.Add("errors", Node::Int(static_cast<int64_t>(errors_)));
  stats.Add("securities", Node::Int(static_cast<int64_t>(securities_.size())));
  if (timed_) {
    const int64_t span =
        (lastTime_[0] - firstTime_[0]) * kNanosecondsPerSecond + (lastTime_[1] - firstTime_[1]);
    stats.Add("first", Node::Text(TimeText(firstTime_[0], firstTime_[1])));
    stats.Add("last", Node::Text(TimeText(lastTime_[0], lastTime_[1])));
    stats.Add("span_seconds", Node::Double(static_cast<double>(span) / kNanosecondsPerSecond));
  }
  if (!skipped_.empty()) {
    Node skipped = Node::Fields();
    for (const auto& [what, count] : skipped_) {
      skipped.Add(what, Node::Int(static_cast<int64_t>(count)));
    }
    stats.Add("skipped_packets", skipped);
  }
  return stats;
}

int Analyser::Finish() {
  if (options_.stats && !outputFailed_) {
    std::string text;
    if (options_.table) {
      text = "statistics\n";
      WriteTable(Statistics(), 2, -1, &text);
    } else {
      WriteJson(Node::Fields().Add("statistics", Statistics()), &text);
      text += "\n";
    }
    out_ << text;
  }
  if (!outputFailed_ && !out_.flush()) {
    outputFailed_ = true;
    outputErrno_ = errno;
  }
  if (outputFailed_) {
    err_ << "kestrel-dump: cannot write the output: "
         << (outputErrno_ != 0 ? std::strerror(outputErrno_) : "write error") << "\n";
    return kDumpOutput;
  }
  if (malformed_) return kDumpMalformed;
  return gap_ ? kDumpGap : kDumpOk;
}

}  // namespace kdump
