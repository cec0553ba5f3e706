// The bookkeeping around the short-name queries, over the in-memory volume:
// the compactor alone (with a ready junction table) and the whole driver
// (arguments, junction registration, report). Entries from 10 to 100,000,
// junctions from 0 to 1,000; time per entry is reported as time_per_entry.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "cli/run_pathshrink.h"
#include "compact/compact_path_list.h"
#include "testing/fake_file_system.h"

namespace pathshrink {
namespace {

// A volume with `entries` list entries below `junctions` vendor directories
// (or one, with no junctions): every second entry repeats an earlier one and
// one in twenty does not exist, roughly as in a grown PATH.
struct Workload {
  FakeFileSystem fs;
  std::string list;
  std::vector<std::string> junctionPaths;
  JunctionTable table;

  Workload(int entries, int junctions) {
    const int vendors = std::max(junctions, 1);
    for (int v = 0; v < vendors; ++v) {
      const std::string n = std::to_string(v);
      fs.AddDirectory("C:\\Vendor Directory " + n, "C:\\VENDOR~" + n);
      if (v < junctions) {
        const std::string path = "C:\\v" + n;
        fs.AddDirectory(path, path);
        fs.AddJunction(path, "C:\\Vendor Directory " + n);
        junctionPaths.push_back(path);
        table.push_back(
            {path, "c:\\vendor~" + n, static_cast<std::int32_t>(20 + n.size() - path.size())});
      }
    }
    std::stable_sort(
        table.begin(), table.end(),
        [](const JunctionEntry& a, const JunctionEntry& b) { return a.savings > b.savings; });
    for (int i = 0; i < entries; ++i) {
      const int product = i % 2 == 1 ? i / 2 : i;  // every second one repeats
      const std::string vendor = std::to_string(product % vendors);
      const std::string name = "Product With A Long Name " + std::to_string(product);
      std::string longPath = "C:\\Vendor Directory ";
      longPath.append(vendor).append("\\").append(name);
      if (i % 20 != 19) {
        fs.AddDirectory(longPath, "C:\\VENDOR~" + vendor + "\\PRODUC~" + std::to_string(product));
      }
      list += (i == 0 ? "" : ";") + longPath;
    }
  }
};

// A stream that discards everything, so the benchmark measures the tool's
// work, not a terminal's.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Seconds per entry (shown as, e.g., 850n for 850 ns).
void ReportPerEntry(benchmark::State& state, int entries) {
  state.SetComplexityN(entries);
  state.counters["time_per_entry"] = benchmark::Counter(
      entries, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CompactPathList(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  Workload work(entries, static_cast<int>(state.range(1)));
  NullBuffer discard;
  std::ostream err(&discard);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CompactPathList(work.table, work.list, work.fs));
  }
  ReportPerEntry(state, entries);
}

void BM_RunPathShrink(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  Workload work(entries, static_cast<int>(state.range(1)));
  std::vector<const char*> argv = {"pathshrink", work.list.c_str()};
  for (const std::string& junction : work.junctionPaths) {
    argv.push_back("-j");
    argv.push_back(junction.c_str());
  }
  NullBuffer discard;
  std::ostream out(&discard);
  std::ostream err(&discard);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        RunPathShrink(static_cast<int>(argv.size()), argv.data(), work.fs, out, err));
  }
  ReportPerEntry(state, entries);
}

// Entries from 10 to 100,000 for each junction count; the fit is over the
// entries at a fixed junction count.
void Sizes(benchmark::internal::Benchmark* b, int junctions) {
  for (int n = 10; n <= 100000; n *= 10) b->Args({n, junctions});
}

#define PATHSHRINK_BENCH(fn, junctions)                                       \
  BENCHMARK(fn)                                                               \
      ->Name(#fn "/junctions:" #junctions)                                    \
      ->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, junctions); }) \
      ->Complexity(benchmark::oNLogN)

PATHSHRINK_BENCH(BM_CompactPathList, 0);
PATHSHRINK_BENCH(BM_CompactPathList, 10);
PATHSHRINK_BENCH(BM_CompactPathList, 100);
PATHSHRINK_BENCH(BM_CompactPathList, 1000);
PATHSHRINK_BENCH(BM_RunPathShrink, 0);
PATHSHRINK_BENCH(BM_RunPathShrink, 100);
PATHSHRINK_BENCH(BM_RunPathShrink, 1000);

}  // namespace
}  // namespace pathshrink

BENCHMARK_MAIN();
