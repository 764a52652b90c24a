#include "gui/save_mp4_dialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "conversion/conversion_run.h"
#include "conversion/trip_batch.h"
#include "core/time_window.h"
#include "gui/fonts.h"
#include "gui/list_choice.h"
#include "gui/locale_separators.h"
#include "gui/main_window.h"

namespace vk2::gui {

namespace {

// Keeps the left and top of a control and widens it when the font in use
// needs more room than the layout gives, so no caption is cut.
void widenToFit(QWidget* w) {
  const int needed = w->sizeHint().width();
  if (needed > w->width()) w->resize(needed, w->height());
}

// Shrinks a fixed-size label's font until its text fits.
void shrinkToFit(QLabel* l, int pointSize) {
  QFont f = l->font();
  f.setPointSize(pointSize);
  while (f.pointSize() > 7 && QFontMetrics(f).horizontalAdvance(l->text()) > l->width())
    f.setPointSize(f.pointSize() - 1);
  l->setFont(f);
}

QGroupBox* groupBox(QWidget* parent, const char* name, const char* caption, QRect geometry) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(name);
  g->setGeometry(geometry);
  g->setFont(tahoma(10));
  return g;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, QRect geometry) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(name);
  c->setGeometry(geometry);
  c->setChecked(true);
  widenToFit(c);
  return c;
}

// One choice of two: the first is checked.
std::pair<QRadioButton*, QRadioButton*> choice(QWidget* parent, const char* firstName, const char* firstCaption,
                                               QRect firstGeometry, const char* secondName,
                                               const char* secondCaption, QRect secondGeometry) {
  auto* first = new QRadioButton(firstCaption, parent);
  first->setObjectName(firstName);
  first->setGeometry(firstGeometry);
  auto* second = new QRadioButton(secondCaption, parent);
  second->setObjectName(secondName);
  second->setGeometry(secondGeometry);
  auto* group = new QButtonGroup(parent);
  group->addButton(first);
  group->addButton(second);
  first->setChecked(true);
  widenToFit(first);
  widenToFit(second);
  return {first, second};
}

QLabel* label(QWidget* parent, const char* name, const char* caption, QPoint at) {
  auto* l = new QLabel(caption, parent);
  l->setObjectName(name);
  l->move(at);
  l->adjustSize();
  return l;
}

QLabel* blueLabel(QWidget* parent, const char* name, const char* caption, QRect geometry, Qt::Alignment align) {
  auto* l = new QLabel(caption, parent);
  l->setObjectName(name);
  l->setGeometry(geometry);
  l->setAlignment(align | Qt::AlignVCenter);
  l->setFont(tahoma(11));
  QPalette blue = l->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  l->setPalette(blue);
  return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setGeometry(geometry);
  b->setAutoDefault(false);
  return b;
}

QString fromText(const std::string& text) { return QString::fromLocal8Bit(text); }

// Where lbSec stands when its number fits; "Sec" follows right of it.
const QRect kLengthPlace(328, 68, 48, 18);

}  // namespace

TformSaveMp4::TformSaveMp4(ConversionState& state, TFormWebsocketclientf& mainWindow)
    // A window of its own: a child window would be disabled with the main window.
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                               Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      state_(state),
      main_(mainWindow) {
  setObjectName("formSaveMp4");
  setWindowTitle("Save as MP4 Video");
  setFont(tahoma(8));
  setFixedSize(458, 600);
  buildLayout();
  FormCreate();
}

TformSaveMp4::~TformSaveMp4() = default;

