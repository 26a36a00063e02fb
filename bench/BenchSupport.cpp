// Allocation counting, the reference loop and baselines, and the
// registration of cases; see BenchSupport.h.
#include "BenchSupport.h"

#include <sys/mman.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <new>
#include <optional>
#include <type_traits>

#include "KestrelUtils.h"
#include "codes/TernCode.h"
#include "model/ResultMemory.h"

namespace {

std::atomic<int64_t> gAllocationCount{0};
std::atomic<int64_t> gAllocatedBytes{0};

void* CountedAllocation(std::size_t size, std::size_t alignment) {
  gAllocationCount.fetch_add(1, std::memory_order_relaxed);
  gAllocatedBytes.fetch_add(static_cast<int64_t>(size), std::memory_order_relaxed);
  if (size == 0) size = 1;
  if (alignment <= alignof(std::max_align_t)) return std::malloc(size);
  void* p = nullptr;
  return posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}

void* CountedAllocationOrThrow(std::size_t size, std::size_t alignment) {
  if (void* p = CountedAllocation(size, alignment)) return p;
  throw std::bad_alloc();
}

}  // namespace

// Every allocation of the process goes through these, so allocations per
// message are counted whatever allocates: the library, the standard library
// or the benchmark itself (between its timed loops only).
void* operator new(std::size_t size) { return CountedAllocationOrThrow(size, 0); }
void* operator new[](std::size_t size) { return CountedAllocationOrThrow(size, 0); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocation(size, 0);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocation(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return CountedAllocationOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return CountedAllocationOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return CountedAllocation(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return CountedAllocation(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }

namespace kbench {

Allocations AllocationsSoFar() {
  return {gAllocationCount.load(std::memory_order_relaxed),
          gAllocatedBytes.load(std::memory_order_relaxed)};
}

// The reference loops start on a 64-byte boundary, so that their inner
// loop never straddles one: where it did, depending on how much code came
// before it in the build, the same loop ran up to a quarter slower.
#if defined(__GNUC__)
#define KBENCH_REFERENCE_ALIGN __attribute__((aligned(64)))
#else
#define KBENCH_REFERENCE_ALIGN
#endif

KBENCH_REFERENCE_ALIGN size_t ReadStopBitFields(const uint8_t* bytes, size_t size, uint64_t* out) {
  size_t fields = 0;
  size_t i = 0;
  while (i < size) {
    uint64_t value = 0;
    uint8_t byte;
    do {
      byte = bytes[i++];
      value = (value << 7) | (byte & 0x7f);
    } while (!(byte & 0x80) && i < size);
    out[fields++] = value;
  }
  return fields;
}

KBENCH_REFERENCE_ALIGN size_t ReadSignedStopBitFields(const uint8_t* bytes, size_t size,
                                                      int64_t* out) {
  size_t fields = 0;
  size_t i = 0;
  while (i < size) {
    uint64_t value = (bytes[i] & 0x40) ? ~uint64_t{0} : 0;
    uint8_t byte;
    do {
      byte = bytes[i++];
      value = (value << 7) | (byte & 0x7f);
    } while (!(byte & 0x80) && i < size);
    out[fields++] = static_cast<int64_t>(value);
  }
  return fields;
}

kt::Bytes CompactCode(const char* text) {
  CCode code;
  WriteTernCode(code, text);
  return kt::Bytes(code.GetContent(), code.GetContent() + code.GetLength());
}

void SignedRun(kt::MessageBuilder& b, int n, int64_t low, int64_t high, std::mt19937& random) {
  const auto span = static_cast<uint64_t>(high - low) + 1;
  for (int i = 0; i < n; ++i) b.Int(low + static_cast<int64_t>(random() % span));
}

void UnsignedRun(kt::MessageBuilder& b, int n, uint32_t low, uint32_t high, std::mt19937& random) {
  const uint64_t span = uint64_t{high} - low + 1;
  for (int i = 0; i < n; ++i) b.UInt(low + random() % span);
}

CaseData Message(kt::Bytes message, int64_t values) {
  CaseData data;
  data.wire = std::move(message);
  data.values = values;
  return data;
}

CaseData CompressedMessage(const CaseData& plain) {
  CaseData data;
  data.payload = kt::Deflate(plain.wire);
  data.wire = kt::Frame(54, data.payload);
  data.values = plain.values;
  data.inflated = plain.wire.size();
  return data;
}

namespace {

int gFixedIterations = 0;

// CPU seconds of the calling thread.
double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The timed runs of each benchmark, by name. Google Benchmark runs a
// benchmark a few times with growing iteration counts before the run it
// reports, and once more for each repetition.
struct TimedRun {
  double cpuSeconds;
  double perMessage;
};
std::map<std::string, std::vector<TimedRun>>& TimedRuns() {
  static std::map<std::string, std::vector<TimedRun>> registry;
  return registry;
}

// The CPU time per message of a benchmark: the least of its runs that
// lasted at least half as long as its longest (the reported runs, not the
// short ones that chose their iteration counts). Other work on the machine
// only ever slows a run down, so the least is the steadiest figure.
std::optional<double> CpuPerMessage(const std::string& name) {
  const auto found = TimedRuns().find(name);
  if (found == TimedRuns().end() || found->second.empty()) return std::nullopt;
  double longest = 0;
  for (const TimedRun& run : found->second) longest = std::max(longest, run.cpuSeconds);
  std::optional<double> least;
  for (const TimedRun& run : found->second) {
    if (run.cpuSeconds >= longest / 2 && (!least || run.perMessage < *least)) {
      least = run.perMessage;
    }
  }
  return least;
}

// The sum of the named benchmarks' CPU times per message; empty unless all
// of them have run.
std::optional<double> CpuPerMessageOf(const std::vector<std::string>& names) {
  double sum = 0;
  for (const std::string& name : names) {
    const std::optional<double> time = CpuPerMessage(name);
    if (!time) return std::nullopt;
    sum += *time;
  }
  return sum;
}

// The work of one message of a benchmark and the values it yields.
struct Work {
  std::function<void()> run;
  int64_t values = 0;
};
using Setup = std::function<Work(const CaseData&, benchmark::State&)>;

// A case's data, built the first time a benchmark of the case asks for it,
// so that a filtered run builds only the messages it measures.
class LazyCase {
 public:
  explicit LazyCase(std::function<CaseData()> build) : build_(std::move(build)) {}
  const CaseData& Get() {
    if (!data_) data_ = build_();
    return *data_;
  }

 private:
  std::function<CaseData()> build_;
  std::optional<CaseData> data_;
};

struct Measured {
  std::string name;      // <case>/<label>
  std::string caseName;  // <case>
  bool isReference = false;
  std::vector<std::pair<std::string, std::vector<std::string>>> ratios;
};

void Run(benchmark::State& state, const Measured& m, LazyCase& lazy, const Setup& setup) {
  const CaseData& data = lazy.Get();
  const Work work = setup(data, state);
  if (state.error_occurred() || !work.run) return;

  const Allocations before = AllocationsSoFar();
  const uint64_t blocksBefore = kestrel::ThreadResultMemoryStats().requests;
  const double start = ThreadCpuSeconds();
  for (auto _ : state) work.run();
  const double cpu = ThreadCpuSeconds() - start;
  const Allocations after = AllocationsSoFar();
  const uint64_t blocksAfter = kestrel::ThreadResultMemoryStats().requests;

  const auto messages = static_cast<double>(state.iterations());
  const double perMessage = cpu / messages;
  TimedRuns()[m.name].push_back({cpu, perMessage});

  const auto values = static_cast<double>(work.values);
  const auto bytes = static_cast<double>(data.wire.size());
  using benchmark::Counter;
  state.counters["msgs/s"] = Counter(messages, Counter::kIsRate);
  state.counters["MB/s"] = Counter(messages * bytes / 1e6, Counter::kIsRate);
  state.counters["bytes"] = bytes;
  state.counters["allocs/msg"] = static_cast<double>(after.count - before.count) / messages;
  state.counters["alloc_bytes/msg"] = static_cast<double>(after.bytes - before.bytes) / messages;
  state.counters["blocks/msg"] = static_cast<double>(blocksAfter - blocksBefore) / messages;
  if (values > 0) {
    state.counters[m.isReference ? "fields" : "values"] = values;
    state.counters[m.isReference ? "fields/s" : "values/s"] =
        Counter(messages * values, Counter::kIsRate);
  }
  auto ratios = m.ratios;
  if (!m.isReference) ratios.insert(ratios.begin(), {"x_ref", {m.caseName + "/reference"}});
  for (const auto& [counter, names] : ratios) {
    if (const auto base = CpuPerMessageOf(names); base && *base > 0) {
      state.counters[counter] = perMessage / *base;
    }
  }
}

void Register(const Measured& m, const std::shared_ptr<LazyCase>& lazy, Setup setup) {
  benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(
      m.name.c_str(), [m, lazy, setup](benchmark::State& state) { Run(state, m, *lazy, setup); });
  b->Unit(benchmark::kMicrosecond);
  if (gFixedIterations > 0) b->Iterations(gFixedIterations);
}

// A zeroed buffer of n elements mapped straight from the system, outside the
// C library's heap. The baselines work in these: a large block that the C
// library frees raises its threshold for handing freed memory back to the
// system, and that would spare the decodes measured after a baseline the
// page faults that a host's decodes meet.
template <typename T>
class MappedBuffer {
 public:
  explicit MappedBuffer(size_t n) : bytes_(std::max<size_t>(n, 1) * sizeof(T)) {
    void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<T*>(p);
  }
  ~MappedBuffer() { munmap(data_, bytes_); }
  MappedBuffer(const MappedBuffer&) = delete;
  MappedBuffer& operator=(const MappedBuffer&) = delete;
  T* data() const { return data_; }
  size_t size() const { return bytes_ / sizeof(T); }

 private:
  size_t bytes_;
  T* data_ = nullptr;
};

// The reference loop over the bytes, or over the inflated message of a
// compressed case: inflating it is part of the simplest way to read it.
Work ReferenceWork(const CaseData& data, Reference reference) {
  const bool compressed = reference == Reference::kInflated;
  auto inflated = std::make_shared<MappedBuffer<uint8_t>>(compressed ? data.inflated : 0);
  const uint8_t* bytes = compressed ? inflated->data() : data.wire.data();
  const size_t size = compressed ? data.inflated : data.wire.size();
  auto out = std::make_shared<MappedBuffer<uint64_t>>(size + 1);
  const uint8_t* payload = data.payload.data();
  const auto payloadSize = static_cast<uLong>(data.payload.size());
  const bool isSigned = reference == Reference::kSigned;
  const auto read = [compressed, inflated, payload, payloadSize, bytes, size, out, isSigned] {
    if (compressed) {
      uLongf produced = static_cast<uLongf>(inflated->size());
      uncompress(inflated->data(), &produced, payload, payloadSize);
    }
    return isSigned ? ReadSignedStopBitFields(bytes, size, reinterpret_cast<int64_t*>(out->data()))
                    : ReadStopBitFields(bytes, size, out->data());
  };
  const auto count = static_cast<int64_t>(read());
  return {[read, out] {
            benchmark::DoNotOptimize(read());
            benchmark::DoNotOptimize(out->data());
            benchmark::ClobberMemory();
          },
          count};
}

Work MemcpyWork(const CaseData& data) {
  auto copy = std::make_shared<MappedBuffer<uint8_t>>(data.wire.size());
  const uint8_t* from = data.wire.data();
  return {[copy, from] {
            std::memcpy(copy->data(), from, copy->size());
            benchmark::DoNotOptimize(copy->data());
            benchmark::ClobberMemory();
          },
          0};
}

Work UncompressWork(const CaseData& data, benchmark::State& state) {
  auto output = std::make_shared<MappedBuffer<uint8_t>>(data.inflated);
  const uint8_t* payload = data.payload.data();
  const uLong payloadSize = static_cast<uLong>(data.payload.size());
  const auto inflate = [output, payload, payloadSize] {
    uLongf produced = static_cast<uLongf>(output->size());
    return uncompress(output->data(), &produced, payload, payloadSize);
  };
  if (inflate() != Z_OK) {
    state.SkipWithError("the payload does not inflate");
    return {};
  }
  return {[inflate, output] {
            benchmark::DoNotOptimize(inflate());
            benchmark::DoNotOptimize(output->data());
          },
          0};
}

}  // namespace

void SetFixedIterations(int n) { gFixedIterations = n; }

void RegisterCase(const std::string& name, std::function<CaseData()> build,
                  std::vector<NamedSubject> subjects, Reference reference) {
  auto lazy = std::make_shared<LazyCase>(std::move(build));
  Register({name + "/reference", name, true, {}}, lazy,
           [reference](const CaseData& data, benchmark::State&) {
             return ReferenceWork(data, reference);
           });
  Register({name + "/memcpy", name, false, {}}, lazy,
           [](const CaseData& data, benchmark::State&) { return MemcpyWork(data); });
  if (reference == Reference::kInflated) {
    Register({name + "/uncompress", name, false, {}}, lazy, UncompressWork);
  }
  for (NamedSubject& s : subjects) {
    Register({name + "/" + s.label, name, false, s.ratios}, lazy,
             [subject = std::move(s.subject)](const CaseData& data, benchmark::State& state) {
               return Work{subject(data, state), data.values};
             });
  }
}

int64_t CountKestrelDataValues(char* result, int) {
  auto* data = reinterpret_cast<CKestrelData*>(result);
  if (data == nullptr) return -1;
  int64_t values = 0;
  for (int q = 0; q < data->GetQuoteDataNum(); ++q) {
    values += data->GetKestrelQuoteData()[q].GetIndexToValue()->GetNum();
  }
  for (int h = 0; h < data->GetHisDataNum(); ++h) {
    CIndexToValue* columns = data->GetKestrelHisData()[h].GetIndexToValue();
    for (int k = 0; k < columns->GetNum(); ++k) values += columns->GetOneIndexValueNum()[k];
  }
  for (int l = 0; l < data->GetL2OrderQueueNum(); ++l) {
    values += data->GetKestrelL2OrderQueue()[l].GetL2OrderQueuePriceLevelNum();
  }
  return values + data->GetMarketEventListLen();
}

namespace {

// The bit patterns of n elements added up: every element is read, and the
// loop runs as fast as the memory delivers them (no chain of floating-point
// additions).
template <typename T>
uint64_t SumOfBits(const T* elements, int n) {
  uint64_t sum = 0;
  for (int i = 0; i < n; ++i) {
    std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t> bits;
    std::memcpy(&bits, &elements[i], sizeof bits);
    sum += bits;
  }
  return sum;
}

// Every value of a result read once, as a host that uses them does.
struct ValueSums {
  uint64_t sum = 0;

  void Add(CIndexToValue& columns) {
    const CIndexValue* cells = columns.GetIndexValue();
    const int* types = columns.GetValueType();
    const int* counts = columns.GetOneIndexValueNum();
    if (cells == nullptr || types == nullptr || counts == nullptr) return;
    for (int k = 0, n = columns.GetNum(); k < n; ++k) {
      const CIndexValue& cell = cells[k];
      if (types[k] < 10) {
        sum += static_cast<uint64_t>(cell.llValue);
      } else if (types[k] == 12 && cell.pnValue != nullptr) {
        sum += SumOfBits(cell.pnValue, counts[k]);
      } else if (types[k] == 13 && cell.pdValue != nullptr) {
        sum += SumOfBits(cell.pdValue, counts[k]);
      } else if (types[k] == 14 && cell.pllValue != nullptr) {
        sum += SumOfBits(cell.pllValue, counts[k]);
      }
    }
  }
};

ValueSums SumOfValues(CKestrelData& data) {
  ValueSums sums;
  for (int q = 0; q < data.GetQuoteDataNum(); ++q) {
    sums.Add(*data.GetKestrelQuoteData()[q].GetIndexToValue());
  }
  for (int h = 0; h < data.GetHisDataNum(); ++h) {
    sums.Add(*data.GetKestrelHisData()[h].GetIndexToValue());
  }
  return sums;
}

// The work of one message: decode the host's copy, do `use` with the result,
// free it.
template <typename Use>
Subject DecodeAnd(ValueCounter count, Use use) {
  return [count, use](const CaseData& data, benchmark::State& state) -> std::function<void()> {
    CKestrelCode::StartUp();
    // The host's receive buffer (outside the C library's heap, like the
    // baselines' buffers).
    auto copy = std::make_shared<MappedBuffer<char>>(data.wire.size());
    std::memcpy(copy->data(), data.wire.data(), data.wire.size());
    int type = 0;
    char* result = CKestrelCode::DecodeOneMessage(copy->data(), &type);
    const int64_t values = result != nullptr ? count(result, type) : -1;
    CKestrelCode::ClearDecodeMessage(result, type);
    if (values != data.values) {
      const std::string error =
          "decoded " + std::to_string(values) + " values, not " + std::to_string(data.values);
      state.SkipWithError(error.c_str());
      return {};
    }
    return [copy, use] {
      int type = 0;
      char* result = CKestrelCode::DecodeOneMessage(copy->data(), &type);
      benchmark::DoNotOptimize(result);
      use(result);
      CKestrelCode::ClearDecodeMessage(result, type);
    };
  };
}

}  // namespace

Subject DecodeSubject(ValueCounter count) {
  return DecodeAnd(std::move(count), [](char*) {});
}

Subject HostLoopSubject(ValueCounter count) {
  return DecodeAnd(std::move(count), [](char* result) {
    if (result == nullptr) return;
    ValueSums sums = SumOfValues(*reinterpret_cast<CKestrelData*>(result));
    benchmark::DoNotOptimize(sums);
  });
}

void RegisterHostLoopCase(const std::string& name, std::function<CaseData()> build,
                          ValueCounter count) {
  RegisterCase(name, std::move(build),
               {{"decode", DecodeSubject(count)}, {"host", HostLoopSubject(count)}});
}

void RegisterMessageCase(const std::string& name, std::function<CaseData()> build,
                         ValueCounter count, const std::string& plainCase) {
  NamedSubject decode{"decode", DecodeSubject(std::move(count))};
  if (plainCase.empty()) {
    RegisterCase(name, std::move(build), {decode});
    return;
  }
  decode.ratios.push_back({"x_target", {name + "/uncompress", plainCase + "/decode"}});
  RegisterCase(name, std::move(build), {decode}, Reference::kInflated);
}

}  // namespace kbench
