#pragma once
// The controls of the two windows, as one table every view builds its windows
// from: name, kind, parent, place in pixels (relative to the parent), caption,
// font and first state. The model and the views name a control by its Control.
#include <span>
#include <string>
#include <vector>

namespace vk2::ui {

enum class Window { Main, SaveMp4 };

enum class Control {
  // TFormWebsocketclientf
  Panel1, Image1, SpeedButton2, sbtnSaveMp4, sbtnSdCard, Panel2, Shape2, lbDir, mainBarFile, mainMemoMessage,
  memoSubtitle, DateTimePickerFrom, DateTimePickerTo,
  // TformSaveMp4
  GroupBox5, checkBoxCam1, checkBoxAudio, cbSubtitles,
  GroupBox1, lbTimeFrom, lbTimeTo, sbtnTimeFromPlus, sbtnTimeFromMinus, sbtnTimeToPlus, sbtnTimeToMinus, rbTimeLocal,
  rbTimeUtc, lbSec, Label1, checkBoxTrack, cbTrackFormat, checkBoxReport,
  GroupBox2, checkBoxVehicleNo, checkBoxLatLong, checkBoxGsensor, checkBoxRpm, checkBoxDateTime, checkBoxSpeed,
  checkBoxDirection, GroupBox3, checkBoxFcw, checkBoxLdw, checkBoxFpw, checkBoxFvsa, checkBoxAlarmGsensor,
  checkBoxPanic, checkBoxOverSpeeding, GroupBox7, rbSpeedKmh, rbSpeedMph, GroupBox4, rbSubLocal, rbSubUtc, GroupBox6,
  rbSub12h, rbSub24h, Label2, cbSubDateFormat, Label3, edFolder, Button1, Label4, edMp4Filename, rbEveryTrip,
  rbEventClips, barFile, lbProgress,
  btnStart, btnCancel, btnClose, lbConverter, memoMessage,
  None,  // no control: the parent of a window's top-level controls
};

inline constexpr int kControlCount = static_cast<int>(Control::None);

enum class ControlKind {
  Panel,           // a plain frame
  Picture,         // the banner
  Shape,           // a black filled rectangle
  PictureButton,   // a flat button showing a picture
  Label,
  ProgressBar,
  Memo,            // hidden text lists; they only keep their places
  DateTimePicker,  // hidden; holds the selection's span
  GroupBox,
  CheckBox,
  RadioButton,     // the first of a group of two starts checked
  PushButton,
  Edit,
  DropDownList,    // a drop-down whose text cannot be typed
  DropDownEdit,    // a drop-down whose text can also be typed
};

enum class TextStyle { Normal, Blue, YellowOnBlack };

// A label's text alignment inside its place; AutoSize labels take their text's size.
enum class Align { AutoSize, Left, Right, Center };

enum class Picture { None, Banner, OpenFolder, FilmStrip, MemoryCard };

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct ControlSpec {
  Control id;
  Window window;
  Control parent;
  ControlKind kind;
  const char* name;     // the control's name, as the views name their widgets
  const char* caption;  // caption or first text
  Rect place;           // relative to the parent's top-left corner
  int fontPoints;       // Tahoma
  TextStyle style;
  Align align;
  bool enabled;
  bool visible;
  bool checked;
  Picture picture;
  const char* hint;  // tooltip
};

// Every control, in the order the views create them (parents first).
std::span<const ControlSpec> controlTable();
const ControlSpec& spec(Control c);
// The entries of a drop-down, in order.
std::vector<std::string> dropDownItems(Control c);

// Where lbSec stands when its number fits; a longer one widens it to the left.
inline constexpr Rect kLengthPlace{328, 68, 48, 18};

struct WindowSpec {
  const char* name;
  const char* caption;
  int clientWidth;
  int clientHeight;
};
const WindowSpec& windowSpec(Window w);

inline constexpr const char* kMainCaption =
    "VK2 MP4 Conversion Tool                                                             ";
// Title of the message boxes. (An application display name would be appended
// to every window caption, so the boxes name the tool themselves.)
inline constexpr const char* kBoxTitle = "VK2 MP4 Conversion Tool";

}  // namespace vk2::ui
