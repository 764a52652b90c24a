#pragma once
// The user's conversion choices. Stages read them through ConversionOptions at the
// moment they need a value (the subtitle writer once per record), so the windows
// answer straight from their controls and there is no second copy of an option.
// PlainConversionOptions answers from plain values for the command line and tests.
#include <string>

namespace vk2 {

// Position of the empty (fifth) entry of the date layout list, or typed text.
constexpr int kDateFormatNone = -1;

// How the telemetry reaches the video: burnt into the picture (the default),
// burnt in with the encoder's fast preset, as a subtitle track of a Matroska
// file (no re-encoding), or not at all (the muxed video only).
enum class SubtitleDelivery { Burn = 0, BurnFast = 1, Track = 2, None = 3 };

// ".mkv" for the subtitle track, ".mp4" otherwise.
inline const char* outputExtension(SubtitleDelivery d) { return d == SubtitleDelivery::Track ? ".mkv" : ".mp4"; }

class ConversionOptions {
 public:
  virtual ~ConversionOptions() = default;

  virtual bool checkBoxCam1() const { return true; }  // the one video channel, always on
  virtual bool checkBoxAudio() const = 0;
  virtual bool rbTimeLocal() const = 0;  // false: rbTimeUtc
  virtual bool checkBoxVehicleNo() const = 0;
  virtual bool checkBoxGsensor() const = 0;
  virtual bool checkBoxDateTime() const = 0;
  virtual bool checkBoxDirection() const = 0;
  virtual bool checkBoxSpeed() const = 0;
  virtual bool checkBoxRpm() const = 0;
  virtual bool checkBoxLatLong() const = 0;
  virtual bool checkBoxFcw() const = 0;
  virtual bool checkBoxLdw() const = 0;
  virtual bool checkBoxFpw() const = 0;
  virtual bool checkBoxFvsa() const = 0;
  virtual bool checkBoxAlarmGsensor() const = 0;
  virtual bool checkBoxOverSpeeding() const = 0;
  virtual bool checkBoxPanic() const = 0;
  virtual bool rbSpeedKmh() const = 0;  // false: rbSpeedMph
  virtual bool rbSubLocal() const = 0;  // false: rbSubUtc
  virtual bool rbSub12h() const = 0;    // false: rbSub24h
  // 0 "MM/DD/YYYY", 1 "MM.DD.YYYY", 2 "YYYY/MM/DD", 3 "YYYY.MM.DD"; any other
  // value (kDateFormatNone) selects none of them.
  virtual int cbSubDateFormat() const = 0;
  virtual SubtitleDelivery cbSubtitles() const { return SubtitleDelivery::Burn; }
  // The burn-in's encoder: "" (none chosen), "auto", "x264" or a hardware encoder's name.
  virtual std::string burnEncoder() const { return std::string(); }
};

struct PlainConversionOptions : ConversionOptions {
  bool audio = true;
  bool timeLocal = true;
  bool vehicleNo = true;
  bool gsensor = true;
  bool dateTime = true;
  bool direction = true;
  bool speed = true;
  bool rpm = true;
  bool latLong = true;
  bool fcw = true;
  bool ldw = true;
  bool fpw = true;
  bool fvsa = true;
  bool alarmGsensor = true;
  bool overSpeeding = true;
  bool panic = true;
  bool speedKmh = true;
  bool subLocal = true;
  bool sub12h = true;
  int dateFormat = 0;
  SubtitleDelivery subtitles = SubtitleDelivery::Burn;
  std::string encoder;

  bool checkBoxAudio() const override { return audio; }
  bool rbTimeLocal() const override { return timeLocal; }
  bool checkBoxVehicleNo() const override { return vehicleNo; }
  bool checkBoxGsensor() const override { return gsensor; }
  bool checkBoxDateTime() const override { return dateTime; }
  bool checkBoxDirection() const override { return direction; }
  bool checkBoxSpeed() const override { return speed; }
  bool checkBoxRpm() const override { return rpm; }
  bool checkBoxLatLong() const override { return latLong; }
  bool checkBoxFcw() const override { return fcw; }
  bool checkBoxLdw() const override { return ldw; }
  bool checkBoxFpw() const override { return fpw; }
  bool checkBoxFvsa() const override { return fvsa; }
  bool checkBoxAlarmGsensor() const override { return alarmGsensor; }
  bool checkBoxOverSpeeding() const override { return overSpeeding; }
  bool checkBoxPanic() const override { return panic; }
  bool rbSpeedKmh() const override { return speedKmh; }
  bool rbSubLocal() const override { return subLocal; }
  bool rbSub12h() const override { return sub12h; }
  int cbSubDateFormat() const override { return dateFormat; }
  SubtitleDelivery cbSubtitles() const override { return subtitles; }
  std::string burnEncoder() const override { return encoder; }
};

}  // namespace vk2