void TformSaveMp4::buildLayout() {
  QGroupBox* objects = groupBox(this, "GroupBox5", " Objects of conversion ", QRect(8, 8, 441, 49));
  cam1_ = checkBox(objects, "checkBoxCam1", "CAM1", QRect(24, 22, 97, 17));
  cam1_->setEnabled(false);
  audio_ = checkBox(objects, "checkBoxAudio", "Audio", QRect(144, 22, 81, 17));
  // How the subtitles are delivered, in the group's free place; the order is SubtitleDelivery's.
  subtitles_ = new QComboBox(objects);
  subtitles_->setObjectName("cbSubtitles");
  subtitles_->addItems({"Subtitles burnt in", "Burnt in, fast", "Subtitle track (.mkv)", "No subtitles"});
  subtitles_->setGeometry(240, 19, 190, 21);

  QGroupBox* time = groupBox(this, "GroupBox1", " Time ", QRect(8, 63, 441, 114));
  lbTimeFrom_ = blueLabel(time, "lbTimeFrom", "2021-10-29  10:10:10 AM", QRect(42, 29, 168, 18), Qt::AlignRight);
  lbTimeTo_ = blueLabel(time, "lbTimeTo", "2021-10-29  10:10:10 AM", QRect(42, 73, 168, 18), Qt::AlignRight);
  timeFromPlus_ = button(time, "sbtnTimeFromPlus", "+", QRect(216, 17, 23, 22));
  timeFromMinus_ = button(time, "sbtnTimeFromMinus", "-", QRect(216, 36, 23, 22));
  timeToPlus_ = button(time, "sbtnTimeToPlus", "+", QRect(216, 62, 23, 22));
  timeToMinus_ = button(time, "sbtnTimeToMinus", "-", QRect(216, 81, 23, 22));
  for (QPushButton* b : {timeFromPlus_, timeFromMinus_, timeToPlus_, timeToMinus_}) {
    b->setAutoRepeat(false);
    b->setFocusPolicy(Qt::NoFocus);
  }
  std::tie(timeLocal_, timeUtc_) =
      choice(time, "rbTimeLocal", "Local", QRect(312, 32, 49, 17), "rbTimeUtc", "UTC", QRect(380, 32, 49, 17));
  lbSec_ = blueLabel(time, "lbSec", "0", kLengthPlace, Qt::AlignHCenter);
  label(time, "Label1", "Sec", QPoint(380, 68));
  // The telemetry as a track file beside the video, in the group's free corner; off by default.
  saveTrack_ = checkBox(time, "checkBoxTrack", "Save the track", QRect(246, 89, 112, 17));
  saveTrack_->setChecked(false);
  trackFormat_ = new QComboBox(time);
  trackFormat_->setObjectName("cbTrackFormat");
  trackFormat_->addItems({"GPX", "KML", "GeoJSON", "CSV"});  // the order of TrackFormat
  trackFormat_->setGeometry(362, 87, 70, 21);

  QGroupBox* items = groupBox(this, "GroupBox2", " Items of Subtitles ", QRect(9, 183, 441, 243));
  vehicleNo_ = checkBox(items, "checkBoxVehicleNo", "Vehicle No", QRect(24, 38, 97, 17));
  latLong_ = checkBox(items, "checkBoxLatLong", "Lat/Long", QRect(24, 61, 81, 17));
  gsensor_ = checkBox(items, "checkBoxGsensor", "G-Sensor", QRect(24, 84, 81, 17));
  rpm_ = checkBox(items, "checkBoxRpm", "RPM", QRect(24, 107, 81, 17));
  dateTime_ = checkBox(items, "checkBoxDateTime", "Date/Time", QRect(127, 38, 81, 17));
  speed_ = checkBox(items, "checkBoxSpeed", "Vehicle Speed", QRect(127, 61, 98, 17));
  direction_ = checkBox(items, "checkBoxDirection", "Direction", QRect(127, 84, 66, 17));

  QGroupBox* events = groupBox(items, "GroupBox3", "Event Titles", QRect(8, 129, 185, 102));
  fcw_ = checkBox(events, "checkBoxFcw", "FCW", QRect(16, 22, 57, 17));
  ldw_ = checkBox(events, "checkBoxLdw", "LDW", QRect(16, 37, 49, 17));
  fpw_ = checkBox(events, "checkBoxFpw", "FPW", QRect(16, 53, 49, 17));
  fvsa_ = checkBox(events, "checkBoxFvsa", "FVSA", QRect(16, 69, 49, 17));
  alarmGsensor_ = checkBox(events, "checkBoxAlarmGsensor", "G-Sensor", QRect(79, 22, 82, 17));
  panic_ = checkBox(events, "checkBoxPanic", "Panic Button", QRect(79, 37, 90, 17));
  overSpeeding_ = checkBox(events, "checkBoxOverSpeeding", "Speeding", QRect(79, 53, 90, 17));

  QGroupBox* speedBox = groupBox(items, "GroupBox7", " Speed ", QRect(280, 17, 137, 42));
  std::tie(speedKmh_, speedMph_) = choice(speedBox, "rbSpeedKmh", "km/h", QRect(16, 18, 49, 17), "rbSpeedMph",
                                          "mph", QRect(80, 18, 49, 17));
  QGroupBox* displayTime = groupBox(items, "GroupBox4", " Display Time ", QRect(280, 61, 137, 48));
  std::tie(subLocal_, subUtc_) = choice(displayTime, "rbSubLocal", "Local", QRect(16, 21, 49, 17), "rbSubUtc",
                                        "UTC", QRect(80, 21, 49, 17));
  QGroupBox* timeFormat = groupBox(items, "GroupBox6", " Time Format ", QRect(280, 111, 137, 73));
  std::tie(sub12h_, sub24h_) = choice(timeFormat, "rbSub12h", "12H AM/PM", QRect(16, 22, 89, 17), "rbSub24h",
                                      "24H", QRect(16, 45, 49, 17));
  // The date layout sits in the items group below the time format box.
  label(items, "Label2", "Date Format", QPoint(292, 186));
  dateFormat_ = new QComboBox(items);
  dateFormat_->setObjectName("cbSubDateFormat");
  dateFormat_->setEditable(true);
  dateFormat_->setInsertPolicy(QComboBox::NoInsert);
  dateFormat_->addItems({"MM/DD/YYYY", "MM.DD.YYYY", "YYYY/MM/DD", "YYYY.MM.DD", ""});
  dateFormat_->setCurrentIndex(0);
  dateFormatChoice_ = new ListChoice(dateFormat_);
  dateFormat_->setGeometry(292, 208, 117, 24);

  label(this, "Label3", "MP4 File Folder", QPoint(16, 432));
  edFolder_ = new QLineEdit(this);
  edFolder_->setObjectName("edFolder");
  edFolder_->setGeometry(16, 451, 378, 21);
  button1_ = button(this, "Button1", "---", QRect(400, 449, 49, 25));
  label(this, "Label4", "MP4 File Name", QPoint(16, 480));
  edMp4Filename_ = new QLineEdit(this);
  edMp4Filename_->setObjectName("edMp4Filename");
  edMp4Filename_->setGeometry(16, 499, 433, 21);

  barFile_ = new QProgressBar(this);
  barFile_->setObjectName("barFile");
  barFile_->setGeometry(16, 526, 393, 23);
  barFile_->setRange(0, 1);
  barFile_->setValue(0);
  barFile_->setTextVisible(false);
  lbProgress_ = new QLabel("0/1", this);
  lbProgress_->setObjectName("lbProgress");
  lbProgress_->setGeometry(415, 530, 36, 16);
  lbProgress_->setAlignment(Qt::AlignCenter);

  btnStart_ = button(this, "btnStart", "Start", QRect(16, 560, 75, 33));
  btnCancel_ = button(this, "btnCancel", "Cancel", QRect(97, 560, 64, 33));
  btnCancel_->setEnabled(false);
  btnClose_ = button(this, "btnClose", "Close", QRect(375, 560, 75, 33));
  lbConverter_ = new QLabel(this);
  lbConverter_->setObjectName("lbConverter");
  lbConverter_->setGeometry(168, 568, 200, 17);
  lbConverter_->setAlignment(Qt::AlignCenter);
  auto* memo = new QPlainTextEdit(this);
  memo->setObjectName("memoMessage");
  memo->setGeometry(167, 555, 186, 37);
  memo->hide();

  connect(timeFromPlus_, &QPushButton::clicked, this, [this] { sbtnTimeFromPlusClick(); });
  connect(timeFromMinus_, &QPushButton::clicked, this, [this] { sbtnTimeFromMinusClick(); });
  connect(timeToPlus_, &QPushButton::clicked, this, [this] { sbtnTimeToPlusClick(); });
  connect(timeToMinus_, &QPushButton::clicked, this, [this] { sbtnTimeToMinusClick(); });
  connect(timeLocal_, &QRadioButton::clicked, this, [this] { rbTimeLocalClick(); });
  connect(timeUtc_, &QRadioButton::clicked, this, [this] { rbTimeUtcClick(); });
  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(btnStart_, &QPushButton::clicked, this, [this] { btnStartClick(); });
  connect(btnCancel_, &QPushButton::clicked, this, [this] { btnCancelClick(); });
  connect(btnClose_, &QPushButton::clicked, this, [this] { close(); });
}

