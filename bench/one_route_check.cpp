// morvex-one-route-check [--bounded] N FILE.gdb: the via choice of one route
// per track on every track of the file, with at most N vias: the largest
// distance of a track point from its route as a run chooses the vias and as
// the exact search (however long it takes) does, in metres, and the
// processor time of each in seconds, on one line. --bounded leaves the exact
// search out (its figures are 0). Used by scripts/bench-one-route.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "conversion_state.h"
#include "one_route.h"
#include "preview_model.h"

namespace {

double ProcessorSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Outcome {
  double metres = 0;
  double seconds = 0;
};

Outcome ChooseForAll(ConversionState& state, const std::vector<preview::Path>& tracks,
                     uint32_t maxVias, OneRouteSearch search) {
  Outcome outcome;
  std::vector<uint32_t> vias(kMostOneRouteVias);
  for (const preview::Path& track : tracks) {
    StartConversion(state, {.maxViasPerRoute = maxVias, .oneRoute = true});
    for (const preview::Place& p : track.points) AppendPoint(state, p.latitude, p.longitude);
    DistanceKey farthest = 0;
    const double start = ProcessorSeconds();
    ChooseOneRouteVias(state, maxVias, vias.data(), farthest, search);
    outcome.seconds += ProcessorSeconds() - start;
    const double metres = KeyToMetres(farthest);
    if (metres > outcome.metres) outcome.metres = metres;
  }
  return outcome;
}

}  // namespace

int main(int argc, char** argv) {
  const bool boundedOnly = argc == 4 && std::string(argv[1]) == "--bounded";
  if (argc != 3 && !boundedOnly) {
    std::fprintf(stderr, "usage: morvex-one-route-check [--bounded] N FILE.gdb\n");
    return 2;
  }
  const auto maxVias = static_cast<uint32_t>(std::stoul(argv[argc - 2]));
  std::ifstream file(argv[argc - 1], std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), {}};
  const preview::Geometry geometry = preview::ReadGeometry(bytes);
  if (!geometry.gdb || maxVias < 2 || maxVias > kMostOneRouteVias) {
    std::fprintf(stderr, "morvex-one-route-check: no GDB file or a bad N\n");
    return 1;
  }
  ConversionStatePtr state = NewConversionState();
  const Outcome bounded = ChooseForAll(*state, geometry.tracks, maxVias, OneRouteSearch::kBounded);
  const Outcome exact =
      getenv("SKIPX") ? Outcome{}
                      : ChooseForAll(*state, geometry.tracks, maxVias, OneRouteSearch::kExact);
  std::printf("%.3f %.3f %.4f %.4f\n", bounded.metres, exact.metres, bounded.seconds,
              exact.seconds);
  return 0;
}
