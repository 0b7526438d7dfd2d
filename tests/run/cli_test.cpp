// morvex-convert as a user runs it: exit statuses, the messages on standard
// error, the trace on standard output, and clear refusals of bad arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "frame_checker.h"
#include "gdb_builder.h"
#include "morvex_version.h"
#include "process.h"
#include "test_fs.h"

namespace runtest {
namespace {

constexpr int kCompleted = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Absolute, with its drive on Windows: the build's path has none there, and a
// test moves the current folder to the temporary folder, on another drive.
const std::string kConvert = fs::absolute(MORVEX_CONVERT).string();

// The example's two routes become tracks with option 1, the default.
constexpr char kExampleCompleted[] =
    "Finished: GDB file conversion completed\n"
    "Summary: 2 routes became 2 tracks (7 points); 6 records copied unchanged.\n";

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input = dir / "in.gdb";
    output = dir / "out.gdb";
    WriteFile(input, ReadFile(ExampleGdb()));
  }

  static ProcessResult Convert(std::vector<std::string> args, bool merge = false) {
    args.insert(args.begin(), kConvert);
    return RunProgram(args, merge);
  }

  // "T L" for every record of the file, as the trace shows them.
  static std::string TraceOf(const std::string& gdb) {
    const gdbtest::FrameReport report = gdbtest::CheckFrames(gdb);
    EXPECT_TRUE(report.ok) << report.error;
    std::string trace;
    for (const gdbtest::FrameRecord& record : report.records) {
      trace += record.type;
      trace += ' ';
      trace += std::to_string(static_cast<int32_t>(record.length));
      trace += '\n';
    }
    return trace;
  }

  TempDir dir;
  fs::path input;
  fs::path output;
};

TEST_F(CliTest, CompletedRunTracesEveryRecordAndSaysSo) {
  const ProcessResult result = Convert({input.string(), output.string()});
  EXPECT_EQ(result.exitStatus, kCompleted);
  EXPECT_EQ(result.err, kExampleCompleted);
  EXPECT_EQ(result.out, TraceOf(ReadFile(input)));
  // Option 1 by default: the example's two routes are now tracks.
  const gdbtest::FrameReport report = gdbtest::CheckFrames(ReadFile(output));
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_EQ(report.routes, 0u);
  EXPECT_EQ(report.tracks, 3u);
}

TEST_F(CliTest, QuietLeavesStandardOutputEmpty) {
  for (const char* quiet : {"--quiet", "-q"}) {
    const ProcessResult result = Convert({quiet, input.string(), output.string()});
    EXPECT_EQ(result.exitStatus, kCompleted);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, kExampleCompleted);
  }
}

TEST_F(CliTest, OptionsReachTheRun) {
  const std::string original = ReadFile(input);
  const ProcessResult copied = Convert({"--option", "3", "-q", input.string(), output.string()});
  ASSERT_EQ(copied.exitStatus, kCompleted);
  EXPECT_EQ(ReadFile(output), original);  // nothing to reclassify in the example
  EXPECT_EQ(copied.err,
            "Finished: GDB file conversion completed\nSummary: Nothing to convert: the file has no "
            "auto-generated via points; 8 records copied unchanged.\n");

  const ProcessResult made =
      Convert({"--option", "5", "--max-vias", "25", "-q", input.string(), output.string()});
  ASSERT_EQ(made.exitStatus, kCompleted);
  EXPECT_EQ(made.err,
            "Finished: GDB file conversion completed\nSummary: 1 track became 1 route with 25 new "
            "waypoints; 7 records copied unchanged.\n");
  const gdbtest::FrameReport routes = gdbtest::CheckFrames(ReadFile(output));
  ASSERT_TRUE(routes.ok) << routes.error;
  EXPECT_EQ(routes.tracks, 0u);
  EXPECT_EQ(routes.routes, 3u);  // the example's two and one from its track
}

struct LanguageCase {
  const char* flag;
  const char* completed;
  const char* notGdb;
  const char* outputOpenFailed;  // the message's lines; the reason's line follows
  const char* folderMissing;     // the reason, after the path
};