// Option readers -------------------------------------------------------------

bool TformSaveMp4::checkBoxCam1() const { return cam1_->isChecked(); }
bool TformSaveMp4::checkBoxAudio() const { return audio_->isChecked(); }
bool TformSaveMp4::rbTimeLocal() const { return timeLocal_->isChecked(); }
bool TformSaveMp4::checkBoxVehicleNo() const { return vehicleNo_->isChecked(); }
bool TformSaveMp4::checkBoxGsensor() const { return gsensor_->isChecked(); }
bool TformSaveMp4::checkBoxDateTime() const { return dateTime_->isChecked(); }
bool TformSaveMp4::checkBoxDirection() const { return direction_->isChecked(); }
bool TformSaveMp4::checkBoxSpeed() const { return speed_->isChecked(); }
bool TformSaveMp4::checkBoxRpm() const { return rpm_->isChecked(); }
bool TformSaveMp4::checkBoxLatLong() const { return latLong_->isChecked(); }
bool TformSaveMp4::checkBoxFcw() const { return fcw_->isChecked(); }
bool TformSaveMp4::checkBoxLdw() const { return ldw_->isChecked(); }
bool TformSaveMp4::checkBoxFpw() const { return fpw_->isChecked(); }
bool TformSaveMp4::checkBoxFvsa() const { return fvsa_->isChecked(); }
bool TformSaveMp4::checkBoxAlarmGsensor() const { return alarmGsensor_->isChecked(); }
bool TformSaveMp4::checkBoxOverSpeeding() const { return overSpeeding_->isChecked(); }
bool TformSaveMp4::checkBoxPanic() const { return panic_->isChecked(); }
bool TformSaveMp4::rbSpeedKmh() const { return speedKmh_->isChecked(); }
bool TformSaveMp4::rbSubLocal() const { return subLocal_->isChecked(); }
bool TformSaveMp4::rbSub12h() const { return sub12h_->isChecked(); }

