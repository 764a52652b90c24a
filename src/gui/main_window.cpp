#include "gui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

#include "conversion/card_search.h"
#include "gui/artwork.h"
#include "gui/fonts.h"
#include "gui/save_mp4_dialog.h"
#include "mmv/scan.h"
#include "platform/folders.h"

namespace vk2::gui {

namespace {

QToolButton* pictureButton(QWidget* parent, const char* name, const QPixmap& picture, QRect geometry) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setAutoRaise(true);
  b->setIcon(QIcon(picture));
  b->setIconSize(picture.size());
  b->setGeometry(geometry);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

QDateTime asDateTime(const CalendarTime& t) {
  return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

}  // namespace

TFormWebsocketclientf::TFormWebsocketclientf(ConversionState& state, GuiEnvironment& env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      state_(state),
      env_(env) {
  setObjectName("FormWebsocketclientf");
  setWindowTitle(kMainCaption);
  setFont(tahoma(8));
  setFixedSize(360, 203);
  buildLayout();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormCreate();
}

TFormWebsocketclientf::~TFormWebsocketclientf() = default;

void TFormWebsocketclientf::buildLayout() {
  auto* panel1 = new QFrame(this);
  panel1->setObjectName("Panel1");
  panel1->setGeometry(0, 0, 360, 43);
  auto* image1 = new QLabel(panel1);
  image1->setObjectName("Image1");
  image1->setGeometry(1, 1, 358, 41);
  image1->setScaledContents(true);
  image1->setPixmap(bannerPicture(358, 41));

  speedButton2_ = pictureButton(this, "SpeedButton2", openFolderPicture(), QRect(75, 62, 57, 57));
  speedButton2_->setToolTip("Open MMV files");
  connect(speedButton2_, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });

  sbtnSaveMp4_ = pictureButton(this, "sbtnSaveMp4", filmStripPicture(), QRect(214, 62, 60, 57));
  sbtnSaveMp4_->setToolTip("Save as MP4 video");
  sbtnSaveMp4_->setEnabled(false);
  connect(sbtnSaveMp4_, &QToolButton::clicked, this, [this] { sbtnSaveMp4Click(); });

  sbtnSdCard_ = pictureButton(this, "sbtnSdCard", memoryCardPicture(), QRect(280, 75, 58, 57));
  sbtnSdCard_->setToolTip("Find the trips on an SD card");
  connect(sbtnSdCard_, &QToolButton::clicked, this, [this] { sbtnSdCardClick(); });

  auto* panel2 = new QFrame(this);
  panel2->setObjectName("Panel2");
  panel2->setGeometry(0, 138, 360, 65);
  auto* shape2 = new QFrame(panel2);
  shape2->setObjectName("Shape2");
  shape2->setGeometry(1, 1, 358, 63);
  shape2->setAutoFillBackground(true);
  QPalette black = shape2->palette();
  black.setColor(QPalette::Window, Qt::black);
  shape2->setPalette(black);

  lbDir_ = new QLabel(panel2);
  lbDir_->setObjectName("lbDir");
  lbDir_->move(35, 26);
  lbDir_->setFont(tahoma(8));
  QPalette yellow = lbDir_->palette();
  yellow.setColor(QPalette::WindowText, Qt::yellow);
  lbDir_->setPalette(yellow);
  lbDir_->adjustSize();

  barFile_ = new QProgressBar(panel2);
  barFile_->setObjectName("barFile");
  barFile_->setGeometry(32, 3, 289, 17);
  barFile_->setTextVisible(false);
  barFile_->hide();

  // The hidden text lists live in HiddenLog; these controls only keep their places.
  auto* memo = new QPlainTextEdit(this);
  memo->setObjectName("memoMessage");
  memo->setGeometry(294, 49, 55, 23);
  memo->hide();
  auto* memoSub = new QPlainTextEdit(this);
  memoSub->setObjectName("memoSubtitle");
  memoSub->setGeometry(257, 77, 52, 35);
  memoSub->hide();

  pickerFrom_ = new QDateTimeEdit(this);
  pickerFrom_->setObjectName("DateTimePickerFrom");
  pickerFrom_->setGeometry(280, 89, 69, 21);
  pickerFrom_->hide();
  pickerTo_ = new QDateTimeEdit(this);
  pickerTo_->setObjectName("DateTimePickerTo");
  pickerTo_->setGeometry(280, 62, 69, 21);
  pickerTo_->hide();
}

void TFormWebsocketclientf::FormCreate() {
  state_.outputFolder = defaultOutputFolder();
  memoMessage_.append("Documents = " + state_.outputFolder);
  createFolders(state_.outputFolder);  // a failure shows later, when a stage writes there
  state_.sourceFolder.clear();
}

const ConversionOptions& TFormWebsocketclientf::options() const {
  if (saveDialog_) return *saveDialog_;
  return defaultOptions_;
}

StageContext TFormWebsocketclientf::makeContext(const ConversionOptions& options) {
  StageContext ctx{state_, memoMessage_, memoSubtitle_, options, {}, &env_.launcher, {}};
  ctx.pump = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
  return ctx;
}

void TFormWebsocketclientf::showSummary(const std::string& text) {
  // The label breaks lines at "\n"; a carriage return would show as a glyph.
  QString shown = QString::fromLocal8Bit(text);
  shown.remove(QChar('\r'));
  lbDir_->setText(shown);
  lbDir_->adjustSize();
}

void TFormWebsocketclientf::SpeedButton2Click() {
  if (runInProgress_) return;
  state_.mergeFailed = false;
  if (!state_.sourceFolder.empty()) showSummary(state_.sourceFolder);
  const auto chosen = env_.dialogs.chooseMmvFiles(this, state_.sourceFolder);
  if (!chosen) {
    showTripsAgain();
    return;
  }

  barFile_->setMaximum(std::max<int>(0, static_cast<int>(chosen->size()) - 1));
  barFile_->setValue(0);
  barFile_->show();
  auto hideBar = [this] {
    barFile_->setValue(0);
    barFile_->hide();
  };

  StageContext ctx = makeContext(options());
  OpenResult result;
  try {
    result = OpenMmvFiles(ctx, *chosen,
                          [this](int index) { barFile_->setValue(std::min(index, barFile_->maximum())); });
  } catch (const std::exception& e) {
    // The selection is only partly scanned: the earlier span no longer belongs
    // to selectedFiles, so the save command must not use it.
    trips_.clear();
    hideBar();
    showSummary("");
    setSaveCommandEnabled(false);
    env_.dialogs.showError(this, e.what());
    return;
  }

  if (result.outcome == OpenOutcome::TooManyFiles) {
    env_.dialogs.showMessage(this, result.message);
    hideBar();
    showTripsAgain();
    return;
  }
  if (result.outcome == OpenOutcome::Cancelled) {
    hideBar();
    showTripsAgain();
    return;
  }
  // The files chosen replace the card's trips, whether or not they can be converted.
  trips_.clear();
  if (result.outcome == OpenOutcome::NotJoined) {
    env_.dialogs.showMessage(this, result.message);
    hideBar();
    showSummary("");
    setSaveCommandEnabled(false);
    return;
  }
  showSpanInPickers();
  showSummary(result.summary());
  barFile_->hide();
  setSaveCommandEnabled(true);
}

void TFormWebsocketclientf::showSpanInPickers() {
  pickerFrom_->setDateTime(asDateTime(state_.spanStart));
  pickerFrom_->setProperty("tag", state_.spanStartTime);
  pickerTo_->setDateTime(asDateTime(state_.spanEnd));
  pickerTo_->setProperty("tag", state_.spanEndTime);
}

// The open command shows the source folder before its chooser; a chooser that
// changed nothing leaves the card's trips, and their text comes back.
void TFormWebsocketclientf::showTripsAgain() {
  if (tripMode()) showSummary(tripStatus_);
}

// The dialog starts from the first trip, scanned as the open command scans a selection.
bool TFormWebsocketclientf::scanFirstTrip() {
  StageContext ctx = makeContext(options());
  OpenResult result;
  try {
    result = OpenMmvFiles(ctx, trips_.front().files);
  } catch (const std::exception& e) {
    env_.dialogs.showError(this, e.what());
    return false;
  }
  if (result.outcome != OpenOutcome::Selected) {
    env_.dialogs.showMessage(this, result.message);
    return false;
  }
  showSpanInPickers();
  return true;
}

void TFormWebsocketclientf::sbtnSaveMp4Click() {
  if (!saveDialog_ || runInProgress_) return;
  if (tripMode() && !scanFirstTrip()) return;
  state_.windowStart = state_.spanStart;
  state_.windowEnd = state_.spanEnd;
  state_.windowStartTime = state_.spanStartTime;
  state_.windowEndTime = state_.spanEndTime;
  saveDialog_->showSpan(state_.windowStart, state_.windowEnd,
                        static_cast<int64_t>(state_.spanEndTime) - state_.spanStartTime);
  saveDialog_->UpdateTimeButtons();
  saveDialog_->showOver(this);
}

void TFormWebsocketclientf::sbtnSdCardClick() {
  if (runInProgress_) return;
  const auto folder = browseForFolder(env_.dialogs, this, "Select SD Card Drive");
  if (!folder) return;
  state_.sourceFolder = *folder;
  showSummary(state_.sourceFolder);
  // The search replaces whatever the save command would have converted.
  const CardSearch search = searchCard(state_.sourceFolder);
  for (const std::string& line : search.logLines) memoMessage_.append(line);
  trips_ = search.trips;
  tripStatus_ = cardStatusText(state_.sourceFolder, search);
  showSummary(tripStatus_);
  setSaveCommandEnabled(tripMode());
  if (!search.problem.empty()) env_.dialogs.showMessage(this, search.problem);
}

void TFormWebsocketclientf::setSaveCommandEnabled(bool enabled) { sbtnSaveMp4_->setEnabled(enabled); }

void TFormWebsocketclientf::setRunInProgress(bool running) {
  runInProgress_ = running;
  if (running) setEnabled(false);
}

void TFormWebsocketclientf::enableUnlessRunning() {
  if (!runInProgress_) setEnabled(true);
}

void TFormWebsocketclientf::closeEvent(QCloseEvent* event) {
  if (runInProgress_) {
    event->ignore();
    return;
  }
  event->accept();  // the last window closed ends the message loop
}

}  // namespace vk2::gui