void PrintTo(const LanguageCase& c, std::ostream* out) {
  *out << c.flag;
}

class CliLanguageTest : public CliTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(CliLanguageTest, MessagesComeInTheChosenLanguage) {
  const ProcessResult done =
      Convert({"--language", GetParam().flag, input.string(), output.string()});
  EXPECT_EQ(done.exitStatus, kCompleted);
  EXPECT_EQ(done.err, GetParam().completed);

  WriteFile(input, "plain text");
  const ProcessResult refused =
      Convert({"--language", GetParam().flag, input.string(), output.string()});
  EXPECT_EQ(refused.exitStatus, kFailed);
  EXPECT_EQ(refused.err, GetParam().notGdb);
}

TEST_P(CliLanguageTest, TheReasonComesOnALineOfItsOwn) {
  WriteFile(input, ReadFile(ExampleGdb()));
  const std::string nowhere = (dir / "no-such" / "out.gdb").string();
  const ProcessResult refused = Convert({"--language", GetParam().flag, input.string(), nowhere});
  EXPECT_EQ(refused.exitStatus, kFailed);
  EXPECT_EQ(refused.err, GetParam().outputOpenFailed + nowhere + GetParam().folderMissing);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, CliLanguageTest,
    ::testing::Values(
        LanguageCase{"en", kExampleCompleted, "File error: Input file is not in GDB format\n",
                     "File error: Cannot open output file\nSame file as input or Read-Only?\n",
                     ": the folder does not exist\n"},
        LanguageCase{"nl",
                     "Klaar: GDB bestandsconversie voltooid\n"
                     "Samenvatting: 2 routes omgezet in 2 tracks (7 punten); 6 "
                     "records ongewijzigd gekopieerd.\n",
                     "Bestandsfout: Invoer bestand is niet in GDB formaat\n",
                     "Bestandsfout: Kan het uitvoer bestand niet openen\n"
                     "Zelfde bestand als invoer of Read-Only?\n",
                     ": de map bestaat niet\n"},
        LanguageCase{"de",
                     "Fertig: GDB Datei Konvertierung komplett\n"
                     "Zusammenfassung: 2 Routen in 2 Tracks umgewandelt (7 Punkte); "
                     "6 Datensätze unverändert kopiert.\n",
                     "Datei Fehler: Eingabe-Datei ist nicht im GDB Format\n",
                     "Datei Fehler: Kann Ausgabe-Datei nicht öffnen\n"
                     "Gleiche Datei wie Eingabe-Datei oder Nur Lesen\n",
                     ": der Ordner existiert nicht\n"}),
    [](const auto& info) { return std::string(info.param.flag); });

TEST_F(CliTest, FailedRunsExitWithOne) {
  const std::string whole = ReadFile(input);
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string err;
  };
  const fs::path cut = dir / "cut.gdb";
  WriteFile(cut, whole.substr(0, whole.size() - 1));
  const std::vector<Case> cases = {
      {"missing input",
       {(dir / "none.gdb").string(), output.string()},
       "File error: Cannot open input file\n" + (dir / "none.gdb").string() +
           ": the file does not exist\n"},
      {"empty input path", {"", output.string()}, "File error: No input file specified\n"},
      {"empty output path", {input.string(), ""}, "File error: No output file specified\n"},
      {"output is input",
       {input.string(), input.string()},
       "File error: Cannot open output file\nSame file as input or Read-Only?\n" + input.string() +
           ": is the input file\n"},
      {"end record missing",
       {cut.string(), output.string()},
       "File error: Input file ends before its end record - no output written\n"},
      {"too few vias",
       {"--option", "5", "--max-vias", "24", input.string(), output.string()},
       "Error: Number of via points per route invalid\n"},
      {"too many vias",
       {"--option", "6", "--max-vias", "1001", input.string(), output.string()},
       "Error: Number of via points per route invalid\n"},
      {"vias beyond 32 bits",
       {"--option", "6", "--max-vias", "4294967321", input.string(), output.string()},
       "Error: Number of via points per route invalid\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-q"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult result = Convert(args);
    EXPECT_EQ(result.exitStatus, kFailed) << c.name;
    EXPECT_EQ(result.err, c.err) << c.name;
  }
  EXPECT_EQ(ReadFile(input), whole);
}