int TformSaveMp4::cbSubDateFormat() const {
  // Typed text selects no layout, like the empty fifth entry.
  const int index = dateFormatChoice_->chosenIndex();
  return (index >= 0 && index <= 3) ? index : kDateFormatNone;
}

SubtitleDelivery TformSaveMp4::cbSubtitles() const {
  return static_cast<SubtitleDelivery>(std::clamp(subtitles_->currentIndex(), 0, 3));
}

// Creation, showing and closing -------------------------------------------------

void TformSaveMp4::FormCreate() {
  state_.windowStart = CalendarTime{};
  state_.windowEnd = CalendarTime{};
  state_.trimStart = 0;
  state_.trimEnd = 0;
  state_.cancelRequested = false;
}

void TformSaveMp4::showSpan(const CalendarTime& start, const CalendarTime& end, int64_t lengthSeconds) {
  const LocaleSeparators sep = localeSeparators();
  showLength(QString::number(lengthSeconds));
  lbTimeFrom_->setText(fromText(windowLabel(start, sep.date, sep.time)));
  lbTimeTo_->setText(fromText(windowLabel(end, sep.date, sep.time)));
  shrinkToFit(lbTimeFrom_, 11);
  shrinkToFit(lbTimeTo_, 11);
}

void TformSaveMp4::showOver(QWidget* owner) {
  FormShow();
  const QRect frame = owner->frameGeometry();
  move(frame.center() - rect().center());
  show();
  raise();
  activateWindow();
}

