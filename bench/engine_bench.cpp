// The engine alone, over files held in memory: what a conversion costs with
// the disk and the kernel left out. Each file is made once by the generator,
// 20 MB of each kind.
//
//   morvex-engine-bench [--benchmark_filter=REGEX] [other Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "byte_stream.h"
#include "conversion_state.h"
#include "file_header.h"
#include "gdb_generator.h"
#include "record_dispatch.h"

namespace {

constexpr uint64_t kFileSize = 20 << 20;

// Counts what it is given and keeps nothing.
class DiscardingOutputStream final : public OutputStream {
 public:
  DiscardingOutputStream() : OutputStream(kDefaultStreamBuffer) {}
  ~DiscardingOutputStream() override { FlushBeforeDestruction(); }

 private:
  bool Drain(const uint8_t*, size_t) override { return true; }
};

std::string Generate(const std::string& kind, char version) {
  GeneratorOptions options;
  options.kind = kind;
  options.version = version;
  options.size = kFileSize;
  std::string bytes;
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return bytes;
  if (GenerateGdb(options, file)) {
    std::rewind(file);
    char block[1 << 16];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  }
  std::fclose(file);
  return bytes;
}

// The bench files of scripts/bench, smaller: routes in version 'm', tracks
// in 'l', the mix in 'k'.
const std::string& File(const std::string& kind) {
  static std::map<std::string, std::string> files;
  auto found = files.find(kind);
  if (found == files.end()) {
    const char version = kind == "routes" ? 'm' : kind == "tracks" ? 'l' : 'k';
    found = files.emplace(kind, Generate(kind, version)).first;
  }
  return found->second;
}

// Returns false when the run did not reach the end record.
bool Convert(const std::string& file, char mode) {
  MemoryInputStream input(file);
  DiscardingOutputStream output;
  if (CopyFileHeader(output, input) != 1) return false;
  for (;;) {
    const int type = ConvertRecord(input, output, mode);
    if (type == kInputEnded) return false;
    if (type == kEndRecord) return true;
  }
}

void BM_Convert(benchmark::State& state, const std::string& kind, char mode) {
  const std::string& file = File(kind);
  g_language = 1;
  g_maxViasPerRoute = 250;
  for (auto _ : state) {
    if (!Convert(file, mode)) {
      state.SkipWithError("the conversion did not reach the end record");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}

BENCHMARK_CAPTURE(BM_Convert, option1_routes, std::string("routes"), kRoutesToTracksAllPoints)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option2_routes, std::string("routes"), kRoutesToTracksViaPoints)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option3_routes, std::string("routes"), kViasToUserWaypoints)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option3_mix, std::string("mix"), kViasToUserWaypoints)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option4_mix, std::string("mix"), kViasToHiddenVias)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option5_tracks, std::string("tracks"), kTracksToRoutesUserVias)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option6_tracks, std::string("tracks"), kTracksToRoutesHiddenVias)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option1_mix, std::string("mix"), kRoutesToTracksAllPoints)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Convert, option5_mix, std::string("mix"), kTracksToRoutesUserVias)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