TEST_F(CliTest, MaxViasIsNotLookedAtForOptionsOneToFour) {
  for (const char* option : {"1", "2", "3", "4"}) {
    for (const char* vias : {"0", "24", "1001", "99999999999"}) {
      const ProcessResult result =
          Convert({"-q", "--option", option, "--max-vias", vias, input.string(), output.string()});
      EXPECT_EQ(result.exitStatus, kCompleted) << "option " << option << ", " << vias;
    }
  }
}

TEST_F(CliTest, ViaCountBoundsAreAccepted) {
  for (const char* vias : {"25", "1000", "0025"}) {
    const ProcessResult result =
        Convert({"-q", "--option", "6", "--max-vias", vias, input.string(), output.string()});
    EXPECT_EQ(result.exitStatus, kCompleted) << vias;
  }
}

TEST_F(CliTest, FullDeviceIsAWriteErrorNotASuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (const char* option : {"1", "3", "5"}) {
    const ProcessResult result = Convert({"-q", "--option", option, input.string(), "/dev/full"});
    EXPECT_EQ(result.exitStatus, kFailed) << "option " << option;
    EXPECT_EQ(result.err, "File error: Error writing output file\n/dev/full: the disk is full\n")
        << "option " << option;
  }
}

TEST_F(CliTest, InfoMessagesGoToStandardErrorAfterTheirRecord) {
  using namespace gdbtest;
  std::vector<TrackPoint> points;
  for (int32_t i = 0; i < 10000; ++i) points.emplace_back(i, i);
  WriteFile(input, GdbFile('l', {Record('X', "1"), TrackRecord(Track("Huge").Points(points)),
                                 Record('X', "22")}));
  const ProcessResult result = Convert({"--option", "5", input.string(), output.string()}, true);
  EXPECT_EQ(result.exitStatus, kCompleted);
  // Standard output and standard error in the order written.
  const std::string trace = TraceOf(ReadFile(input));
  const size_t second = trace.find('\n') + 1;
  const size_t third = trace.find('\n', second) + 1;
  const std::string expected =
      trace.substr(0, third) +
      "Cannot convert more then 10000 trackpoints - track skipped\n"
      "Info: Cannot convert more then 10000 trackpoints,\ntrack \"Huge\" skipped.\n" +
      trace.substr(third) +
      "Finished: GDB file conversion completed\n"
      "Summary: 1 track skipped; 2 records copied unchanged.\n";
  EXPECT_EQ(result.out, expected);
}

// No control byte of a file reaches the terminal: a track name's in the skip
// message and a record type's in the trace are shown as \xNN.
TEST_F(CliTest, HostileNamesAreShownEscaped) {
  using namespace gdbtest;
  std::vector<TrackPoint> points;
  for (int32_t i = 0; i < 10000; ++i) points.emplace_back(i, i);
  WriteFile(input,
            GdbFile('l', {Record('\x1B', "c"),
                          TrackRecord(Track("\x1B]0;title\x07\x1B[2J\x90").Points(points))}));
  const ProcessResult result = Convert({"--option", "5", input.string(), output.string()});
  EXPECT_EQ(result.exitStatus, kCompleted);
  EXPECT_EQ(result.out.substr(0, 7), "\\x1B 1\n");
  EXPECT_NE(result.err.find("track \"\\x1B]0;title\\x07\\x1B[2J\\x90\" skipped."),
            std::string::npos)
      << result.err;
  for (const std::string& text : {result.out, result.err}) {
    EXPECT_TRUE(std::none_of(text.begin(), text.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return (byte < 0x20 && byte != '\n') || byte == 0x7F;
    }));
  }
}

