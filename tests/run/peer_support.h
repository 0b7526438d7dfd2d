// The peer check's tools: gpsbabel to make GDB files from GPX and to read any
// GDB file back, morvex-convert to convert, and what gpsbabel must read from
// a converted file, given what it read from the input.
#pragma once

#include <filesystem>
#include <string>

#include "gpx.h"

namespace runtest {

bool HaveGpsbabel();

// gpsbabel -i gpx -f gpx -o gdb,ver=version -F gdb. Empty on success, else what went wrong.
std::string MakeGdb(const std::filesystem::path& gpx, int version,
                    const std::filesystem::path& gdb);

// gpsbabel -i gdb -f gdb -o gpx -F <a scratch file>: what gpsbabel reads from
// a GDB file. Nothing is written beside the GDB file. Empty on success, else
// what went wrong.
std::string ReadBack(const std::filesystem::path& gdb, GpxData& data);

// morvex-convert --quiet --option option --max-vias maxVias [--one-route]
// input output. Empty on a completed run, else its status and messages.
std::string Convert(const std::filesystem::path& input, const std::filesystem::path& output,
                    int option, int maxVias = 250, bool oneRoute = false);

// Checks the file with the independent frame checker.
void ExpectFramesOk(const std::filesystem::path& gdb);

// Checks, with GoogleTest assertions, that got is what gpsbabel must read
// from the conversion of inputGdb (whose own reading is base) with option and
// maxVias: counts, names and coordinates of waypoints, routes, route points,
// tracks and track points.
void ExpectConverted(const std::string& inputGdb, const GpxData& base, const GpxData& got,
                     int option, int maxVias);

// Checks that tracks, read from a file converted with option 5 or 6 and then
// with option 2, give back every track of base: the routes made from one
// track, in order, hold its points in order without consecutive repeats.
void ExpectTracksGivenBack(const GpxData& base, const GpxData& tracks);

}  // namespace runtest
