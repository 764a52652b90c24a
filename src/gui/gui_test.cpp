// The windows on the offscreen platform: start-up, the open command, the options
// dialog, the time window and the run with a stand-in converter.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>
#include <QToolButton>
#include <QtTest>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>

#include "core/file_error.h"
#include "gui/application.h"
#include "gui/diagnosis_log.h"
#include "gui/gui_test_support.h"
#include "platform/stop_signals.h"
#include "synth/synth.h"
#include "testing/fake_mp4.h"
#include "testing/second_records.h"

using vk2::gui::testing::Windows;
namespace fs = std::filesystem;

namespace {

// 2021-10-29 08:05:03 UTC.
constexpr int32_t kMorning = 1635494703;

std::string text(const QString& s) { return s.toStdString(); }

void setZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

// A stand-in converter in the current folder. The writing one makes a small MP4
// as long as the muxing line's "-t" says (from the head files written here),
// marked "video", and copies that MP4 for the burn-in.
class FakeConverter {
 public:
  explicit FakeConverter(const std::string& script) : folder_(), saved_(QDir::currentPath()) {
    use(script);
    for (int seconds = 0; seconds <= 120; ++seconds)
      vk2::testing::writeText(folder_.file("head_" + std::to_string(seconds)), vk2::testing::fakeMp4Head(seconds, 5));
    QDir::setCurrent(QString::fromStdString(folder_.path()));
  }
  ~FakeConverter() { QDir::setCurrent(saved_); }
  void use(const std::string& script) {
    vk2::testing::writeText(folder_.file("ffmpeg"), script);
    fs::permissions(folder_.file("ffmpeg"), fs::perms::owner_all);
  }
  std::string log() const { return read("calls"); }
  std::string read(const std::string& name) const {
    return vk2::testing::fileExists(folder_.file(name)) ? vk2::testing::readText(folder_.file(name)) : "";
  }

 private:
  vk2::testing::TempDir folder_;
  QString saved_;
};

const char* kWritingConverter =
    "#!/bin/sh\n"
    "dir=$(dirname \"$0\")\n"
    "echo \"$@\" >> \"$dir/calls\"\n"
    "out=\"\"; in=\"\"; t=\"\"; prev=\"\"\n"
    "for a in \"$@\"; do\n"
    "  case \"$prev\" in -t) t=\"$a\";; -i) case \"$a\" in *.mp4) in=\"$a\";; esac;; esac\n"
    "  case \"$a\" in *.mp4) out=\"$a\";; esac\n"
    "  prev=\"$a\"\n"
    "done\n"
    "if [ -n \"$t\" ]; then\n"
    "  ms=${t#00:}; m=${ms%%:*}; s=${ms#*:}\n"
    "  { cat \"$dir/head_$((m * 60 + s))\"; printf video; } > \"$out\"\n"
    "else\n"
    "  cp \"$in\" \"$out\"\n"
    "fi\n"
    "exit 0\n";

const char* kFailingConverter =
    "#!/bin/sh\n"
    "echo \"$@\" >> \"$(dirname \"$0\")/calls\"\n"
    "exit 3\n";

const char* kSlowConverter =
    "#!/bin/sh\n"
    "exec sleep 30\n";

const char* kHangingConverter =
    "#!/bin/sh\n"
    "echo $$ > \"$(dirname \"$0\")/pid\"\n"
    "exec sleep 30\n";

// The writing converter, failing for the trip that starts at 08:05:03.
std::string failingForTheFirstTrip() {
  std::string script = kWritingConverter;
  script.insert(script.find('\n') + 1, "case \"$*\" in *_080503_*) exit 3;; esac\n");
  return script;
}

// A memory card in `folder`: trip 1 of two 4-second files from 08:05:03, trip 2
// of three 3-second files an hour later, names out of time order, and a file
// that cannot be read. Returns each trip's files in time order.
std::vector<std::vector<std::string>> writeCard(const std::string& folder) {
  fs::create_directories(folder);
  const std::vector<std::vector<std::string>> trips = {{folder + "z1.mmv", folder + "b2.mmv"},
                                                       {folder + "a1.mmv", folder + "y2.MMV", folder + "c3.mmv"}};
  for (int i = 0; i < 2; ++i)
    vk2::gui::testing::writeRecording(trips[0][static_cast<std::size_t>(i)], kMorning + 4 * i, 4);
  for (int i = 0; i < 3; ++i)
    vk2::gui::testing::writeRecording(trips[1][static_cast<std::size_t>(i)], kMorning + 3600 + 3 * i, 3);
  vk2::testing::writeText(folder + "broken.mmv", "too short");
  vk2::testing::writeText(folder + "notes.txt", "not a recording");
  return trips;
}

// Before a run or after a cancel: the counter and bar at 0, Start and Close ready, Cancel off.
bool readyAgain(const Windows& w, const QString& zero) {
  return w.dialogChild<QLabel>("lbProgress")->text() == zero && w.dialogChild<QProgressBar>("barFile")->value() == 0 &&
         w.dialogChild<QPushButton>("btnStart")->isEnabled() && w.dialogChild<QPushButton>("btnClose")->isEnabled() &&
         !w.dialogChild<QPushButton>("btnCancel")->isEnabled();
}

}  // namespace

class GuiTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    setZone("UTC0");
    QLocale::setDefault(QLocale::c());
  }

  void startUpAndTheFolderPicker() {
    Windows w;
    QCOMPARE(w.main->windowTitle(), "VK2 MP4 Conversion Tool" + QString(61, ' '));
    QCOMPARE(w.main->size(), QSize(360, 203));
    QCOMPARE(w.main->minimumSize(), w.main->maximumSize());

    const std::string folder = w.home.path() + "user/Documents/Velmora/MMV_TO_MP4/";
    QCOMPARE(w.state.outputFolder, folder);
    QVERIFY(fs::is_directory(folder));
    QCOMPARE(w.main->memoMessage().lines().front(), "Documents = " + folder);

    QVERIFY(w.mainChild<QToolButton>("SpeedButton2")->isEnabled());
    QVERIFY(!w.mainChild<QToolButton>("sbtnSaveMp4")->isEnabled());
    QVERIFY(w.mainChild<QToolButton>("sbtnSdCard")->isVisible());
    QCOMPARE(w.mainChild<QToolButton>("sbtnSdCard")->geometry(), QRect(280, 75, 58, 57));
    for (const char* hidden : {"barFile", "memoMessage", "memoSubtitle", "DateTimePickerFrom", "DateTimePickerTo"})
      QVERIFY2(w.mainChild<QWidget>(hidden)->isHidden(), hidden);
    QVERIFY(w.dialog->isHidden());
    QCOMPARE(w.dialog->windowTitle(), QString("Save as MP4 Video"));
    QCOMPARE(w.dialog->size(), QSize(458, 600));
    // No minimise button, and not above other programs: above the main window, as its transient.
    const Qt::WindowFlags buttons =
        Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint;
    QCOMPARE(w.dialog->windowFlags() & buttons, Qt::WindowCloseButtonHint);

    // The folder picker adds one separator.
    w.dialogs.folderAnswers = {std::string("/media/card"), std::string("/"), std::nullopt, std::string()};
    for (const char* want : {"/media/card/", "/", "/", "/"}) {  // the last two: cancelled, pathless item
      w.main->sbtnSdCardClick();
      QCOMPARE(w.state.sourceFolder, std::string(want));
      QCOMPARE(w.mainChild<QLabel>("lbDir")->text(), QString(want));
    }
    QCOMPARE(w.dialogs.folderTitles.front(), std::string("Select SD Card Drive"));
  }

  void diagnosisLogMirrorsTheHiddenLogs() {
    vk2::testing::TempDir dir;
    const std::string path = dir.file("diag.log");
    qputenv("VK2_LOG_FILE", QByteArray::fromStdString(path));
    auto diagnosis = vk2::gui::DiagnosisLog::fromEnvironment();
    qunsetenv("VK2_LOG_FILE");
    QVERIFY(diagnosis != nullptr);
    vk2::HiddenLog main, dialog;
    main.append("Documents = /x/");
    diagnosis->follow(main, "");
    diagnosis->follow(dialog, "[dialog] ");
    main.clear();  // a new selection clears the log, not the file
    main.append("File Open is done--------------------------");
    dialog.append("Start Time = 2021.10.29 8:5:3");
    QCOMPARE(vk2::testing::readText(path), std::string("Documents = /x/\nFile Open is done--------------------------\n"
                                                       "[dialog] Start Time = 2021.10.29 8:5:3\n"));

    // A file that cannot be written is shown at start-up, not lost.
    const std::string unwritable = dir.file("missing/diag.log");
    qputenv("VK2_LOG_FILE", QByteArray::fromStdString(unwritable));
    vk2::gui::testing::AnsweringDialogs dialogs;
    QVERIFY(vk2::gui::openDiagnosisLog(dialogs) == nullptr);
    qunsetenv("VK2_LOG_FILE");
    QCOMPARE(dialogs.errors, std::vector<std::string>{unwritable +
                                                      ": the diagnosis log (VK2_LOG_FILE) cannot be written: " +
                                                      vk2::systemReason(ENOENT)});
  }

  void openOneFifteenAndSixteenFilesThenOnesThatCannotBeOpened() {
    Windows w;
    auto* save = w.mainChild<QToolButton>("sbtnSaveMp4");
    auto* lbDir = w.mainChild<QLabel>("lbDir");

    const auto one = w.consecutive(1, kMorning, 60);
    w.open(one);
    QVERIFY(w.dialogs.messages.empty());
    QCOMPARE(text(lbDir->text()), w.recordings.path() + "\n1 MMV files is selected.");
    QVERIFY(save->isEnabled());
    QCOMPARE(w.state.spanEndTime, kMorning + 60);
    QCOMPARE(w.mainChild<QDateTimeEdit>("DateTimePickerFrom")->property("tag").toInt(), kMorning);

    const auto fifteen = w.consecutive(15, kMorning, 10);
    int barMaximum = -1;
    QList<int> barPositions;
    auto* bar = w.mainChild<QProgressBar>("barFile");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
      barPositions << v;
      barMaximum = bar->maximum();
    });
    w.open(fifteen);
    QCOMPARE(text(lbDir->text()), w.recordings.path() + "\n15 MMV files are selected.");
    QCOMPARE(barMaximum, 14);
    QCOMPARE(barPositions.back(), 14);  // the last file's step is past the maximum
    QCOMPARE(w.state.spanEndTime, kMorning + 150);

    auto sixteen = fifteen;
    sixteen.push_back(w.recordings.file("missing.mmv"));  // refused before any file is read
    w.open(sixteen);
    QCOMPARE(w.dialogs.messages, std::vector<std::string>{
                                     "MMV Merge-File Size is too big. Please select up to 15 files."});
    QCOMPARE(text(lbDir->text()), w.recordings.path() + "\n15 MMV files are selected.");
    QVERIFY(save->isEnabled() && bar->isHidden());

    // A failed join and an unreadable file.
    const auto good = w.consecutive(2, kMorning, 30);
    w.open(good);
    const std::string late = w.recordings.file("late.mmv");
    vk2::gui::testing::writeRecording(late, kMorning + 60 + 5, 30);  // 5 seconds after rec2 ends
    w.open({good[0], good[1], late});
    QCOMPARE(w.dialogs.messages.back(), std::string("It cannot be merged because the files have different times."));
    QCOMPARE(w.dialogs.messages.size(), size_t(2));
    // What the box is about goes to the diagnosis log.
    QCOMPARE(w.main->memoMessage().lines().back(),
             late + " starts 5 seconds after " + good[1] + " ends (files join within 4 seconds)");
    QCOMPARE(lbDir->text(), QString());
    QVERIFY(!save->isEnabled() && bar->isHidden());
    QCOMPARE(w.state.spanEndTime, kMorning + 60);  // the earlier span stays

    w.open(good);
    QVERIFY(save->isEnabled());
    const std::string broken = w.recordings.file("short.mmv");
    vk2::testing::writeText(broken, "too short");
    w.open({good[0], broken});
    QCOMPARE(w.dialogs.errors.size(), size_t(1));
    QVERIFY(w.dialogs.errors[0].find("short.mmv") != std::string::npos);
    QVERIFY(!save->isEnabled());
  }

  void dialogDefaultsAndTheirPersistence() {
    Windows w;
    w.open(w.consecutive(3, kMorning, 20));
    for (const char* name :
         {"checkBoxAudio", "checkBoxVehicleNo", "checkBoxLatLong", "checkBoxGsensor", "checkBoxRpm",
          "checkBoxDateTime", "checkBoxSpeed", "checkBoxDirection", "checkBoxFcw", "checkBoxLdw", "checkBoxFpw",
          "checkBoxFvsa", "checkBoxAlarmGsensor", "checkBoxPanic", "checkBoxOverSpeeding"})
      QVERIFY2(w.dialogChild<QCheckBox>(name)->isChecked() && w.dialogChild<QCheckBox>(name)->isEnabled(), name);
    auto* cam1 = w.dialogChild<QCheckBox>("checkBoxCam1");
    QVERIFY(cam1->isChecked() && !cam1->isEnabled());
    for (const char* name : {"rbTimeLocal", "rbSpeedKmh", "rbSubLocal", "rbSub12h"})
      QVERIFY2(w.dialogChild<QRadioButton>(name)->isChecked(), name);
    const vk2::ConversionOptions& options = *w.dialog;  // what the run reads
    QCOMPARE(options.cbSubDateFormat(), 0);
    QCOMPARE(w.dialogChild<QComboBox>("cbSubDateFormat")->count(), 5);

    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    QVERIFY(w.dialog->isVisible() && !w.main->isEnabled());
    QVERIFY(w.dialog->windowHandle()->transientParent() == w.main->windowHandle());
    QVERIFY(readyAgain(w, "0/4"));  // the counter at 0, Start ready, Cancel off
    QCOMPARE(text(w.dialogChild<QLineEdit>("edFolder")->text()), w.state.outputFolder);

    // Change options, the folder and the name; close; reopen.
    w.dialogChild<QCheckBox>("checkBoxAlarmGsensor")->click();
    w.dialogChild<QRadioButton>("rbSpeedMph")->click();
    w.dialogChild<QRadioButton>("rbSub24h")->click();
    w.dialogChild<QComboBox>("cbSubDateFormat")->setCurrentIndex(4);
    QCOMPARE(options.cbSubDateFormat(), vk2::kDateFormatNone);
    w.dialogChild<QComboBox>("cbSubDateFormat")->setCurrentIndex(3);
    w.dialogs.folderAnswers = {std::string("/tmp/elsewhere")};
    w.dialogChild<QPushButton>("Button1")->click();
    QCOMPARE(w.dialogChild<QLineEdit>("edFolder")->text(), QString("/tmp/elsewhere/"));
    QCOMPARE(w.dialogs.folderTitles.back(), std::string("Select MP4 Directory"));
    w.dialogChild<QLineEdit>("edMp4Filename")->setText("typed");
    w.dialogChild<QPushButton>("sbtnTimeFromPlus")->click();
    w.dialogChild<QPushButton>("btnClose")->click();
    QVERIFY(w.dialog->isHidden() && w.main->isEnabled());
    QVERIFY(!w.mainChild<QToolButton>("sbtnSaveMp4")->isEnabled());

    w.open(w.consecutive(1, kMorning, 20));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    QVERIFY(!options.checkBoxAlarmGsensor() && options.checkBoxGsensor());
    QVERIFY(!options.rbSpeedKmh() && !options.rbSub12h());
    QCOMPARE(options.cbSubDateFormat(), 3);
    QCOMPARE(text(w.dialogChild<QLineEdit>("edFolder")->text()), w.state.outputFolder);
    QCOMPARE(w.dialogChild<QLineEdit>("edMp4Filename")->text(), QString("20211029_080503_20"));
    QCOMPARE(w.dialogChild<QLabel>("lbProgress")->text(), QString("0/2"));
    QVERIFY(w.state.trimStart == 0 && w.state.trimEnd == 0);
    w.dialog->close();
  }

  void timeButtonsDateFormatAndLongWindows() {
    Windows w;
    const char* names[] = {"sbtnTimeFromPlus", "sbtnTimeFromMinus", "sbtnTimeToPlus", "sbtnTimeToMinus"};
    auto enabled = [&] {  // start +, start -, end +, end -
      QString on;
      for (const char* name : names) on += w.dialogChild<QPushButton>(name)->isEnabled() ? '1' : '0';
      return on;
    };
    auto click = [&](int button) { w.dialogChild<QPushButton>(names[button])->click(); };
    auto* lbSec = w.dialogChild<QLabel>("lbSec");

    w.open(w.consecutive(1, kMorning, 6));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    QCOMPARE(lbSec->text(), QString("6"));
    QCOMPARE(enabled(), QString("1001"));  // start "-" at the recording start
    click(0);
    QCOMPARE(lbSec->text(), QString("5"));
    QCOMPARE(enabled(), QString("0100"));
    QCOMPARE(w.state.trimStart, 1);
    QCOMPARE(w.dialogChild<QLineEdit>("edMp4Filename")->text(), QString("20211029_080504_5"));
    click(1);
    QCOMPARE(lbSec->text(), QString("6"));
    QCOMPARE(enabled(), QString("1001"));
    click(3);
    QCOMPARE(enabled().at(2), QChar('1'));
    QCOMPARE(w.state.trimEnd, 1);
    QCOMPARE(w.dialog->memoMessage().lines().back(), std::string("End Time = 2021.10.29 8:5:8"));

    // A typed date format chooses no layout, even with an entry's text.
    auto* box = w.dialogChild<QComboBox>("cbSubDateFormat");
    const vk2::ConversionOptions& options = *w.dialog;
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "YYYY.MM.DD");  // the text of the fourth entry
    QCOMPARE(options.cbSubDateFormat(), vk2::kDateFormatNone);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(options.cbSubDateFormat(), vk2::kDateFormatNone);
    QTest::keyClick(box->lineEdit(), Qt::Key_Down);  // a choice from the list by keys
    QCOMPARE(options.cbSubDateFormat(), 1);
    box->setEditText("YYYY/MM/DD");
    QCOMPARE(options.cbSubDateFormat(), vk2::kDateFormatNone);
    box->setCurrentIndex(2);
    QCOMPARE(options.cbSubDateFormat(), 2);

    // Long windows show their seconds whole.
    auto shownWhole = [&] { return lbSec->width() >= lbSec->sizeHint().width() && lbSec->geometry().right() == 375; };
    w.dialog->ShowTimeWindow(kMorning, kMorning + 100000);
    QCOMPARE(lbSec->text(), QString("100000"));
    QVERIFY(shownWhole());
    w.dialog->ShowTimeWindow(kMorning, kMorning + 6);
    QCOMPARE(lbSec->geometry(), QRect(328, 68, 48, 18));
    w.dialog->close();

    w.open(w.consecutive(1, kMorning, 5));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    QCOMPARE(enabled(), QString("0000"));
    QCOMPARE(w.state.trimEnd, 0);
    w.dialog->close();

    // Damaged stamps: the end before the start, at the ends of the 32-bit range.
    w.state.spanStartTime = std::numeric_limits<int32_t>::max();
    w.state.spanEndTime = std::numeric_limits<int32_t>::min();
    w.main->sbtnSaveMp4Click();
    QCOMPARE(lbSec->text(), QString("-4294967295"));
    QVERIFY(shownWhole());
    w.dialog->sbtnTimeFromPlusClick();  // steps past the ends stay in range
    w.dialog->sbtnTimeToMinusClick();
    QCOMPARE(w.state.windowStartTime, w.state.spanStartTime);
    QCOMPARE(w.state.windowEndTime, w.state.spanEndTime);
    QVERIFY(w.state.trimStart == 0 && w.state.trimEnd == 0);
    w.dialog->close();
  }

  void proposedNameAndLabelsLocalAndUtc() {
    setZone("JST-9");
    Windows w;
    w.open(w.consecutive(1, kMorning, 60));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    auto* from = w.dialogChild<QLabel>("lbTimeFrom");
    auto* to = w.dialogChild<QLabel>("lbTimeTo");
    auto* name = w.dialogChild<QLineEdit>("edMp4Filename");
    QCOMPARE(from->text(), QString("2021/10/29   05:05:03 PM"));
    QCOMPARE(to->text(), QString("2021/10/29   05:06:03 PM"));
    QCOMPARE(name->text(), QString("20211029_170503_60"));
    name->setText("typed");
    w.dialogChild<QRadioButton>("rbTimeLocal")->click();  // already the basis: proposed afresh all the same
    QCOMPARE(name->text(), QString("20211029_170503_60"));
    w.dialogChild<QRadioButton>("rbTimeUtc")->click();
    QCOMPARE(from->text(), QString("2021/10/29   08:05:03 AM"));
    QCOMPARE(name->text(), QString("20211029_080503_60"));
    QCOMPARE(w.dialog->memoMessage().lines().back(), std::string("End Time = 2021.10.29 8:6:3"));
    QCOMPARE(w.state.trimStart, 0);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    w.dialogChild<QRadioButton>("rbTimeLocal")->click();
    QCOMPARE(from->text(), QString("2021.10.29   05:05:03 PM"));
    QLocale::setDefault(QLocale::c());
    w.dialog->close();
    setZone("UTC0");
  }

  void startChecksTheFolderAndNameThenSavesTheTrack() {
    FakeConverter converter(kWritingConverter);
    Windows w;
    w.open(w.consecutive(1, kMorning, 4));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    auto* folder = w.dialogChild<QLineEdit>("edFolder");
    auto* name = w.dialogChild<QLineEdit>("edMp4Filename");
    const struct {
      const char* folder;
      const char* name;
      const char* problem;
    } refused[] = {{"", "clip", "folder is empty"},
                   {"/tmp/", "", "name is empty"},
                   {"/tmp/", "sub/clip", "\"sub/clip\" contains a path separator"}};
    for (const auto& r : refused) {
      folder->setText(r.folder);
      name->setText(r.name);
      w.dialogChild<QPushButton>("btnStart")->click();
      QVERIFY2(!w.dialogs.messages.empty() && w.dialogs.messages.back().find(r.problem) != std::string::npos,
               r.problem);
      QVERIFY(readyAgain(w, "0/2") && w.dialog->isVisible() && !w.main->runInProgress());
    }
    QCOMPARE(w.dialogs.messages.size(), size_t(3));
    QCOMPARE(converter.log(), std::string());

    const std::string out = w.recordings.path() + "out";  // typed without a final separator
    fs::create_directory(out);
    folder->setText(QString::fromStdString(out));
    name->setText("clip");
    // "Save the track", off by default: the chosen format beside the video, named in the
    // message, with the warning that these recordings hold no position fix.
    QVERIFY(!w.dialogChild<QCheckBox>("checkBoxTrack")->isChecked());
    w.dialogChild<QCheckBox>("checkBoxTrack")->setChecked(true);
    w.dialogChild<QComboBox>("cbTrackFormat")->setCurrentIndex(3);  // CSV
    // "Report", off by default too, drawn from the control table: the page beside the video.
    auto* report = w.dialogChild<QCheckBox>("checkBoxReport");
    QVERIFY(!report->isChecked() && report->text() == "Report" && report->isVisible());
    report->setChecked(true);
    w.dialogChild<QPushButton>("btnStart")->click();
    QCOMPARE(w.dialogs.messages.back(), "MP4 converted successfully\nThe track is saved as " + out +
                                            "/clip.csv\nThe report page is saved as " + out + "/clip.html\n" +
                                            out + "/clip.csv: no position fix in the selection: no row of the track "
                                                  "holds a position");
    QVERIFY(vk2::testing::fileExists(out + "/clip.mp4"));
    QVERIFY(!vk2::testing::fileExists(out + "clip.mp4"));
    QCOMPARE(vk2::testing::splitLines(vk2::testing::readText(out + "/clip.csv")).size(), size_t(5));  // the header and 4 records
    QVERIFY(vk2::testing::readText(out + "/clip.html").find("src=\"clip.mp4\"") != std::string::npos);
  }

  void cancelDuringAMergeThenAFullRunThenAFailedConverterStep() {
    FakeConverter converter(kWritingConverter);
    Windows w;
    w.open(w.consecutive(3, kMorning, 4));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    auto* start = w.dialogChild<QPushButton>("btnStart");
    auto* cancel = w.dialogChild<QPushButton>("btnCancel");
    bool cancelWasEnabled = false;
    bool mainWasLocked = false;
    const auto canceller =
        QObject::connect(w.dialog, &vk2::gui::TformSaveMp4::progressShown, [&](const QString& label, int, int) {
          if (label != "1/4") return;
          cancelWasEnabled = cancel->isEnabled() && !start->isEnabled();
          mainWasLocked = !w.main->isEnabled() && w.main->runInProgress();
          w.dialog->close();  // the main window stays locked until the run ends
          mainWasLocked = mainWasLocked && !w.main->isEnabled();
          cancel->click();
        });
    start->click();
    QObject::disconnect(canceller);
    QVERIFY(cancelWasEnabled);
    QVERIFY(mainWasLocked);
    QVERIFY(readyAgain(w, "0/4"));
    QVERIFY(w.dialogs.messages.empty() && w.dialogs.errors.empty());
    QVERIFY(!vk2::testing::fileExists(w.state.outputFolder + "20211029_080503_12.mp4"));
    QCOMPARE(converter.log(), std::string());
    QVERIFY(w.main->isEnabled());

    // Started again: the whole run, from the first file.
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    w.dialogChild<QCheckBox>("checkBoxRpm")->click();
    QStringList labels;
    QList<int> maxima;
    const auto watch = QObject::connect(w.dialog, &vk2::gui::TformSaveMp4::progressShown,
                                        [&](const QString& label, int, int maximum) {
                                          if (labels.isEmpty() || labels.back() != label) labels << label;
                                          maxima << maximum;
                                        });
    w.dialogChild<QPushButton>("btnStart")->click();
    QCOMPARE(labels, QStringList({"0/4", "1/4", "2/4", "3/4", "4/4"}));
    QVERIFY(maxima.count(4) == maxima.size());
    QCOMPARE(w.dialogs.errors, std::vector<std::string>{});
    QCOMPARE(w.dialogs.messages, std::vector<std::string>{"MP4 converted successfully"});
    QCOMPARE(w.openedFolders, std::vector<std::string>{w.state.outputFolder});
    QVERIFY(w.dialog->isHidden());
    QVERIFY(w.main->isEnabled());
    QVERIFY(!w.mainChild<QToolButton>("sbtnSaveMp4")->isEnabled());
    const std::string output = w.state.outputFolder + "20211029_080503_12.mp4";
    QVERIFY(vk2::testing::fileExists(output));
    QCOMPARE(vk2::testing::fakeMp4Marker(vk2::testing::readText(output)), std::string("video"));
    QVERIFY(converter.log().find("20211029_080503_12") != std::string::npos);

    // A recording cut off by a power loss converts, and is named below the message.
    const std::vector<std::string> cut = w.consecutive(1, kMorning + 100, 4);
    std::vector<uint8_t> bytes = vk2::testing::readFile(cut[0]);
    bytes.resize(bytes.size() - 100);
    vk2::testing::writeFile(cut[0], bytes);
    w.open(cut);
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    w.dialogChild<QPushButton>("btnStart")->click();
    QCOMPARE(w.dialogs.messages.size(), size_t(2));
    QVERIFY2(w.dialogs.messages[1].rfind("MP4 converted successfully\n" + cut[0] + " ends early at offset ", 0) == 0,
             w.dialogs.messages[1].c_str());

    // A failed converter step: the error, the dialog stays open and ready.
    QObject::disconnect(watch);
    converter.use(kFailingConverter);
    w.open(w.consecutive(1, kMorning, 4));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    QVERIFY(readyAgain(w, "0/2"));  // not the full bar of the last run
    w.dialogChild<QPushButton>("btnStart")->click();
    QCOMPARE(w.dialogs.errors,
             std::vector<std::string>{"Making the MP4 failed: the converter ended with exit status 3."});
    QCOMPARE(w.dialogs.messages.size(), size_t(2));
    QCOMPARE(w.openedFolders.size(), size_t(2));
    QVERIFY(w.dialog->isVisible() && !w.main->runInProgress());
    QVERIFY(readyAgain(w, "0/2"));
    w.dialog->close();
    QVERIFY(w.main->isEnabled());
  }

  void cancelDuringAConverterStep() {
    FakeConverter converter(kSlowConverter);
    Windows w;
    w.open(w.consecutive(1, kMorning, 4));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    auto* cancel = w.dialogChild<QPushButton>("btnCancel");
    auto* close = w.dialogChild<QPushButton>("btnClose");
    bool locked = false;
    bool closedBeforeTheConverter = false;
    QObject::connect(w.dialog, &vk2::gui::TformSaveMp4::progressShown, [&](const QString& label, int, int) {
      if (label != "1/2" || closedBeforeTheConverter) return;
      w.dialog->close();  // shown again when the converter starts, so Cancel can be reached
      closedBeforeTheConverter = w.dialog->isHidden();
    });
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (!cancel->isEnabled() || close->isEnabled()) return;  // not in the converter step yet
      w.dialog->close();  // the close box is refused too
      locked = w.dialog->isVisible() && !w.dialogChild<QWidget>("GroupBox2")->isEnabled() &&
               !w.dialogChild<QWidget>("edFolder")->isEnabled() && !w.main->isEnabled();
      watcher.stop();
      cancel->click();
    });
    watcher.start(20);
    QElapsedTimer clock;
    clock.start();
    w.dialogChild<QPushButton>("btnStart")->click();
    QVERIFY(closedBeforeTheConverter);
    QVERIFY(locked);
    QVERIFY(clock.elapsed() < 20000);
    QVERIFY(readyAgain(w, "0/2"));
    QCOMPARE(w.dialogs.messages.size(), size_t(1));  // the run's cancel message
    QVERIFY(w.dialogs.errors.empty());
    QVERIFY(w.dialog->isVisible() && w.dialogChild<QWidget>("GroupBox2")->isEnabled());
    w.dialog->close();
    QVERIFY(w.main->isEnabled());
  }

  // SIGTERM while the converter runs: the run ends as after Cancel (the
  // converter ended, the merged recording gone, the file that stood at the
  // target back), no box, and the program quits; outside a run SIGHUP quits it.
  void aStopSignalEndsTheRunThenTheProgram() {
    FakeConverter converter(kHangingConverter);
    Windows w;
    vk2::gui::quitOnStopSignal(*w.dialog);
    w.open(w.consecutive(2, kMorning, 4));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    const std::string folder = text(w.dialogChild<QLineEdit>("edFolder")->text());
    const std::string name = text(w.dialogChild<QLineEdit>("edMp4Filename")->text()) + ".mp4";
    vk2::testing::writeText(folder + name, "older");
    auto* cancel = w.dialogChild<QPushButton>("btnCancel");
    auto* close = w.dialogChild<QPushButton>("btnClose");
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (!cancel->isEnabled() || close->isEnabled()) return;  // not in the converter step yet
      watcher.stop();
      ::raise(SIGTERM);
    });
    watcher.start(20);
    QTimer::singleShot(0, [&] { w.dialogChild<QPushButton>("btnStart")->click(); });
    QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!watcher.isActive());
    QCOMPARE(vk2::testing::entriesOf(folder), std::vector<std::string>{name});
    QCOMPARE(vk2::testing::readText(folder + name), std::string("older"));
    QVERIFY(w.dialogs.messages.empty() && w.dialogs.errors.empty());
    const std::string pid = converter.read("pid");
    QVERIFY(!pid.empty() && ::kill(std::stoi(pid), 0) != 0);  // ended and reaped

    vk2::watchForStopSignals();  // the flag down again
    QTimer::singleShot(0, [] { ::raise(SIGHUP); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    vk2::watchForStopSignals();
  }

  void sdCardTripsConvertIntoTheFolderAndAFailedTripLetsTheNextGoOn() {
    FakeConverter converter(kWritingConverter);
    Windows w;
    const std::string card = w.recordings.file("card/");
    const auto trips = writeCard(card);
    auto* save = w.mainChild<QToolButton>("sbtnSaveMp4");
    w.dialogs.folderAnswers = {card};
    w.mainChild<QToolButton>("sbtnSdCard")->click();
    QCOMPARE(text(w.mainChild<QLabel>("lbDir")->text()), card + "\n2 trips in 6 MMV files");
    QVERIFY(save->isEnabled());
    QVERIFY(w.dialogs.messages.empty() && w.dialogs.errors.empty());
    const auto& log = w.main->memoMessage().lines();
    QVERIFY(std::find(log.begin(), log.end(),
                      "Skipped " + card + "broken.mmv: file is shorter than its 762-byte info block (9 bytes)") !=
            log.end());

    // The dialog opens on the first trip, scanned as the open command scans a selection.
    save->click();
    auto* name = w.dialogChild<QLineEdit>("edMp4Filename");
    QCOMPARE(w.state.selectedFiles, trips[0]);
    QCOMPARE(name->text(), QString("20211029_080503_8"));
    QVERIFY(name->isReadOnly());
    QCOMPARE(w.dialogChild<QLabel>("lbSec")->text(), QString("8"));
    QCOMPARE(w.dialogChild<QLabel>("lbTimeFrom")->text(), QString("2021/10/29   08:05:03 AM"));
    QCOMPARE(w.dialogChild<QLabel>("lbProgress")->text(), QString("0/3"));
    w.dialogChild<QPushButton>("sbtnTimeFromPlus")->click();  // one second off every trip's start
    QCOMPARE(name->text(), QString("20211029_080504_7"));

    QStringList titles;
    QStringList labels;
    QObject::connect(w.dialog, &vk2::gui::TformSaveMp4::progressShown, [&](const QString& label, int, int) {
      if (titles.isEmpty() || titles.back() != w.dialog->windowTitle()) titles << w.dialog->windowTitle();
      if (labels.isEmpty() || labels.back() != label) labels << label;
    });
    w.dialogChild<QPushButton>("btnStart")->click();
    QCOMPARE(titles, QStringList({"Save as MP4 Video - trip 1 of 2", "Save as MP4 Video - trip 2 of 2"}));
    QCOMPARE(labels, QStringList({"0/3", "1/3", "2/3", "3/3", "0/4", "1/4", "2/4", "3/4", "4/4"}));
    QCOMPARE(w.dialogs.errors, std::vector<std::string>{});
    QCOMPARE(w.dialogs.messages,
             std::vector<std::string>{"2 of 2 trips were converted into " + w.state.outputFolder + "."});
    for (const char* converted : {"20211029_080504_7.mp4", "20211029_090504_8.mp4"})
      QVERIFY2(vk2::testing::fakeMp4Marker(vk2::testing::readText(w.state.outputFolder + converted)) == "video",
               converted);
    QCOMPARE(w.openedFolders, std::vector<std::string>{w.state.outputFolder});
    QVERIFY(w.dialog->isHidden() && w.main->isEnabled());
    QCOMPARE(w.dialog->windowTitle(), QString("Save as MP4 Video"));

    // Files opened after the search are a plain selection again.
    w.open(w.consecutive(1, kMorning, 6));
    QVERIFY(!w.main->tripMode());
    save->click();
    QVERIFY(!name->isReadOnly());
    QCOMPARE(name->text(), QString("20211029_080503_6"));
    w.dialog->close();

    // A trip that fails: the next converts, and the dialog is ready on the first trip again.
    converter.use(failingForTheFirstTrip());
    w.dialogs.folderAnswers = {card};
    w.mainChild<QToolButton>("sbtnSdCard")->click();
    save->click();
    w.dialogChild<QPushButton>("btnStart")->click();
    QCOMPARE(w.dialogs.messages.back(), "1 of 2 trips was converted into " + w.state.outputFolder +
                                            ".\nTrip 1 (20211029_080503_8.mp4): Making the MP4 failed: the converter "
                                            "ended with exit status 3.");
    QVERIFY(!vk2::testing::fileExists(w.state.outputFolder + "20211029_080503_8.mp4"));
    QVERIFY(vk2::testing::fileExists(w.state.outputFolder + "20211029_090503_9.mp4"));
    QCOMPARE(w.openedFolders.size(), size_t(2));  // opened again for the trip that converted
    QVERIFY(w.dialog->isVisible() && readyAgain(w, "0/3"));
    QCOMPARE(w.state.selectedFiles, trips[0]);
    QCOMPARE(w.dialog->windowTitle(), QString("Save as MP4 Video"));
    w.dialog->close();
  }

  // "A clip per event" beside the name's label, for a card only: Start makes a
  // clip of each trip's G-Sensor raise, the title counting the clips.
  void sdCardClipPerEvent() {
    FakeConverter converter(kWritingConverter);
    Windows w;
    const std::string card = w.recordings.file("events/");
    fs::create_directories(card);
    vk2::testing::writeSecondRecords(card + "a.mmv", kMorning, 40, {30});
    vk2::testing::writeSecondRecords(card + "b.mmv", kMorning + 3600, 40, {5});
    w.dialogs.folderAnswers = {card};
    w.mainChild<QToolButton>("sbtnSdCard")->click();
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    auto* clips = w.dialogChild<QRadioButton>("rbEventClips");
    QVERIFY(clips->isVisible() && !clips->isChecked() && w.dialogChild<QRadioButton>("rbEveryTrip")->isChecked());
    QCOMPARE(clips->pos(), QPoint(250, 478));
    QCOMPARE(clips->text(), QString("A clip per event"));
    clips->click();
    QVERIFY(!w.dialogChild<QRadioButton>("rbEveryTrip")->isChecked());

    QStringList titles;
    QObject::connect(w.dialog, &vk2::gui::TformSaveMp4::progressShown, [&](const QString&, int, int) {
      if (titles.isEmpty() || titles.back() != w.dialog->windowTitle()) titles << w.dialog->windowTitle();
    });
    w.dialogChild<QPushButton>("btnStart")->click();
    QCOMPARE(titles, QStringList({"Save as MP4 Video - clip 1 of 2", "Save as MP4 Video - clip 2 of 2"}));
    QCOMPARE(w.dialogs.messages,
             std::vector<std::string>{"2 of 2 clips were converted into " + w.state.outputFolder + "."});
    QCOMPARE(vk2::testing::entriesOf(w.state.outputFolder),
             (std::vector<std::string>{"20211029_080533_G-Sensor.mp4", "20211029_090508_G-Sensor.mp4"}));
    QVERIFY(w.dialog->isHidden());
  }

  // Each subtitle choice with the real converter: the target's extension and
  // streams follow it; a minute-long burn-in shows its progress every second.
  void subtitleChoicesAndConverterProgress() {
    if (vk2::testing::commandOutput("command -v ffmpeg").empty()) QSKIP("no ffmpeg");
    Windows w;
    vk2::synth::SynthOptions o;
    o.outPrefix = w.recordings.file("real");
    o.seconds = 3;
    o.width = 160;
    o.height = 120;
    o.fps = 10;
    const std::vector<std::string> three = vk2::synth::generateRecordings(o);
    const std::pair<int, std::string> choices[] = {
        {0, "aac,h264,"}, {1, "aac,h264,"}, {2, "aac,ass,h264,"}, {3, "aac,h264,"}};
    for (const auto& [index, streams] : choices) {
      w.open(three);
      w.mainChild<QToolButton>("sbtnSaveMp4")->click();
      w.dialogChild<QComboBox>("cbSubtitles")->setCurrentIndex(index);
      const std::string name = text(w.dialogChild<QLineEdit>("edMp4Filename")->text());
      w.dialogChild<QPushButton>("btnStart")->click();
      const std::string output = w.state.outputFolder + name + (index == 2 ? ".mkv" : ".mp4");
      const std::string probed = vk2::testing::commandOutput(
          "ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " + vk2::testing::shellQuoted(output) +
          " | sort | tr '\\n' ,");
      QCOMPARE(probed, streams);
      // burn-fast tries the hardware encoders first; none works here.
      QCOMPARE(w.dialogs.messages.back(), std::string(index == 2 ? "MKV" : "MP4") + " converted successfully" +
                                              (index == 1 ? " (encoder: libx264)" : ""));
      std::remove(output.c_str());
    }

    o.outPrefix = w.recordings.file("minute");
    o.seconds = 60;
    w.open(vk2::synth::generateRecordings(o));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    w.dialogChild<QComboBox>("cbSubtitles")->setCurrentIndex(0);
    QElapsedTimer clock;
    std::vector<std::pair<qint64, QString>> shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      const QString now = w.dialogChild<QLabel>("lbConverter")->text();
      if (!now.isEmpty() && (shown.empty() || shown.back().second != now)) shown.emplace_back(clock.elapsed(), now);
    });
    poll.start(20);
    clock.start();
    w.dialogChild<QPushButton>("btnStart")->click();
    QVERIFY2(shown.size() >= 2, "no progress shown");
    // The converter reports twice a second: the line moves every second on average,
    // and never stands still for two even on a loaded machine.
    for (std::size_t i = 1; i < shown.size(); ++i) QVERIFY(shown[i].first - shown[i - 1].first <= 2000);
    QVERIFY((shown.back().first - shown.front().first) / static_cast<qint64>(shown.size() - 1) <= 1000);
    // The step's last line may come and go between two looks; most of the way was shown.
    QVERIFY2(shown.back().second.section(' ', 0, 0).toInt() >= 50, qPrintable(shown.back().second));
  }

  // Screenshots for the README when VK2_SCREENSHOT_DIR names a folder.
  void screenshots() {
    const QByteArray folder = qgetenv("VK2_SCREENSHOT_DIR");
    if (folder.isEmpty()) QSKIP("VK2_SCREENSHOT_DIR not set");
    Windows w;
    w.open(w.consecutive(3, kMorning, 20));
    QTest::qWait(200);
    QVERIFY(w.main->grab().save(folder + "/main-window.png"));
    w.mainChild<QToolButton>("sbtnSaveMp4")->click();
    w.dialogChild<QPushButton>("sbtnTimeFromPlus")->click();
    QTest::qWait(200);
    QVERIFY(w.dialog->grab().save(folder + "/save-dialog.png"));
    w.dialog->close();
    w.dialogs.folderAnswers = {w.recordings.file("card/")};
    writeCard(w.recordings.file("card/"));
    w.mainChild<QToolButton>("sbtnSdCard")->click();
    QTest::qWait(200);
    QVERIFY(w.main->grab().save(folder + "/sd-card.png"));
  }
};

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
