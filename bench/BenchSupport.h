// What every benchmark case of kestrel_bench shares: counting of
// allocations, the reference loop and the baselines, and the registration of
// a case as a group of benchmarks measured side by side in one run.
//
// A case is one message (or one block of fields) and the ways of reading it.
// RegisterCase registers, in this order:
//   <case>/reference   the reference loop: every byte of the bytes read as
//                      consecutive stop-bit fields into a preallocated array;
//   <case>/memcpy      a copy of the same bytes (the memory limit);
//   <case>/uncompress  zlib's uncompress of the payload (compressed cases);
//   <case>/<subject>   each way of reading the case, e.g. decode.
// Each benchmark measures its CPU time per message with the thread CPU clock
// and keeps it by name, so a later benchmark of the same run reports its
// ratio to the reference (x_ref) and to other baselines.
//
// Counters of every benchmark: msgs/s, values/s (fields/s for the
// reference), MB/s of wire bytes, allocs/msg and alloc_bytes/msg (calls of
// the global allocation functions), blocks/msg (blocks the result memory
// handed out, from its cache or new), and the per-message constants values
// and bytes; x_ref on all but the reference.
#ifndef KESTREL_BENCH_BENCHSUPPORT_H
#define KESTREL_BENCH_BENCHSUPPORT_H

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/MessageBuilder.h"

namespace kbench {

// ---- Allocations -----------------------------------------------------------

// Calls of the global allocation functions and the bytes they asked for,
// since the process started.
struct Allocations {
  int64_t count = 0;
  int64_t bytes = 0;
};
Allocations AllocationsSoFar();

// ---- Reference loop --------------------------------------------------------

// Reads [bytes, bytes + size) as consecutive unsigned stop-bit fields (7 bits
// per byte, most significant group first, bit 7 set on the last byte of a
// field) into out, which must hold `size` values; checks the bound at every
// byte. A field cut by the end counts. Returns the number of fields.
size_t ReadStopBitFields(const uint8_t* bytes, size_t size, uint64_t* out);
// The same for signed fields: bit 6 of a field's first byte is its sign.
size_t ReadSignedStopBitFields(const uint8_t* bytes, size_t size, int64_t* out);

// ---- Messages --------------------------------------------------------------

// The compact wire form of a code, with the segment the code writer picks.
kt::Bytes CompactCode(const char* text);

// n values drawn evenly from [low, high], as signed or unsigned stop-bit
// fields: the later rows of a column, most often differences from the row
// before.
void SignedRun(kt::MessageBuilder& b, int n, int64_t low, int64_t high, std::mt19937& random);
void UnsignedRun(kt::MessageBuilder& b, int n, uint32_t low, uint32_t high, std::mt19937& random);

// What a case reads, built once on first use.
struct CaseData {
  kt::Bytes wire;       // the bytes as received: a whole message, or a block of fields
  int64_t values = 0;   // values a subject yields per message
  kt::Bytes payload;    // compressed cases: the zlib stream inside the envelope
  size_t inflated = 0;  // compressed cases: the size of the message inside
};

// A whole received message of `values` values.
CaseData Message(kt::Bytes message, int64_t values);
// The message of `plain` inside a compressed envelope (type 54).
CaseData CompressedMessage(const CaseData& plain);

// ---- Cases -----------------------------------------------------------------

// Runs every benchmark registered after it is set for exactly n iterations,
// so that instruction counts of runs are comparable (0: timed runs).
void SetFixedIterations(int n);

// A way of reading a case: set up once with the case's data (and the state,
// to skip with an error), it returns the work of one message.
using Subject = std::function<std::function<void()>(const CaseData&, benchmark::State&)>;

struct NamedSubject {
  std::string label;
  Subject subject;
  // Extra ratios: counter name and the benchmark name (in this run) whose
  // CPU time per message divides this one's, or several that add up.
  std::vector<std::pair<std::string, std::vector<std::string>>> ratios = {};
};

// How the reference loop reads a case.
enum class Reference {
  kUnsigned,  // the bytes as unsigned stop-bit fields
  kSigned,    // the bytes as signed stop-bit fields
  kInflated,  // a compressed envelope: its payload uncompressed, then unsigned fields
};

// Registers <name>/reference, <name>/memcpy, <name>/uncompress (kInflated
// cases), then <name>/<label> of each subject. `build` runs once, the first
// time a benchmark of the case runs.
void RegisterCase(const std::string& name, std::function<CaseData()> build,
                  std::vector<NamedSubject> subjects, Reference reference = Reference::kUnsigned);

// Counts the values of a decoded result of the given type; -1 when the
// result is not what the case expects.
using ValueCounter = std::function<int64_t(char* result, int type)>;
// Values a CKestrelData holds: quote entries, every history column's rows,
// order queue items and market events.
int64_t CountKestrelDataValues(char* result, int type);

// Decodes a copy of the message with DecodeOneMessage and frees the result
// with ClearDecodeMessage, as a host does. Skips with an error unless the
// first decode yields exactly the case's values.
Subject DecodeSubject(ValueCounter count = CountKestrelDataValues);

// Decodes as DecodeSubject does, then reads every value of the result (adds
// up the bits of every quote value and every series element) before freeing
// it: the loop of a host that uses what it decodes.
Subject HostLoopSubject(ValueCounter count = CountKestrelDataValues);

// Decodes the message into a kestrel::SeriesSet kept from one message to the
// next (warm after the first); with `read`, then adds up the bits of every
// row of every column, as HostLoopSubject does with the records. Skips with
// an error unless the message is a series message. (KLineBench.cpp)
Subject SeriesSubject(bool read = false);

// RegisterCase with the subjects `decode` and `host` (HostLoopSubject).
void RegisterHostLoopCase(const std::string& name, std::function<CaseData()> build,
                          ValueCounter count = CountKestrelDataValues);

// A message case: RegisterCase with the one subject `decode`. For a
// compressed case, `plainCase` names the case of the message inside: its
// decode also reports x_target, its time over the sum of uncompress and the
// plain message's decode.
void RegisterMessageCase(const std::string& name, std::function<CaseData()> build,
                         ValueCounter count = CountKestrelDataValues,
                         const std::string& plainCase = "");

// The cases of each file, registered by main in this order.
void RegisterStopBitCases();
void RegisterCodeCases();
void RegisterQuoteCases();
void RegisterKLineCases();
void RegisterTrendCases();
void RegisterLevel2Cases();
void RegisterQEDataCases();
void RegisterRankingCases();

}  // namespace kbench

#endif  // KESTREL_BENCH_BENCHSUPPORT_H
