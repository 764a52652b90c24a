// The window model without a toolkit: a recording view stands in for the
// windows, a stand-in launcher for the converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>

#include "testing/fake_launcher.h"
#include "testing/second_records.h"
#include "testing/test_support.h"
#include "window_model/main_window_model.h"
#include "window_model/save_mp4_model.h"

namespace vk2::ui {
namespace {

constexpr int32_t kMorning = 1635494703;  // 2021-10-29 08:05:03 UTC

class RecordingView : public WindowView {
 public:
  std::map<Control, ControlState> controls;
  WindowState window;
  std::deque<std::optional<std::vector<std::string>>> fileAnswers;
  std::optional<std::string> folderAnswer;
  std::vector<std::string> messages, errors, progress;
  // Beside each counter: the window start, the length and the name shown.
  std::vector<std::string> shownWithCounter;
  std::vector<int> barPositions;
  std::function<void()> onPump;

  void controlChanged(Control c, const ControlState& s) override {
    controls[c] = s;
    if (c == Control::barFile) barPositions.push_back(s.position);
  }
  void windowChanged(const WindowState& s) override { window = s; }
  std::optional<std::vector<std::string>> chooseMmvFiles(const std::string&) override {
    auto answer = fileAnswers.empty() ? std::nullopt : fileAnswers.front();
    if (!fileAnswers.empty()) fileAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> chooseFolder(const std::string&) override { return folderAnswer; }
  void showMessage(const std::string& text) override { messages.push_back(text); }
  void showError(const std::string& text) override { errors.push_back(text); }
  void pump() override {
    if (onPump) onPump();
  }
  void runProgressShown(const std::string& label, int, int) override {
    progress.push_back(label);
    const std::string shown = controls[Control::lbTimeFrom].text + " | " + controls[Control::lbSec].text + " | " +
                              controls[Control::edMp4Filename].text + " | " + label;
    if (shownWithCounter.empty() || shownWithCounter.back() != shown) shownWithCounter.push_back(shown);
  }
};

// The stand-in converter, telling how long its input is, so that its "time=" is a share.
struct TalkingLauncher : testing::FakeLauncher {
  ProcessOutcome runHidden(const std::vector<std::string>& argv, const std::function<bool()>& keepWaiting,
                           const std::function<void(const std::string&)>& onOutput) override {
    if (onOutput) onOutput("  Duration: 00:00:04.00, start: 0.000000, bitrate: 1 kb/s\n");
    return FakeLauncher::runHidden(argv, keepWaiting, onOutput);
  }
};

using testing::writeSecondRecords;

void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

// Both windows over a fake home, three consecutive 5-second recordings and the stand-in converter.
struct Windows {
  testing::TempDir home, recordings;
  testing::ScopedTimeZone zone{"UTC0"};
  TalkingLauncher launcher;
  std::vector<std::string> opened;
  WindowEnvironment env{launcher, [] { return std::string("ffmpeg"); },
                        [this](ProcessLauncher&, const std::string& folder) { opened.push_back(folder); }, {}, {}};
  ConversionState state;
  std::unique_ptr<MainWindowModel> main;
  std::unique_ptr<SaveMp4Model> dialog;
  RecordingView mainView, dialogView;
  std::vector<std::string> files;