// A path or an argument shows its control characters and the bytes that are
// no character escaped: none can start a line of its own.
TEST_F(CliTest, PathsInMessagesAreShownEscaped) {
  const std::string fake = "\nFinished: GDB file conversion completed";
  const std::string folder = (dir / "gone").string();
  struct Case {
    std::vector<std::string> args;
    std::string shown;
  };
  std::vector<Case> cases = {
      {{folder + fake, output.string()}, folder + "\\x0AFinished"},
      {{input.string(), folder + "\t\r" + fake + "/out.gdb"}, folder + "\\x09\\x0D\\x0AFinished"},
      {{"--x" + fake, input.string(), output.string()}, "'--x\\x0AFinished"},
  };
#ifndef _WIN32
  cases.push_back({{folder + "\xFF\x7F/in.gdb", output.string()}, folder + "\\xFF\\x7F/in.gdb"});
#endif
  for (const Case& c : cases) {
    const ProcessResult result = Convert(c.args);
    EXPECT_NE(result.err.find(c.shown), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("\nFinished"), std::string::npos) << result.err;
  }
}

TEST_F(CliTest, HelpAndVersion) {
  const ProcessResult help = Convert({"--help"});
  EXPECT_EQ(help.exitStatus, kCompleted);
  EXPECT_NE(help.out.find("Usage: morvex-convert"), std::string::npos);
  EXPECT_NE(help.out.find("--max-vias"), std::string::npos);
  EXPECT_EQ(help.err, "");

  const ProcessResult version = Convert({"--version"});
  EXPECT_EQ(version.exitStatus, kCompleted);
  EXPECT_EQ(version.out, "morvex-convert " MORVEX_VERSION "\n");
}

// Bad usage: a one-line reason naming the problem, then the usage text, on
// standard error; exit status 2; nothing converted, nothing created.
struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  const char* mentions;  // a part of the first line
};

void PrintTo(const UsageCase& c, std::ostream* out) {
  *out << c.name;
}

class CliUsageTest : public CliTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsageTest, IsRefusedWithAReasonAndTheUsage) {
  std::vector<std::string> args;
  for (const std::string& arg : GetParam().args) {
    args.push_back(arg == "IN" ? input.string() : arg == "OUT" ? output.string() : arg);
  }
  const ProcessResult result = Convert(args);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitStatus, kUsage);
  EXPECT_EQ(result.out, "");
  const std::string firstLine = result.err.substr(0, result.err.find('\n'));
  EXPECT_EQ(firstLine.rfind("morvex-convert: ", 0), 0u) << firstLine;
  EXPECT_NE(firstLine.find(GetParam().mentions), std::string::npos) << firstLine;
  EXPECT_NE(result.err.find("Usage: morvex-convert"), std::string::npos);
  EXPECT_FALSE(fs::exists(output));
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, CliUsageTest,
    ::testing::Values(
        UsageCase{"NoArguments", {}, "INPUT"}, UsageCase{"OnlyInput", {"IN"}, "OUTPUT"},
        UsageCase{"ThreePaths", {"IN", "OUT", "extra.gdb"}, "too many"},
        UsageCase{"OptionSeven", {"--option", "7", "IN", "OUT"}, "'7'"},
        UsageCase{"OptionZero", {"--option", "0", "IN", "OUT"}, "'0'"},
        UsageCase{"OptionWord", {"--option", "five", "IN", "OUT"}, "'five'"},
        UsageCase{"OptionTwoDigits", {"--option", "15", "IN", "OUT"}, "'15'"},
        UsageCase{"OptionWithoutValue", {"IN", "OUT", "--option"}, "--option"},
        UsageCase{"MaxViasWord", {"--option", "5", "--max-vias", "abc", "IN", "OUT"}, "'abc'"},
        UsageCase{"MaxViasNegative", {"--max-vias", "-5", "IN", "OUT"}, "'-5'"},
        UsageCase{"MaxViasEmpty", {"--max-vias", "", "IN", "OUT"}, "--max-vias"},
        UsageCase{"MaxViasWithoutValue", {"IN", "OUT", "--max-vias"}, "--max-vias"},
        UsageCase{"LanguageUnknown", {"--language", "fr", "IN", "OUT"}, "'fr'"},
        UsageCase{"LanguageWithoutValue", {"IN", "OUT", "--language"}, "--language"},
        UsageCase{"UnknownFlag", {"--fast", "IN", "OUT"}, "--fast"},
        UsageCase{"OneRouteWithoutOption", {"--one-route", "IN", "OUT"}, "--one-route"},
        UsageCase{
            "OneRouteWithOption4", {"--option", "4", "--one-route", "IN", "OUT"}, "--one-route"}),
    [](const auto& info) { return std::string(info.param.name); });

