// The engine alone, over files held in memory: what a conversion costs with
// the disk and the kernel left out. Each file is made once by the generator,
// 20 MB of each kind.
//
//   morvex-engine-bench [--benchmark_filter=REGEX] [other Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "byte_stream.h"
#include "conversion.h"
#include "conversion_state.h"
#include "gdb_generator.h"

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
bool Convert(ConversionState& state, const std::string& file, ConversionMode mode) {
  MemoryInputStream input(file);
  DiscardingOutputStream output;
  return ConvertGdb(state, ConversionSettings{}, input, output, mode).reachedEnd;
}

void ConvertFile(benchmark::State& state, const std::string& kind, ConversionMode mode) {
  const std::string& file = File(kind);
  const auto conversion = NewConversionState();
  for (auto _ : state) {
    if (!Convert(*conversion, file, mode)) {
      state.SkipWithError("the conversion did not reach the end record");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}

struct BenchCase {
  const char* name;
  const char* kind;
  ConversionMode mode;
};

// Each option on the kind of file it rewrites, and a few on the mix.
constexpr BenchCase kCases[] = {
    {"option1_routes", "routes", ConversionMode::kRoutesToTracksAllPoints},
    {"option2_routes", "routes", ConversionMode::kRoutesToTracksViaPoints},
    {"option3_routes", "routes", ConversionMode::kViasToUserWaypoints},
    {"option3_mix", "mix", ConversionMode::kViasToUserWaypoints},
    {"option4_mix", "mix", ConversionMode::kViasToHiddenVias},
    {"option5_tracks", "tracks", ConversionMode::kTracksToRoutesUserVias},
    {"option6_tracks", "tracks", ConversionMode::kTracksToRoutesHiddenVias},
    {"option1_mix", "mix", ConversionMode::kRoutesToTracksAllPoints},
    {"option5_mix", "mix", ConversionMode::kTracksToRoutesUserVias},
};

}  // namespace

int main(int argc, char** argv) {
  for (const BenchCase& c : kCases) {
    benchmark::RegisterBenchmark(c.name, [c](benchmark::State& state) {
      ConvertFile(state, c.kind, c.mode);
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
