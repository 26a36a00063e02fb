// kestrel-dump's work: cut the bytes of a connection into messages, decode
// each with the library, filter, print, and count.
//
// Two inputs: the bare byte stream of the server (messages back to back, as
// a client receives them), or a packet capture (pcap or pcapng) of whole TCP
// connections, whose server direction is decoded as messages and whose
// client direction as requests.
#ifndef KESTREL_DUMP_DUMP_H
#define KESTREL_DUMP_DUMP_H

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <set>
#include <string>

#include "KestrelFramer.h"

namespace kdump {

struct DumpOptions {
  bool table = false;  // text for people instead of JSON Lines
  int maxRows = -1;    // table: rows shown per series or table; negative for all
  int maxMessage = kKestrelFramerDefaultMaxMessage;
  bool stats = false;           // statistics after the messages
  bool quiet = false;           // no messages, only problems (and statistics)
  std::set<int> types;          // only messages of these types; empty for all
  std::set<std::string> codes;  // only messages that name one of these codes
  long long count = -1;         // stop after this many messages; negative for no limit
  int port = -1;                // a capture's server port; -1 when not given
};

// Exit statuses of kestrel-dump.
inline constexpr int kDumpOk = 0;         // every byte belonged to a whole message
inline constexpr int kDumpMalformed = 1;  // a bad length, a cut message, unreadable input
inline constexpr int kDumpUsage = 2;      // a bad command line
inline constexpr int kDumpGap = 3;        // a capture lost segments; the rest was decoded
inline constexpr int kDumpOutput = 4;     // the output could not be written

// Prints every message of the byte stream read from `in` to `out`, as soon
// as it is whole; `head` holds bytes already taken from `in`, which come
// first. What is wrong with the input goes to `err`, with its byte offset,
// and makes the result kDumpMalformed.
int DumpStream(std::istream& in, const DumpOptions& options, std::ostream& out, std::ostream& err,
               const std::string& head = "");

// True when this build reads packet captures (it was built with libpcap).
bool CapturesSupported();
// True when `bytes` start like a pcap or pcapng file.
bool IsCapture(const std::string& bytes);

// Decodes a packet capture in a file, or held in memory: every TCP
// connection to options.port, both directions. Each message line names its
// connection, the capture time of the segment that completed it and its
// offset in its direction's stream. A lost segment is reported with the
// stream offsets of the gap, and that direction is not decoded further.
int DumpCaptureFile(const std::string& path, const DumpOptions& options, std::ostream& out,
                    std::ostream& err);
int DumpCaptureBytes(const uint8_t* bytes, size_t size, const DumpOptions& options,
                     std::ostream& out, std::ostream& err);

}  // namespace kdump

#endif  // KESTREL_DUMP_DUMP_H
