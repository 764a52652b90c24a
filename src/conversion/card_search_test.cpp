#include "conversion/card_search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/filesystem_names.h"
#include "core/paths.h"
#include "synth/mmv_builder.h"
#include "testing/small_recordings.h"
#include "testing/test_support.h"

namespace vk2 {
namespace {

using Names = std::vector<std::string>;

TEST(CardSearch, SummaryOrWhyThereIsNothingToConvert) {
  testing::TempDir dir;
  testing::writeKeyFrameRecording(dir.file("a.mmv"), 1635494703, 6);
  testing::writeText(dir.file("b.mmv"), "short");
  CardSearch s = searchCard(dir.path());
  EXPECT_EQ(cardStatusText(dir.path(), s), dir.path() + "\n1 trip in 2 MMV files");
  const std::string unreadable = dir.file("b.mmv") + ": file is shorter than its 762-byte info block (5 bytes)";
  EXPECT_EQ(s.logLines, Names{"Skipped " + unreadable});
  EXPECT_EQ(s.problem, "");

  std::remove(dir.file("a.mmv").c_str());
  s = searchCard(dir.path());
  EXPECT_EQ(cardStatusText(dir.path(), s), dir.path() + "\n0 trips in 1 MMV files");
  EXPECT_EQ(s.problem, "The MMV file in " + dir.path() + " cannot be read:\n" + unreadable);
  testing::writeText(dir.file("c.mmv"), "short");
  EXPECT_EQ(searchCard(dir.path()).problem.rfind("None of the 2 MMV files in " + dir.path() + " can be read:\n", 0), 0u);
  std::remove(dir.file("c.mmv").c_str());

  std::remove(dir.file("b.mmv").c_str());
  s = searchCard(dir.path());
  EXPECT_EQ(cardStatusText(dir.path(), s), dir.path());
  EXPECT_EQ(s.problem, "No MMV files were found in " + dir.path() + ".");
  s = searchCard(dir.file("missing/"));
  EXPECT_EQ(s.problem, dir.file("missing/") + ": not a folder that can be read");
}

// A recording without a complete record (cut inside its index, or a record its
// end follows too soon) is left out before the trips are formed: it splits its run.
TEST(CardSearch, FilesWithoutACompleteRecordAreLeftOut) {
  testing::TempDir dir;
  testing::writeKeyFrameRecording(dir.file("a.mmv"), 1635494703, 6);
  synth::MmvBuilder cut;
  cut.setTimes(1635494709, 1635494715);
  cut.add(kFrameVideo0, {1}).add(kFrameVideo0, {2});
  std::vector<uint8_t> bytes = cut.build();
  bytes.resize(5009 + 50);
  testing::writeFile(dir.file("b.mmv"), bytes);  // record 1 is followed by a cut header
  testing::writeKeyFrameRecording(dir.file("c.mmv"), 1635494715, 6);
  const CardSearch s = searchCard(dir.path());
  EXPECT_EQ(s.summary, "2 trips in 3 MMV files");
  ASSERT_EQ(s.trips.size(), 2u);
  EXPECT_EQ(s.trips[1].files, Names{dir.file("c.mmv")});
  EXPECT_EQ(s.logLines, Names{"Skipped " + dir.file("b.mmv") + ": holds no complete record (the record header at "
                                                                "offset 5009 is cut off by the end of the file; record 1 "
                                                                "before it, at offset 4858, may be cut off and is left "
                                                                "out)"});
  std::remove(dir.file("a.mmv").c_str());
  std::remove(dir.file("c.mmv").c_str());
  EXPECT_EQ(searchCard(dir.path()).problem.rfind("The MMV file in " + dir.path() + " cannot be converted:\n" +
                                                  dir.file("b.mmv") + ": holds no complete record", 0),
            0u);
}

// The trips command's tests cover links and copies; this one runs on Windows too.
TEST(CardSearch, AHardLinkCountsOnceACopyIsARecordingOfItsOwn) {
  testing::TempDir dir;
  testing::writeKeyFrameRecording(dir.file("a.mmv"), 1635494703, 6);
  std::error_code ec;
  std::filesystem::create_hard_link(dir.file("a.mmv"), dir.file("b.mmv"), ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_EQ(searchCard(dir.path()).summary, "1 trip in 1 MMV files");
  std::filesystem::copy_file(dir.file("a.mmv"), dir.file("c.mmv"));
  const CardSearch s = searchCard(dir.path());
  EXPECT_EQ(s.summary, "2 trips in 2 MMV files");
  ASSERT_EQ(s.trips.size(), 2u);
  EXPECT_EQ(s.trips[1].files, Names{dir.file("c.mmv")});
}

// Accented names, as on a card copied under a user folder with an accented name:
// the search hands on names the narrow file calls open (on Windows in the ANSI
// code page), and lists one that code page cannot hold rather than opening another file.
TEST(CardSearch, AccentedNamesAreFoundUnderTheirOwnNames) {
  testing::TempDir dir;
  const auto narrow = [](const char8_t* text) {
    bool lost = true;
    const std::string name = nameOf(std::filesystem::path(text), &lost);
    EXPECT_FALSE(lost);
    return name;
  };
  const std::string card = dir.path() + narrow(u8"Fahrt \u00e9\u20ac") + kPathSeparator;
  std::filesystem::create_directory(pathOf(card));
  const Names recordings{card + narrow(u8"\u00e9t\u00e9_1.mmv"), card + narrow(u8"\u00e9t\u00e9_2.mmv")};
  testing::writeKeyFrameRecording(recordings[0], 1635494703, 6);
  testing::writeKeyFrameRecording(recordings[1], 1635494709, 6);
  std::ofstream(pathOf(card) / u8"\u6771\u4eac.mmv") << "short";
  const CardSearch s = searchCard(card);
  EXPECT_EQ(s.summary, "1 trip in 3 MMV files");
  ASSERT_EQ(s.trips.size(), 1u);
  EXPECT_EQ(s.trips[0].files, recordings);
#ifdef _WIN32
  EXPECT_EQ(s.logLines, Names{"Skipped " + card + "??.mmv: " + nameOutsideCodePageReason()});
#else
  EXPECT_EQ(s.logLines, Names{"Skipped " + card + narrow(u8"\u6771\u4eac.mmv") +
                              ": file is shorter than its 762-byte info block (5 bytes)"});
#endif
}

}  // namespace
}  // namespace vk2
