// Messages that records leave: one "Info" box per such record, shown right
// after that record (its trace line already out, the next one not yet), in
// every language, the hidden fourth one included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "byte_stream.h"
#include "gdb_builder.h"
#include "run_fixture.h"

namespace runtest {
namespace {

using namespace gdbtest;

Track ManyPoints(const std::string& name, int32_t count) {
  std::vector<TrackPoint> points;
  points.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) points.emplace_back(i, -i);
  return Track(name).Points(std::move(points));
}

struct InfoBox {
  ShownBox box;
  std::string traceSoFar;
};

class RunInfoTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    dialog.trace = &trace_;
    dialog.onMessage = [this](const ShownBox& box) {
      if (box.title == "Info") infos.push_back({box, trace_.Bytes()});
    };
  }

  // Tracks of 10000 points cannot be numbered (T0001 to T10000) and are skipped.
  void WriteTwoSkippedTracks() {
    WriteFile(input, GdbFile('m', {TrackRecord(ManyPoints("Big A", 10000)),
                                   TrackRecord(ManyPoints("Small", 3)),
                                   TrackRecord(ManyPoints("Big B", 10000))}));
    dialog.option = 5;
  }

  std::vector<InfoBox> infos;

 private:
  StringOutputStream trace_;
};

TEST_F(RunInfoTest, SkippedTracksEachGetTheirBoxInTheirLanguage) {
  WriteTwoSkippedTracks();
  const char* const kExpected[][2] = {
      {"Cannot convert more then 10000 trackpoints,\ntrack \"Big A\" skipped.",
       "Cannot convert more then 10000 trackpoints,\ntrack \"Big B\" skipped."},
      {"Kan niet meer dan 10000 trackpoints converteren,\ntrack \"Big A\" overgeslagen.",
       "Kan niet meer dan 10000 trackpoints converteren,\ntrack \"Big B\" overgeslagen."},
      {"Kann nicht mehr als 10000 Trackpunkten konvertieren,\ntrack \"Big A\" übersprungen.",
       "Kann nicht mehr als 10000 Trackpunkten konvertieren,\ntrack \"Big B\" übersprungen."},
  };
  const Language kLanguages[] = {Language::kEnglish, Language::kDutch, Language::kGerman};
  const char* const kFinished[] = {"Finished", "Klaar", "Fertig"};
  for (size_t l = 0; l < 3; ++l) {
    infos.clear();
    dialog.boxes.clear();
    EXPECT_EQ(Run(kLanguages[l]), RunOutcome::Completed);
    ASSERT_EQ(infos.size(), 2u) << "language " << l + 1;
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(infos[i].box.text, kExpected[l][i]);
      EXPECT_EQ(infos[i].box.style, MessageStyle::Exclamation);
    }
    // Two "Info" boxes, then the outcome.
    ASSERT_EQ(dialog.boxes.size(), 3u);
    EXPECT_EQ(dialog.boxes[2].title, kFinished[l]);
  }
}

TEST_F(RunInfoTest, EachBoxComesRightAfterItsRecord) {
  WriteTwoSkippedTracks();
  EXPECT_EQ(Run(), RunOutcome::Completed);
  ASSERT_EQ(infos.size(), 2u);
  // The trace has one line per record; the skipped tracks are records 1 and 3.
  const auto lines = [](const std::string& trace) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = trace.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::string line = trace.substr(start, end - start);
      if (line.size() > 2 && line[1] == ' ') out.push_back(line);
    }
    return out;
  };
  const std::vector<std::string> first = lines(infos[0].traceSoFar);
  const std::vector<std::string> second = lines(infos[1].traceSoFar);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].substr(0, 2), "T ");
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(second[2].substr(0, 2), "T ");
}

TEST_F(RunInfoTest, HiddenLanguageShowsInfoBoxesButNoOutcome) {
  WriteTwoSkippedTracks();
  EXPECT_EQ(Run(Language::kFourth), RunOutcome::Completed);
  EXPECT_EQ(infos.size(), 2u);
  EXPECT_EQ(dialog.boxes.size(), 2u);
}

TEST_F(RunInfoTest, RouteOverThePointLimitIsShownOnce) {
  std::vector<LinkPoint> link;
  for (int32_t i = 0; i < 10005; ++i) link.emplace_back(i, i);
  WriteFile(input, GdbFile('l', {RouteRecord(Route("Long")
                                                 .Entry(RouteEntry("A").Link(link))
                                                 .Entry(RouteEntry("B"))
                                                 .Rest(LastLinkRest('l')),
                                             'l'),
                                 TrackRecord(ManyPoints("Kept", 4))}));
  for (Language language :
       {Language::kEnglish, Language::kDutch, Language::kGerman, Language::kFourth}) {
    infos.clear();
    EXPECT_EQ(Run(language), RunOutcome::Completed);
    ASSERT_EQ(infos.size(), 1u) << "language " << static_cast<int>(language);
    EXPECT_EQ(infos[0].box.text, "Route point limit reached - track truncated!");
  }
}

TEST_F(RunInfoTest, RecordsWithoutMessagesShowNoBox) {
  dialog.option = 5;
  EXPECT_EQ(Run(), RunOutcome::Completed);
  EXPECT_TRUE(infos.empty());
  EXPECT_EQ(dialog.boxes.size(), 1u);
}

}  // namespace
}  // namespace runtest