std::string Utf8Of(const fs::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// File names reach the run whole: blanks, quotes and letters beyond ASCII.
// (On Windows the command line is quoted, and read back as UTF-16.)
TEST_F(CliTest, FileNamesReachTheRunWhole) {
  const fs::path in = dir.Path() / u8"in put ‘Café’ ß'.gdb";
  const fs::path out = dir.Path() / u8"out ø中  .gdb";
  fs::copy_file(input, in);
  const ProcessResult result = Convert({"-q", Utf8Of(in), Utf8Of(out)});
  ASSERT_EQ(result.exitStatus, kCompleted) << result.err;
  ASSERT_EQ(Convert({"-q", input.string(), output.string()}).exitStatus, kCompleted);
  EXPECT_EQ(ReadFile(out), ReadFile(output));
}

TEST_F(CliTest, DoubleDashEndsTheOptions) {
  // A file whose name begins with a dash.
  const fs::path dashed = dir / "-in.gdb";
  fs::copy_file(input, dashed);
  fs::current_path(dir.Path());
  const ProcessResult result = Convert({"-q", "--", "-in.gdb", "-out.gdb"});
  fs::current_path(fs::temp_directory_path());
  EXPECT_EQ(result.exitStatus, kCompleted) << result.err;
  EXPECT_TRUE(fs::exists(dir / "-out.gdb"));
}

// Byte equality that names the sizes and the first difference rather than
// printing megabytes.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto at = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  return ::testing::AssertionFailure()
         << actual.size() << " bytes where " << expected.size()
         << " were expected, first difference at byte " << (at.first - actual.begin());
}

#ifdef _WIN32
// Windows has no sh: the streams the scripts below set up are set up by
// RunProgram there.
ProcessResult ConvertWith(const StandardStreams& streams, std::vector<std::string> args) {
  args.insert(args.begin(), kConvert);
  return RunProgram(args, streams);
}
#else
// Runs the script with sh, morvex-convert as $0 and the arguments after it.
ProcessResult ConvertInShell(const std::string& script, std::vector<std::string> args) {
  args.insert(args.begin(), {"sh", "-c", script, kConvert});
  return RunProgram(args);
}
#endif

// Standard streams that are closed, broken or the output itself, with an
// input whose trace fills the trace's buffer many times over and outgrows a
// pipe, and whose last track brings a message in the middle of the run.
class CliStreamsTest : public CliTest {
 protected:
  void SetUp() override {
    using namespace gdbtest;
    CliTest::SetUp();
    std::vector<std::string> records(200000, Record('D', "x"));
    std::vector<TrackPoint> points;
    for (int32_t i = 0; i < 10000; ++i) points.emplace_back(i, i);
    records.push_back(TrackRecord(Track("Huge").Points(points)));
    records.push_back(Record('D', "x"));
    WriteFile(input, GdbFile('l', records));
    const fs::path normalPath = dir / "normal.gdb";
    normalRun = Convert({"--option", "5", input.string(), normalPath.string()});
    ASSERT_EQ(normalRun.exitStatus, kCompleted);
    normal = ReadFile(normalPath);
  }

  ProcessResult normalRun;  // every stream open
  std::string normal;       // its output
};