void TformSaveMp4::FormShow() {
  edFolder_->setText(fromText(state_.outputFolder));
  // Each trip of a card gets its own proposed name; the field shows the first trip's.
  edMp4Filename_->setReadOnly(main_.tripMode());
  resetProgress();
  main_.setEnabled(false);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
}

void TformSaveMp4::FormClose() {
  main_.setSaveCommandEnabled(false);
  main_.enableUnlessRunning();
  hide();
}

void TformSaveMp4::closeEvent(QCloseEvent* event) {
  // During a converter step only Cancel takes input.
  if (converterStepLocked_) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TformSaveMp4::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TformSaveMp4::Button1Click() {
  if (const auto folder = browseForFolder(main_.environment().dialogs, this, "Select MP4 Directory"))
    edFolder_->setText(fromText(*folder));
}

// Time window -------------------------------------------------------------------

void TformSaveMp4::showLength(const QString& seconds) {
  lbSec_->setText(seconds);
  // A longer number widens the label to the left, away from the "Sec" caption.
  QRect place = kLengthPlace;
  const int needed = lbSec_->sizeHint().width();
  if (needed > place.width()) place.setLeft(place.right() + 1 - needed);
  lbSec_->setGeometry(place);
}

void TformSaveMp4::ShowTimeWindow(int32_t startTime, int32_t endTime) {
  windowShownLocal_ = rbTimeLocal();
  const TimeWindowView view = describeTimeWindow(startTime, endTime, windowShownLocal_);
  memoMessage_.append(view.startLogLine);
  memoMessage_.append(view.endLogLine);
  state_.windowStart = view.start;
  state_.windowEnd = view.end;
  const LocaleSeparators sep = localeSeparators();
  lbTimeFrom_->setText(fromText(windowLabel(view.start, sep.date, sep.time)));
  lbTimeTo_->setText(fromText(windowLabel(view.end, sep.date, sep.time)));
  shrinkToFit(lbTimeFrom_, 11);
  shrinkToFit(lbTimeTo_, 11);
  showLength(fromText(view.lengthText));
  edMp4Filename_->setText(fromText(view.fileName));
}

void TformSaveMp4::UpdateTimeButtons() {
  TimeButtons current{timeFromPlus_->isEnabled(), timeFromMinus_->isEnabled(), timeToPlus_->isEnabled(),
                      timeToMinus_->isEnabled()};
  const TimeButtons next = vk2::UpdateTimeButtons(state_, current);
  timeFromPlus_->setEnabled(next.fromPlus);
  timeFromMinus_->setEnabled(next.fromMinus);
  timeToPlus_->setEnabled(next.toPlus);
  timeToMinus_->setEnabled(next.toMinus);
}

void TformSaveMp4::sbtnTimeFromPlusClick() {
  state_.windowStartTime = steppedTime(state_.windowStartTime, 1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

void TformSaveMp4::sbtnTimeFromMinusClick() {
  state_.windowStartTime = steppedTime(state_.windowStartTime, -1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

void TformSaveMp4::sbtnTimeToPlusClick() {
  state_.windowEndTime = steppedTime(state_.windowEndTime, 1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

void TformSaveMp4::sbtnTimeToMinusClick() {
  state_.windowEndTime = steppedTime(state_.windowEndTime, -1);
  ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
  UpdateTimeButtons();
}

// A click on the basis already shown changes nothing, so a typed name stays.
void TformSaveMp4::rbTimeLocalClick() {
  if (rbTimeLocal() != windowShownLocal_) ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
}
void TformSaveMp4::rbTimeUtcClick() {
  if (rbTimeLocal() != windowShownLocal_) ShowTimeWindow(state_.windowStartTime, state_.windowEndTime);
}

}  // namespace vk2::gui
