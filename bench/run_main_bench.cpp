// RunMain on long command tails, against the recording platform (no files
// are touched): time per byte of the tail for 1, 8 and 32 KiB, to show that
// reading the tail stays linear in its length.
//   build/native/bench/run_main_bench
#include <benchmark/benchmark.h>

#include <string>

#include "cmdline/command_line.h"
#include "cmdline/run_main.h"
#include "fake_platform.h"

namespace {

// A tail of `bytes` bytes: the request first, then `filler` arguments
// (extra positionals, which refuse the line once it is read, or options)
// up to the length.
std::string Tail(std::size_t bytes, const std::string& filler) {
  std::string tail = "/c /s copy a.txt;b.txt out";
  while (tail.size() + filler.size() + 1 <= bytes) tail += " " + filler;
  tail.resize(bytes, 'x');
  return tail;
}

void RunTail(benchmark::State& state, const std::string& filler, std::size_t requests) {
  const std::string tail = Tail(static_cast<std::size_t>(state.range(0)), filler);
  const std::string raw = "vandrix " + tail;
  vandrix::StoreCommandTail(raw.c_str());
  vandrix_test::FakePlatform fake;
  const vandrix_test::FakeFiles no_files({});  // "a.txt;b.txt" names no item
  for (auto _ : state) {
    fake.requests.clear();
    benchmark::DoNotOptimize(vandrix::RunMain());
  }
  if (fake.requests.size() != requests) state.SkipWithError("not the shell requests meant");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tail.size()));
  state.counters["ns_per_byte"] = benchmark::Counter(
      static_cast<double>(tail.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Many short positional arguments: the line is read whole, then refused.
void BM_ShortArguments(benchmark::State& state) { RunTail(state, "ab", 0); }
// Many options, each looked up in the option table.
void BM_Options(benchmark::State& state) { RunTail(state, "/q", 1); }
// Many quoted arguments: read whole, then refused.
void BM_QuotedArguments(benchmark::State& state) { RunTail(state, "\"a b\"", 0); }

BENCHMARK(BM_ShortArguments)->Arg(1024)->Arg(8192)->Arg(32766);
BENCHMARK(BM_Options)->Arg(1024)->Arg(8192)->Arg(32766);
BENCHMARK(BM_QuotedArguments)->Arg(1024)->Arg(8192)->Arg(32766);

}  // namespace

BENCHMARK_MAIN();
