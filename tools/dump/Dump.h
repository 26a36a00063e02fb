// kestrel-dump's work: cut a capture into messages with KestrelFramer,
// decode each with the library, and print it.
#ifndef KESTREL_DUMP_DUMP_H
#define KESTREL_DUMP_DUMP_H

#include <iosfwd>
#include <string>

#include "KestrelFramer.h"

namespace kdump {

struct DumpOptions {
  bool table = false;  // text for people instead of JSON Lines
  int maxRows = -1;    // table: rows shown per series or table; negative for all
  int maxMessage = kKestrelFramerDefaultMaxMessage;
};

// Exit statuses of kestrel-dump.
inline constexpr int kDumpOk = 0;         // every byte belonged to a whole message
inline constexpr int kDumpMalformed = 1;  // a bad length, a cut message, unreadable input
inline constexpr int kDumpUsage = 2;      // a bad command line

// Prints every message of the capture read from `in` to `out`, as soon as it
// is whole. What is wrong with the input goes to `err`, with its byte
// offset, and makes the result kDumpMalformed.
int DumpStream(std::istream& in, const DumpOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kdump

#endif  // KESTREL_DUMP_DUMP_H