  Windows() {
#ifdef _WIN32
    setVariable("HOMEDRIVE", home.path().substr(0, 2));
    setVariable("HOMEPATH", home.path().substr(2));
#else
    setVariable("HOME", home.path());
#endif
    main = std::make_unique<MainWindowModel>(state, env);
    dialog = std::make_unique<SaveMp4Model>(state, *main);
    main->setSaveDialog(dialog.get());
    main->attach(&mainView);
    dialog->attach(&dialogView);
    for (int i = 0; i < 3; ++i) {
      files.push_back(recordings.file("rec" + std::to_string(i + 1) + ".mmv"));
      writeSecondRecords(files.back(), kMorning + 5 * i, 5);
    }
  }
};

// The sizes and places themselves are checked on the drawn windows (the Qt
// start-up test); here, what any view relies on to draw the table.
TEST(WindowModel, ControlTableMatchesTheWindows) {
  for (const ControlSpec& s : controlTable()) {
    // Parents come first, in the same window, so a view can create the table in order.
    if (s.parent == Control::None) continue;
    EXPECT_LT(static_cast<int>(s.parent), static_cast<int>(s.id)) << s.name;
    EXPECT_EQ(spec(s.parent).window, s.window) << s.name;
  }
  EXPECT_EQ(dropDownItems(Control::cbSubtitles).size(), 4u);
  // "Report" beside the track's choice, off, clear of every other control of its group.
  const ControlSpec& report = spec(Control::checkBoxReport);
  EXPECT_EQ(std::string(report.caption), "Report");
  EXPECT_EQ(report.parent, Control::GroupBox1);
  EXPECT_FALSE(report.checked);
  const Rect r = report.place;
  EXPECT_LE(r.y + r.height, spec(Control::GroupBox1).place.height - 2);
  for (const ControlSpec& s : controlTable()) {
    if (s.parent != Control::GroupBox1 || s.id == report.id) continue;
    const Rect o = s.id == Control::lbSec ? kLengthPlace : s.place;
    EXPECT_TRUE(r.x + r.width <= o.x || o.x + o.width <= r.x || r.y + r.height <= o.y || o.y + o.height <= r.y)
        << s.name;
  }
}

TEST(WindowModel, OpenNarrowUntickStartAndTheConverterStepLock) {
  Windows w;
  EXPECT_FALSE(w.main->control(Control::sbtnSaveMp4).enabled);
  w.mainView.fileAnswers.push_back(w.files);
  w.main->SpeedButton2Click();
  EXPECT_EQ(w.mainView.controls[Control::lbDir].text, w.recordings.path() + "\r\n3 MMV files are selected.");
  EXPECT_FALSE(w.mainView.controls[Control::mainBarFile].visible);
  EXPECT_TRUE(w.mainView.controls[Control::sbtnSaveMp4].enabled);
  EXPECT_EQ(w.mainView.controls[Control::DateTimePickerTo].position, kMorning + 15);

  w.main->sbtnSaveMp4Click();
  EXPECT_TRUE(w.dialogView.window.visible);
  EXPECT_FALSE(w.mainView.window.enabled);
  EXPECT_EQ(w.dialogView.controls[Control::lbSec].text, "15");
  EXPECT_EQ(w.dialogView.controls[Control::lbProgress].text, "0/4");
  w.dialog->sbtnTimeFromPlusClick();
  w.dialog->sbtnTimeToMinusClick();
  EXPECT_EQ(w.dialogView.controls[Control::lbSec].text, "13");
  const std::string name = w.dialogView.controls[Control::edMp4Filename].text;
  w.dialog->userChecked(Control::checkBoxRpm, false);
  EXPECT_FALSE(w.dialog->checkBoxRpm());
  w.dialog->userChecked(Control::rbSpeedMph, true);  // its pair goes off
  EXPECT_FALSE(w.dialog->rbSpeedKmh());
  w.dialog->userEdited(Control::cbSubDateFormat, "YYYY.MM.DD");  // typed text chooses no entry
  EXPECT_EQ(w.dialog->cbSubDateFormat(), kDateFormatNone);
  w.dialog->userSelected(Control::cbSubDateFormat, 2);
  EXPECT_EQ(w.dialog->cbSubDateFormat(), 2);

  // During a converter step only Cancel answers, and the close box is refused.
  // The bar stands past the merges' three quarters, moved on by the burn-in.
  w.launcher.script = {{}, {true, true}};
  bool locked = false;
  ControlState bar;
  w.mainView.onPump = [&] {
    if (w.launcher.calls.size() != 2 || locked) return;
    locked = !w.dialog->FormCloseQuery() && !w.dialog->effectivelyEnabled(Control::checkBoxFcw) &&
             !w.dialog->control(Control::btnClose).enabled && w.dialog->control(Control::btnCancel).enabled &&
             !w.main->windowStatus().enabled;
    bar = w.dialogView.controls[Control::barFile];
    w.dialog->btnCancelClick();
  };
  w.dialog->btnStartClick();
  EXPECT_TRUE(locked);
  EXPECT_TRUE(bar.position * 4 > bar.maximum * 3 && bar.position < bar.maximum) << bar.position << "/" << bar.maximum;
  EXPECT_EQ(w.dialogView.messages, std::vector<std::string>{"The conversion was cancelled."});
  EXPECT_TRUE(w.dialog->control(Control::btnClose).enabled && w.dialog->control(Control::btnStart).enabled);
  EXPECT_EQ(w.dialogView.controls[Control::lbProgress].text, "0/4");
  EXPECT_TRUE(w.dialogView.window.visible);

  // Start again: the progress, the message naming a track without a position
  // fix, the file manager, the dialog closed.
  w.mainView.onPump = nullptr;
  w.dialogView.progress.clear();
  w.dialogView.messages.clear();
  w.dialogView.barPositions.clear();
  w.dialog->userChecked(Control::checkBoxTrack, true);
  w.dialog->userChecked(Control::checkBoxReport, true);
  w.dialog->btnStartClick();
  const std::string track = w.state.outputFolder + name + ".gpx";
  const std::string page = w.state.outputFolder + name + ".html";
  EXPECT_EQ(w.dialogView.messages, std::vector<std::string>{"MP4 converted successfully\nThe track is saved as " +
                                                            track + "\nThe report page is saved as " + page + "\n" + track +
                                                            ": no position fix in the selection: the track holds no "
                                                            "points"});
  EXPECT_EQ(w.dialogView.progress.back(), "4/4");
  const std::vector<int>& moves = w.dialogView.barPositions;
  EXPECT_TRUE(std::is_sorted(moves.begin(), moves.end()));
  EXPECT_EQ(moves.back(), w.dialogView.controls[Control::barFile].maximum);
  EXPECT_EQ(w.opened, std::vector<std::string>{w.state.outputFolder});
  EXPECT_TRUE(testing::fileExists(w.state.outputFolder + name + ".mp4"));
  EXPECT_NE(testing::readText(page).find("src=\"" + name + ".mp4\""), std::string::npos);
  EXPECT_FALSE(w.dialogView.window.visible);
  EXPECT_TRUE(w.mainView.window.enabled);
  EXPECT_FALSE(w.mainView.controls[Control::sbtnSaveMp4].enabled);
}

// The open command's boxes keep their fixed texts; what they are about goes to
// the diagnosis log. A file that is no recording gets a box naming it.
TEST(WindowModel, OpenRefusalsSayWhatTheyAreAbout) {
  Windows w;
  const auto open = [&](const std::vector<std::string>& files) {
    w.mainView.fileAnswers.push_back(files);
    w.main->SpeedButton2Click();
    const std::vector<std::string>& log = w.main->memoMessage().lines();
    return log.empty() ? std::string() : log.back();
  };
  EXPECT_EQ(open({w.files[1], w.files[0]}), w.files[0] + " starts 10 seconds before " + w.files[1] +
                                                " ends (files join within 4 seconds); they join in start-time "
                                                "order: vk2mp4 trips FOLDER finds the runs");
  EXPECT_EQ(open(std::vector<std::string>(16, w.files[0])), "16 files were given");
  EXPECT_EQ(w.mainView.messages,
            (std::vector<std::string>{"It cannot be merged because the files have different times.",
                                      "MMV Merge-File Size is too big. Please select up to 15 files."}));

  w.mainView.fileAnswers.push_back(w.files);
  w.main->SpeedButton2Click();
  const std::string mp4 = w.recordings.file("drive.mp4");
  testing::writeText(mp4, std::string(6000, 'x'));
  EXPECT_EQ(open({mp4}), "");  // nothing of it is logged
  EXPECT_EQ(w.mainView.errors, std::vector<std::string>{mp4 + " is not an MMV recording: its first record header holds "
                                                              "no record 1 (sequence number 2021161080)"});
  EXPECT_FALSE(w.mainView.controls[Control::sbtnSaveMp4].enabled);
  EXPECT_EQ(w.mainView.controls[Control::lbDir].text, "");
}

// A card's trips: each trip's window, length, name and counter while it runs;
// after a cancel the first trip's again, which the next Start begins with.
TEST(WindowModel, TheTripThatRunsIsTheOneShown) {
  Windows w;
  const std::string card = w.recordings.file("card/");
  std::filesystem::create_directories(card);
  writeSecondRecords(card + "a.mmv", kMorning, 6);
  writeSecondRecords(card + "b.mmv", kMorning + 3600, 6);
  writeSecondRecords(card + "c.mmv", kMorning + 3606, 6);
  w.mainView.folderAnswer = card;
  w.main->sbtnSdCardClick();
  w.main->sbtnSaveMp4Click();
  const std::string first = "2021/10/29   08:05:03 AM | 6 | 20211029_080503_6 | ";
  EXPECT_EQ(w.dialogView.controls[Control::lbProgress].text, "0/2");

  w.launcher.script = {{}, {}, {}, {true, true}};  // trip 2's burn-in hangs
  w.mainView.onPump = [&] {
    if (w.launcher.calls.size() == 4) w.dialog->btnCancelClick();
  };
  w.dialog->btnStartClick();
  const std::string second = "2021/10/29   09:05:03 AM | 12 | 20211029_090503_12 | ";
  EXPECT_EQ(w.dialogView.shownWithCounter, (std::vector<std::string>{first + "0/2", first + "1/2", first + "2/2",
                                                                     second + "0/3", second + "1/3", second + "2/3",
                                                                     second + "0/3"}));
  EXPECT_EQ(w.dialogView.messages.size(), 1u);
  EXPECT_EQ(w.dialogView.controls[Control::lbTimeFrom].text + " | " + w.dialogView.controls[Control::lbSec].text +
                " | " + w.dialogView.controls[Control::edMp4Filename].text + " | " +
                w.dialogView.controls[Control::lbProgress].text,
            first + "0/2");
  EXPECT_EQ(w.dialogView.window.caption, "Save as MP4 Video");
}

// A card's choice "A clip per event": shown for a card only, "Every trip" first;
// Start reads every trip, then makes each clip with its own window and name.
TEST(WindowModel, AClipPerEventOfEveryTrip) {
  Windows w;
  w.main->SpeedButton2Click();  // no card yet: no choice shown
  w.mainView.fileAnswers = {w.files};
  w.main->SpeedButton2Click();
  w.main->sbtnSaveMp4Click();
  EXPECT_FALSE(w.dialogView.controls[Control::rbEveryTrip].visible);
  w.dialog->FormClose();

  const std::string card = w.recordings.file("card/");
  std::filesystem::create_directories(card);
  writeSecondRecords(card + "a.mmv", kMorning, 30, {3, 25});  // two windows that overlap: one clip
  writeSecondRecords(card + "b.mmv", kMorning + 3600, 30, {10});
  writeSecondRecords(card + "c.mmv", kMorning + 7200, 30, {});
  w.mainView.folderAnswer = card;
  w.main->sbtnSdCardClick();
  w.main->sbtnSaveMp4Click();
  EXPECT_TRUE(w.dialogView.controls[Control::rbEveryTrip].visible);
  EXPECT_TRUE(w.dialogView.controls[Control::rbEveryTrip].checked);
  EXPECT_FALSE(w.dialogView.controls[Control::rbEventClips].checked);
  w.dialog->userChecked(Control::rbEventClips, true);
  EXPECT_FALSE(w.dialog->control(Control::rbEveryTrip).checked);

  w.dialog->userChecked(Control::checkBoxReport, true);
  w.launcher.script = {{}, {}, {}, {true, false, 1, "boom"}};  // the second clip's burn-in fails
  w.dialog->btnStartClick();
  // Trip 2's window: 20 s before its raise at 10 s held at its start, 10 s after.
  const std::string first = "2021/10/29   08:05:03 AM | 30 | 20211029_080506_G-Sensor | ";
  const std::string second = "2021/10/29   09:05:03 AM | 21 | 20211029_090513_G-Sensor | ";
  EXPECT_EQ(w.dialogView.shownWithCounter, (std::vector<std::string>{first + "0/2", first + "1/2", first + "2/2",
                                                                     second + "0/2", second + "1/2"}));
  ASSERT_EQ(w.dialogView.messages.size(), 1u);
  const std::string folder = w.state.outputFolder;
  EXPECT_EQ(w.dialogView.messages[0], "1 of 2 clips was converted into " + folder +
                                          ".\nClip 2 (20211029_090513_G-Sensor.mp4): The subtitles could not be "
                                          "burnt in: the converter ended with exit status 1: boom. " +
                                          folder + "20211029_090513_G-Sensor.mp4 holds the MP4 without subtitles.");
  // The page beside the clip that was made.
  EXPECT_EQ(testing::entriesOf(folder),
            (std::vector<std::string>{"20211029_080506_G-Sensor.html", "20211029_080506_G-Sensor.mp4",
                                      "20211029_090513_G-Sensor.mp4"}));
  EXPECT_EQ(w.dialogView.window.caption, "Save as MP4 Video");
}

}  // namespace
}  // namespace vk2::ui
