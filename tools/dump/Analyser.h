// What kestrel-dump does with every message, whatever the input: decode it
// (the one place that calls the library's decoder), filter it, print it and
// count it for the statistics.
#ifndef KESTREL_DUMP_ANALYSER_H
#define KESTREL_DUMP_ANALYSER_H

#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>

#include "KestrelFramer.h"
#include "dump/Dump.h"
#include "dump/Node.h"

namespace kdump {

// Where in a packet capture a message was found.
struct Origin {
  int connection = 0;
  std::string peer;         // "client -> server" addresses and ports
  bool fromClient = false;  // a request rather than a server message
  int64_t seconds = 0;      // capture time of the segment that completed it
  int64_t nanoseconds = 0;
};

class Analyser {
 public:
  Analyser(const DumpOptions& options, std::ostream& out, std::ostream& err);

  // A whole server message; origin is null for the bare byte stream.
  void ServerMessage(const KestrelFrame& frame, const Origin* origin);
  // A whole request (length prefix to check byte) at `offset` of the client's stream.
  void ClientRequest(const uint8_t* bytes, size_t size, uint64_t offset, const Origin& origin);
  // Bytes [from, to) of a direction were never captured.
  void Gap(const Origin& origin, uint64_t from, uint64_t to);
  // A problem of the input: printed to the error stream; the result becomes
  // kDumpMalformed.
  void Problem(const std::string& what);
  void Skipped(const std::string& what, uint64_t count);

  // True once -c N messages were printed, or the output failed.
  bool Stopped() const { return printed_ == options_.count || outputFailed_; }
  // Prints the statistics when asked for, flushes the output and returns the
  // exit status.
  int Finish();

 private:
  struct Tally {
    uint64_t messages = 0;
    uint64_t bytes = 0;
  };
  bool Wanted(int type, const Node& node) const;
  void Count(const Origin* origin, const Node& node);
  void Count(const Origin* origin, const std::set<std::string>& codes);
  // Counts a quote message by visiting it, when nothing of it is printed;
  // false for a message that the visit does not read.
  bool CountVisited(const KestrelFrame& frame, const Origin* origin);
  void Tallied(int type, const KestrelFrame& frame);
  void Write(const std::string& text);
  Node Statistics() const;

  const DumpOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  long long printed_ = 0;
  bool malformed_ = false;
  bool gap_ = false;
  bool outputFailed_ = false;
  int outputErrno_ = 0;
  std::map<int, Tally> serverTypes_;
  std::map<int, Tally> clientTypes_;
  Tally compressed_;
  uint64_t errors_ = 0;
  std::set<std::string> securities_;
  bool timed_ = false;
  int64_t firstTime_[2] = {};
  int64_t lastTime_[2] = {};
  std::map<std::string, uint64_t> skipped_;
};

}  // namespace kdump

#endif  // KESTREL_DUMP_ANALYSER_H