TEST_F(CliStreamsTest, ClosedStandardDescriptorsNeverCarryTheFiles) {
  struct Case {
    const char* redirections;
    bool stdinOpen;
    bool stdoutOpen;
    bool stderrOpen;
  };
  const Case cases[] = {
      {"<&-", false, true, true},
      {">&-", true, false, true},
      {"2>&-", true, true, false},
      {"<&- >&-", false, false, true},
      {"<&- 2>&-", false, true, false},
      {">&- 2>&-", true, false, false},
      {"<&- >&- 2>&-", false, false, false},
  };
  for (const Case& c : cases) {
    fs::remove(output);
    const std::vector<std::string> args = {"--option", "5", input.string(), output.string()};
#ifdef _WIN32
    // A closed stream is a program started without that standard handle.
    StandardStreams streams;
    streams.inputClosed = !c.stdinOpen;
    streams.outputClosed = !c.stdoutOpen;
    streams.errorClosed = !c.stderrOpen;
    const ProcessResult result = ConvertWith(streams, args);
#else
    const ProcessResult result =
        ConvertInShell(std::string("exec \"$0\" \"$@\" ") + c.redirections, args);
#endif
    EXPECT_EQ(result.exitStatus, kCompleted) << c.redirections;
    EXPECT_TRUE(SameBytes(ReadFile(output), normal)) << c.redirections;
    EXPECT_TRUE(SameBytes(result.out, c.stdoutOpen ? normalRun.out : "")) << c.redirections;
    EXPECT_EQ(result.err, c.stderrOpen ? normalRun.err : "") << c.redirections;
  }
}

TEST_F(CliStreamsTest, ReaderThatStopsEndsTheTraceNotTheRun) {
#ifdef _WIN32
  StandardStreams streams;
  streams.readFirstLineOnly = true;
  const ProcessResult result =
      ConvertWith(streams, {"--option", "5", input.string(), output.string()});
  EXPECT_EQ(result.exitStatus, kCompleted);
#else
  const fs::path status = dir / "status";
  const ProcessResult result =
      ConvertInShell("s=$1; shift; { \"$0\" \"$@\"; echo $? >\"$s\"; } | head -1",
                     {status.string(), "--option", "5", input.string(), output.string()});
  EXPECT_EQ(ReadFile(status), "0\n");
#endif
  EXPECT_TRUE(SameBytes(ReadFile(output), normal));
  EXPECT_EQ(result.out, "D 1\n");
  // Said once, before the first message after the trace stopped.
  EXPECT_EQ(result.err, "Trace: standard output could not be written; the conversion went on\n" +
                            normalRun.err);
}

TEST_F(CliStreamsTest, OutputOnStandardOutputTakesItAlone) {
#ifndef _WIN32
  // Windows has no path that names standard output.
  const ProcessResult named = Convert({"--option", "5", input.string(), "/dev/stdout"});
  EXPECT_EQ(named.exitStatus, kCompleted);
  EXPECT_TRUE(SameBytes(named.out, normal));
  EXPECT_EQ(named.err, normalRun.err);

  // Written as it stands: appended, between the writers around it.
  const fs::path log = dir / "log";
  WriteFile(log, "OLD\n");
  const ProcessResult shared =
      ConvertInShell("l=$1; shift; { echo HEADER; \"$0\" \"$@\"; echo FOOTER; } >>\"$l\"",
                     {log.string(), "--option", "5", input.string(), "/dev/stdout"});
  EXPECT_EQ(shared.exitStatus, kCompleted);
  EXPECT_TRUE(SameBytes(ReadFile(log), "OLD\nHEADER\n" + normal + "FOOTER\n"));
#endif

  // Standard output sent to the output file itself.
#ifdef _WIN32
  StandardStreams streams;
  streams.outputFile = output.string();
  const ProcessResult same =
      ConvertWith(streams, {"--option", "5", input.string(), output.string()});
#else
  const ProcessResult same = ConvertInShell("exec \"$0\" \"$@\" >\"$4\"",
                                            {"--option", "5", input.string(), output.string()});
#endif
  EXPECT_EQ(same.exitStatus, kCompleted);
  EXPECT_TRUE(SameBytes(ReadFile(output), normal));
  EXPECT_EQ(same.err, normalRun.err);
}

