#include "window_model/controls.h"

#include <array>

namespace vk2::ui {

namespace {

using C = Control;
using K = ControlKind;
constexpr Window M = Window::Main;
constexpr Window S = Window::SaveMp4;
constexpr TextStyle N = TextStyle::Normal;

// The dialog's group boxes and their contents use Tahoma 10 pt, everything else 8 pt.
constexpr int fontFor(Window w, C parent) { return w == S && parent != C::None ? 10 : 8; }

constexpr ControlSpec item(C id, Window w, C parent, K kind, const char* name, const char* caption, Rect place,
                           int font = 0, bool enabled = true, bool visible = true, bool checked = false) {
  return {id,      w,       parent,  kind,          name, caption, place, font ? font : fontFor(w, parent), N,
          Align::Left, enabled, visible, checked, Picture::None, ""};
}

constexpr ControlSpec pictureButton(C id, const char* name, Rect place, Picture picture, const char* hint,
                                    bool enabled = true) {
  return {id, M, C::None, K::PictureButton, name, "", place, 8, N, Align::Left, enabled, true, false, picture, hint};
}

constexpr ControlSpec checkBox(C id, C parent, const char* name, const char* caption, Rect place) {
  return item(id, S, parent, K::CheckBox, name, caption, place, 0, true, true, true);
}

constexpr ControlSpec label(C id, C parent, const char* name, const char* caption, int x, int y) {
  ControlSpec s = item(id, S, parent, K::Label, name, caption, {x, y, 0, 0});
  s.align = Align::AutoSize;
  return s;
}

constexpr ControlSpec blueLabel(C id, const char* name, const char* caption, Rect place, Align align) {
  ControlSpec s = item(id, S, C::GroupBox1, K::Label, name, caption, place, 11);
  s.style = TextStyle::Blue;
  s.align = align;
  return s;
}

constexpr ControlSpec group(C id, C parent, const char* name, const char* caption, Rect place) {
  return item(id, S, parent, K::GroupBox, name, caption, place, 10);
}

constexpr ControlSpec radio(C id, C parent, const char* name, const char* caption, Rect place, bool first) {
  return item(id, S, parent, K::RadioButton, name, caption, place, 0, true, true, first);
}

constexpr ControlSpec hidden(C id, Window w, C parent, K kind, const char* name, Rect place) {
  return item(id, w, parent, kind, name, "", place, 0, true, false);
}

constexpr ControlSpec kTable[] = {
    // The main window.
    item(C::Panel1, M, C::None, K::Panel, "Panel1", "", {0, 0, 360, 43}),
    [] {
      ControlSpec s = item(C::Image1, M, C::Panel1, K::Picture, "Image1", "", {1, 1, 358, 41});
      s.picture = Picture::Banner;
      return s;
    }(),
    pictureButton(C::SpeedButton2, "SpeedButton2", {75, 62, 57, 57}, Picture::OpenFolder, "Open MMV files"),
    pictureButton(C::sbtnSaveMp4, "sbtnSaveMp4", {214, 62, 60, 57}, Picture::FilmStrip, "Save as MP4 video", false),
    pictureButton(C::sbtnSdCard, "sbtnSdCard", {280, 75, 58, 57}, Picture::MemoryCard,
                  "Find the trips on an SD card"),
    item(C::Panel2, M, C::None, K::Panel, "Panel2", "", {0, 138, 360, 65}),
    item(C::Shape2, M, C::Panel2, K::Shape, "Shape2", "", {1, 1, 358, 63}),
    [] {
      ControlSpec s = item(C::lbDir, M, C::Panel2, K::Label, "lbDir", "", {35, 26, 0, 0});
      s.style = TextStyle::YellowOnBlack;
      s.align = Align::AutoSize;
      return s;
    }(),
    hidden(C::mainBarFile, M, C::Panel2, K::ProgressBar, "barFile", {32, 3, 289, 17}),
    hidden(C::mainMemoMessage, M, C::None, K::Memo, "memoMessage", {294, 49, 55, 23}),
    hidden(C::memoSubtitle, M, C::None, K::Memo, "memoSubtitle", {257, 77, 52, 35}),
    hidden(C::DateTimePickerFrom, M, C::None, K::DateTimePicker, "DateTimePickerFrom", {280, 89, 69, 21}),
    hidden(C::DateTimePickerTo, M, C::None, K::DateTimePicker, "DateTimePickerTo", {280, 62, 69, 21}),

    // The options dialog.
    group(C::GroupBox5, C::None, "GroupBox5", " Objects of conversion ", {8, 8, 441, 49}),
    [] {
      ControlSpec s = checkBox(C::checkBoxCam1, C::GroupBox5, "checkBoxCam1", "CAM1", {24, 22, 97, 17});
      s.enabled = false;
      return s;
    }(),
    checkBox(C::checkBoxAudio, C::GroupBox5, "checkBoxAudio", "Audio", {144, 22, 81, 17}),
    // How the subtitles are delivered, in the group's free place.
    item(C::cbSubtitles, S, C::GroupBox5, K::DropDownList, "cbSubtitles", "", {240, 19, 190, 21}),

    group(C::GroupBox1, C::None, "GroupBox1", " Time ", {8, 63, 441, 114}),
    blueLabel(C::lbTimeFrom, "lbTimeFrom", "2021-10-29  10:10:10 AM", {42, 29, 168, 18}, Align::Right),
    blueLabel(C::lbTimeTo, "lbTimeTo", "2021-10-29  10:10:10 AM", {42, 73, 168, 18}, Align::Right),
    item(C::sbtnTimeFromPlus, S, C::GroupBox1, K::PushButton, "sbtnTimeFromPlus", "+", {216, 17, 23, 22}),
    item(C::sbtnTimeFromMinus, S, C::GroupBox1, K::PushButton, "sbtnTimeFromMinus", "-", {216, 36, 23, 22}),
    item(C::sbtnTimeToPlus, S, C::GroupBox1, K::PushButton, "sbtnTimeToPlus", "+", {216, 62, 23, 22}),
    item(C::sbtnTimeToMinus, S, C::GroupBox1, K::PushButton, "sbtnTimeToMinus", "-", {216, 81, 23, 22}),
    radio(C::rbTimeLocal, C::GroupBox1, "rbTimeLocal", "Local", {312, 32, 49, 17}, true),
    radio(C::rbTimeUtc, C::GroupBox1, "rbTimeUtc", "UTC", {380, 32, 49, 17}, false),
    blueLabel(C::lbSec, "lbSec", "0", kLengthPlace, Align::Center),
    label(C::Label1, C::GroupBox1, "Label1", "Sec", 380, 68),
    // The telemetry as a track file beside the video, in the group's free corner; off by default.
    [] {
      ControlSpec s = checkBox(C::checkBoxTrack, C::GroupBox1, "checkBoxTrack", "Save the track", {246, 89, 112, 17});
      s.checked = false;
      return s;
    }(),
    item(C::cbTrackFormat, S, C::GroupBox1, K::DropDownList, "cbTrackFormat", "", {362, 87, 70, 21}),
    // The report page beside the video, left of the track's choice, under the window's end; off by default.
    [] {
      ControlSpec s = checkBox(C::checkBoxReport, C::GroupBox1, "checkBoxReport", "Report", {150, 92, 62, 17});
      s.checked = false;
      return s;
    }(),

    group(C::GroupBox2, C::None, "GroupBox2", " Items of Subtitles ", {9, 183, 441, 243}),
    checkBox(C::checkBoxVehicleNo, C::GroupBox2, "checkBoxVehicleNo", "Vehicle No", {24, 38, 97, 17}),
    checkBox(C::checkBoxLatLong, C::GroupBox2, "checkBoxLatLong", "Lat/Long", {24, 61, 81, 17}),
    checkBox(C::checkBoxGsensor, C::GroupBox2, "checkBoxGsensor", "G-Sensor", {24, 84, 81, 17}),
    checkBox(C::checkBoxRpm, C::GroupBox2, "checkBoxRpm", "RPM", {24, 107, 81, 17}),
    checkBox(C::checkBoxDateTime, C::GroupBox2, "checkBoxDateTime", "Date/Time", {127, 38, 81, 17}),
    checkBox(C::checkBoxSpeed, C::GroupBox2, "checkBoxSpeed", "Vehicle Speed", {127, 61, 98, 17}),
    checkBox(C::checkBoxDirection, C::GroupBox2, "checkBoxDirection", "Direction", {127, 84, 66, 17}),
    group(C::GroupBox3, C::GroupBox2, "GroupBox3", "Event Titles", {8, 129, 185, 102}),
    checkBox(C::checkBoxFcw, C::GroupBox3, "checkBoxFcw", "FCW", {16, 22, 57, 17}),
    checkBox(C::checkBoxLdw, C::GroupBox3, "checkBoxLdw", "LDW", {16, 37, 49, 17}),
    checkBox(C::checkBoxFpw, C::GroupBox3, "checkBoxFpw", "FPW", {16, 53, 49, 17}),
    checkBox(C::checkBoxFvsa, C::GroupBox3, "checkBoxFvsa", "FVSA", {16, 69, 49, 17}),
    checkBox(C::checkBoxAlarmGsensor, C::GroupBox3, "checkBoxAlarmGsensor", "G-Sensor", {79, 22, 82, 17}),
    checkBox(C::checkBoxPanic, C::GroupBox3, "checkBoxPanic", "Panic Button", {79, 37, 90, 17}),
    checkBox(C::checkBoxOverSpeeding, C::GroupBox3, "checkBoxOverSpeeding", "Speeding", {79, 53, 90, 17}),
    group(C::GroupBox7, C::GroupBox2, "GroupBox7", " Speed ", {280, 17, 137, 42}),
    radio(C::rbSpeedKmh, C::GroupBox7, "rbSpeedKmh", "km/h", {16, 18, 49, 17}, true),
    radio(C::rbSpeedMph, C::GroupBox7, "rbSpeedMph", "mph", {80, 18, 49, 17}, false),
    group(C::GroupBox4, C::GroupBox2, "GroupBox4", " Display Time ", {280, 61, 137, 48}),
    radio(C::rbSubLocal, C::GroupBox4, "rbSubLocal", "Local", {16, 21, 49, 17}, true),
    radio(C::rbSubUtc, C::GroupBox4, "rbSubUtc", "UTC", {80, 21, 49, 17}, false),
    group(C::GroupBox6, C::GroupBox2, "GroupBox6", " Time Format ", {280, 111, 137, 73}),
    radio(C::rbSub12h, C::GroupBox6, "rbSub12h", "12H AM/PM", {16, 22, 89, 17}, true),
    radio(C::rbSub24h, C::GroupBox6, "rbSub24h", "24H", {16, 45, 49, 17}, false),
    // The date layout sits in the items group below the time format box.
    label(C::Label2, C::GroupBox2, "Label2", "Date Format", 292, 186),
    item(C::cbSubDateFormat, S, C::GroupBox2, K::DropDownEdit, "cbSubDateFormat", "MM/DD/YYYY", {292, 208, 117, 24}),

    label(C::Label3, C::None, "Label3", "MP4 File Folder", 16, 432),
    item(C::edFolder, S, C::None, K::Edit, "edFolder", "", {16, 451, 378, 21}),
    item(C::Button1, S, C::None, K::PushButton, "Button1", "---", {400, 449, 49, 25}),
    label(C::Label4, C::None, "Label4", "MP4 File Name", 16, 480),
    item(C::edMp4Filename, S, C::None, K::Edit, "edMp4Filename", "", {16, 499, 433, 21}),
    // What Start makes of a card's trips, beside the name's label; shown only for a card.
    [] {
      ControlSpec s = radio(C::rbEveryTrip, C::None, "rbEveryTrip", "Every trip", {150, 478, 90, 17}, true);
      s.visible = false;
      return s;
    }(),
    [] {
      ControlSpec s = radio(C::rbEventClips, C::None, "rbEventClips", "A clip per event", {250, 478, 130, 17}, false);
      s.visible = false;
      return s;
    }(),
    item(C::barFile, S, C::None, K::ProgressBar, "barFile", "", {16, 526, 393, 23}),
    [] {
      ControlSpec s = item(C::lbProgress, S, C::None, K::Label, "lbProgress", "0/1", {415, 530, 36, 16});
      s.align = Align::Center;
      return s;
    }(),
    item(C::btnStart, S, C::None, K::PushButton, "btnStart", "Start", {16, 560, 75, 33}),
    item(C::btnCancel, S, C::None, K::PushButton, "btnCancel", "Cancel", {97, 560, 64, 33}, 0, false),
    item(C::btnClose, S, C::None, K::PushButton, "btnClose", "Close", {375, 560, 75, 33}),
    // How far the running converter step is, from its own progress output.
    [] {
      ControlSpec s = item(C::lbConverter, S, C::None, K::Label, "lbConverter", "", {168, 568, 200, 17});
      s.align = Align::Center;
      return s;
    }(),
    hidden(C::memoMessage, S, C::None, K::Memo, "memoMessage", {167, 555, 186, 37}),
};

static_assert(std::size(kTable) == kControlCount, "one entry per control");

constexpr bool inEnumOrder() {
  for (std::size_t i = 0; i < std::size(kTable); ++i)
    if (static_cast<std::size_t>(kTable[i].id) != i) return false;
  return true;
}
static_assert(inEnumOrder(), "the table is indexed by Control");

constexpr WindowSpec kWindows[] = {
    {"FormWebsocketclientf", kMainCaption, 360, 203},
    {"formSaveMp4", "Save as MP4 Video", 458, 600},
};

}  // namespace

std::span<const ControlSpec> controlTable() { return kTable; }

const ControlSpec& spec(Control c) { return kTable[static_cast<std::size_t>(c)]; }

std::vector<std::string> dropDownItems(Control c) {
  switch (c) {
    case Control::cbSubtitles:  // the order of SubtitleDelivery
      return {"Subtitles burnt in", "Burnt in, fast", "Subtitle track (.mkv)", "No subtitles"};
    case Control::cbTrackFormat:  // the order of TrackFormat
      return {"GPX", "KML", "GeoJSON", "CSV"};
    case Control::cbSubDateFormat:
      return {"MM/DD/YYYY", "MM.DD.YYYY", "YYYY/MM/DD", "YYYY.MM.DD", ""};
    default:
      return {};
  }
}

const WindowSpec& windowSpec(Window w) { return kWindows[static_cast<std::size_t>(w)]; }

}  // namespace vk2::ui