TEST_F(CliTest, StoppedTraceIsToldInTheChosenLanguage) {
#ifndef _WIN32
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
#endif
  const std::pair<const char*, std::string> cases[] = {
      {"en", "Trace: standard output could not be written; the conversion went on\n" +
                 std::string(kExampleCompleted)},
      {"nl",
       "Trace: standaarduitvoer kon niet worden geschreven; de conversie ging door\n"
       "Klaar: GDB bestandsconversie voltooid\n"
       "Samenvatting: 2 routes omgezet in 2 tracks (7 punten); 6 records ongewijzigd "
       "gekopieerd.\n"},
      {"de",
       "Trace: Die Standardausgabe konnte nicht geschrieben werden; die Konvertierung lief "
       "weiter\nFertig: GDB Datei Konvertierung komplett\n"
       "Zusammenfassung: 2 Routen in 2 Tracks umgewandelt (7 Punkte); 6 Datensätze unverändert "
       "kopiert.\n"},
  };
  for (const auto& [language, err] : cases) {
    const std::vector<std::string> args = {"--language", language, input.string(), output.string()};
#ifdef _WIN32
    // Windows has no full device: a pipe without a reader fails every write.
    StandardStreams streams;
    streams.outputUnread = true;
    const ProcessResult result = ConvertWith(streams, args);
#else
    const ProcessResult result = ConvertInShell("exec \"$0\" \"$@\" >/dev/full", args);
#endif
    EXPECT_EQ(result.exitStatus, kCompleted) << language;
    EXPECT_EQ(result.err, err);
  }
}

#ifndef _WIN32
// Some 55 MB: one track of 100000 points, 45 times.
std::string LargeInput() {
  gdbtest::Track track("Long");
  for (int32_t i = 0; i < 100000; ++i) track.Point({i, -i});
  const std::string record = gdbtest::TrackRecord(track);
  return gdbtest::GdbFile('m', std::vector<std::string>(45, record));
}

// On a terminal, a large input's share read is one line rewritten in place,
// in the run's language, and cleared before the messages; not where the trace
// goes to the same terminal, nor for a small input.
TEST_F(CliTest, ProgressOfALargeInputIsOneLineOnTheTerminal) {
  const fs::path large = dir / "large.gdb";
  WriteFile(large, LargeInput());
  ASSERT_GT(fs::file_size(large), 50u << 20);
  const std::string traceFile = (dir / "trace.txt").string();
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string traceFile;  // empty: the trace, if any, on the terminal
    const char* progress;   // the line's start; null: no line
  } cases[] = {
      {"quiet", {"--quiet", large.string()}, "", "\rConverting… "},
      {"German, trace in a file",
       {"--language", "de", large.string()},
       traceFile,
       "\rKonvertieren… "},
      {"trace on the terminal", {"--option", "2", large.string()}, "", nullptr},
      {"small input", {"--quiet", input.string()}, "", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), kConvert);
    args.push_back(output.string());
    const ProcessResult result = RunOnTerminal(args, c.traceFile);
    EXPECT_EQ(result.exitStatus, kCompleted);
    const size_t finished = result.err.find("GDB ");
    ASSERT_NE(finished, std::string::npos) << result.err;
    if (c.progress == nullptr) {
      EXPECT_EQ(result.err.find('%'), std::string::npos) << result.err;
      continue;
    }
    const size_t first = result.err.find(c.progress);
    ASSERT_NE(first, std::string::npos) << result.err;
    EXPECT_NE(result.err.find("100 %"), std::string::npos);
    // Cleared: spaces over the line, then the message from the line's start.
    const size_t cleared = result.err.rfind("\r", finished);
    EXPECT_GT(cleared, first);
    EXPECT_EQ(result.err.substr(cleared - 3, 4), "   \r");
  }
}
#endif

}  // namespace
}  // namespace runtest
