#include "telemetry/report_page.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

#include "core/calendar_time.h"
#include "core/paths.h"
#include "extract/subtitle_text.h"
#include "telemetry/report_script.h"
#include "telemetry/track_text.h"

namespace vk2 {

namespace {

// Chart coordinates: the width the time axis spans and each chart's height.
constexpr double kChartWidth = 1000.0;
constexpr double kChartHeight = 150.0;
constexpr double kChartStep = 0.5;  // seconds of video per drawn point at most
constexpr double kMetresPerDegree = 111320.0;

// One colour per kind of kTrackEvents, dark enough for white text beside it.
constexpr const char* kKindColours[kTrackEvents.size()] = {"#d62728", "#ff7f0e", "#9467bd", "#8c564b",
                                                           "#1f77b4", "#bcbd22", "#111111"};

double accelerationOf(const ReportSample& s) {
  const double x = s.accel[0] / 1000.0, y = s.accel[1] / 1000.0, z = s.accel[2] / 1000.0 - 1.0;
  return std::sqrt(x * x + y * y + z * z);
}

double speedIn(int kmh, bool speedKmh) { return speedKmh ? kmh : kmh * 0.621371; }

// The route's plane: metres east and north of the first fix, east shrunk by the cosine of its latitude.
struct Plane {
  double latitude0 = 0.0, longitude0 = 0.0, eastScale = 1.0;
  explicit Plane(const ReportSample* first) {
    if (!first) return;
    latitude0 = first->latitude;
    longitude0 = first->longitude;
    eastScale = std::cos(latitude0 * 3.14159265358979323846 / 180.0);
  }
  std::pair<double, double> at(const ReportSample& s) const {
    return {(s.longitude - longitude0) * eastScale * kMetresPerDegree, (s.latitude - latitude0) * kMetresPerDegree};
  }
};

const ReportSample* firstFix(const std::vector<ReportSample>& samples) {
  for (const ReportSample& s : samples)
    if (s.fix) return &s;
  return nullptr;
}

double distanceToSegment(std::pair<double, double> p, std::pair<double, double> a, std::pair<double, double> b) {
  const double dx = b.first - a.first, dy = b.second - a.second;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.first - a.first) * dx + (p.second - a.second) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.first - (a.first + t * dx), p.second - (a.second + t * dy));
}

std::string number(double value, int decimals) {
  const std::string text = fixedText(value, decimals);
  return text.empty() ? "0" : text;
}

std::string clockOf(int32_t clock, const EpisodeDisplay& d) {
  return clockText(breakDownTime(clock, d.localTime), d.twelveHourClock) + (d.localTime ? "" : " UTC");
}

std::string dateTimeOf(int32_t clock, const EpisodeDisplay& d) {
  const CalendarTime t = breakDownTime(clock, d.localTime);
  if (d.dateFormat < 0 || d.dateFormat > 3) return clockOf(clock, d);
  std::string text = dateTimeText(t, d.dateFormat, d.twelveHourClock);
  if (!d.twelveHourClock) text.erase(10, 1);  // one blank, as the event table's times
  return text + (d.localTime ? "" : " UTC");
}

class PageWriter {
 public:
  PageWriter(std::ostream& out, const ReportData& data)
      : out_(out), d_(data), chart_(chartSamples(data.samples)), plane_(firstFix(data.samples)) {
    span_ = data.samples.empty() ? 1.0 : std::max(1.0, data.samples.back().videoSeconds);
  }

  void write() {
    head();
    out_ << "<body>\n";
    header();
    out_ << "<main>\n<div class=\"top\">\n";
    route();
    video();
    out_ << "</div>\n";
    charts();
    table();
    out_ << "</main>\n";
    island();
    out_ << "<script>" << kReportScript << "</script>\n</body>\n</html>\n";
  }

 private:
  std::string x(double seconds) const { return number(seconds / span_ * kChartWidth, 1); }

  std::string kindColour(const EventEpisode& e) const { return kKindColours[e.kind % kTrackEvents.size()]; }

  std::string recordingName(const EventEpisode& e) const {
    return e.start.file < d_.recordings.size() ? fileNameOf(d_.recordings[e.start.file]) : "";
  }

  std::string title() const {
    std::string t = "Trip report";
    if (!d_.vehicle.empty()) t += ": " + d_.vehicle;
    if (!d_.samples.empty()) t += ", " + dateTimeOf(d_.samples.front().clock, d_.display);
    return t;
  }

  void head() {
    out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         // Nothing may be fetched: no network access, whatever a recording holds.
         << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
            "style-src 'unsafe-inline'; script-src 'unsafe-inline'; media-src 'self' file: blob:\">\n"
         << "<title>" << htmlText(title()) << "</title>\n<style>" << kReportStyle << "</style>\n</head>\n";
  }

  void header() {
    out_ << "<header><h1>" << htmlText(title()) << "</h1>\n<p>";
    if (d_.samples.empty()) {
      out_ << "No telemetry record lies in the time window.";
    } else {
      out_ << htmlText(dateTimeOf(d_.samples.front().clock, d_.display)) << " to "
           << htmlText(dateTimeOf(d_.samples.back().clock, d_.display)) << ", " << d_.samples.size()
           << (d_.samples.size() == 1 ? " record" : " records") << ", " << d_.episodes.size()
           << (d_.episodes.size() == 1 ? " event" : " events");
    }
    out_ << "</p>\n<p class=\"files\">";
    for (std::size_t i = 0; i < d_.recordings.size(); ++i)
      out_ << (i ? ", " : "") << htmlText(fileNameOf(d_.recordings[i]));
    out_ << "</p></header>\n";
  }

  void route() {
    out_ << "<section class=\"route\"><h2>Route</h2>\n";
    const std::vector<std::size_t> points = routeSamples(d_.samples, 2.0);
    if (points.empty()) {
      out_ << "<p>No position fix in the selection.</p></section>\n";
      return;
    }
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (const ReportSample& s : d_.samples) {
      if (!s.fix) continue;
      const auto [px, py] = plane_.at(s);
      minX = first ? px : std::min(minX, px), maxX = first ? px : std::max(maxX, px);
      minY = first ? py : std::min(minY, py), maxY = first ? py : std::max(maxY, py);
      first = false;
    }
    const double size = std::max({maxX - minX, maxY - minY, 50.0});
    const double pad = size * 0.06;
    const double radius = size * 0.015;
    out_ << "<svg id=\"route\" viewBox=\"" << number(minX - pad, 1) << ' ' << number(-maxY - pad, 1) << ' '
         << number(maxX - minX + 2 * pad, 1) << ' ' << number(maxY - minY + 2 * pad, 1)
         << "\" role=\"img\" aria-label=\"The route\">\n<polyline class=\"line\" points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
      const auto [px, py] = plane_.at(d_.samples[points[i]]);
      out_ << (i ? " " : "") << number(px, 1) << ',' << number(-py, 1);
    }
    out_ << "\"/>\n";
    const auto mark = [&](const ReportSample& s, const char* cls, const std::string& fill, const std::string& tip,
                          double r) {
      const auto [px, py] = plane_.at(s);
      out_ << "<circle class=\"" << cls << "\" cx=\"" << number(px, 1) << "\" cy=\"" << number(-py, 1) << "\" r=\""
           << number(r, 1) << "\" fill=\"" << fill << "\" data-t=\"" << number(s.videoSeconds, 3) << "\"><title>"
           << htmlText(tip) << "</title></circle>\n";
    };
    const ReportSample& start = d_.samples[points.front()];
    const ReportSample& end = d_.samples[points.back()];
    mark(start, "start", "#2ca02c", std::string("Start ").append(dateTimeOf(start.clock, d_.display)), radius * 1.3);
    mark(end, "end", "#444444", std::string("End ").append(dateTimeOf(end.clock, d_.display)), radius * 1.3);
    for (const EventEpisode& e : d_.episodes) {
      if (!e.position) continue;
      ReportSample at;
      at.latitude = e.position->latitude;
      at.longitude = e.position->longitude;
      at.videoSeconds = e.start.secondsIntoVideo;
      mark(at, "event", kindColour(e), std::string(e.name()) + " " + dateTimeOf(e.startClock, d_.display), radius);
    }
    out_ << "<circle id=\"route-cursor\" r=\"" << number(radius, 1) << "\" cx=\"0\" cy=\"0\" visibility=\"hidden\"/>\n"
         << "</svg>\n<p class=\"legend\"><span class=\"dot\" style=\"background:#2ca02c\"></span>start "
         << "<span class=\"dot\" style=\"background:#444444\"></span>end</p></section>\n";
  }

  void video() {
    if (d_.videoHref.empty()) return;
    out_ << "<section class=\"video\"><h2>Video</h2>\n<video id=\"video\" controls preload=\"metadata\" src=\""
         << htmlText(d_.videoHref) << "\"></video>\n<p class=\"files\">" << htmlText(d_.videoName)
         << "</p></section>\n";
  }

  // One chart: the episodes as bands behind, a line per series, the cursor in front.
  template <typename Value>
  void chart(const char* id, const std::string& caption, const std::vector<std::pair<const char*, Value>>& series) {
    double low = 0.0, high = 0.0;
    bool any = false;
    for (const auto& [cls, value] : series)
      for (const std::size_t i : chart_) {
        const double v = value(d_.samples[i]);
        low = any ? std::min(low, v) : v, high = any ? std::max(high, v) : v;
        any = true;
      }
    if (id == std::string("chart-speed") || id == std::string("chart-rpm")) low = 0.0;
    if (high - low < 1e-9) high = low + 1.0;
    const double margin = (high - low) * 0.05;
    low = low < 0 || low > 0 ? low - margin : low;
    high += margin;
    out_ << "<figure><figcaption>" << htmlText(caption) << " <span class=\"range\">" << number(low, 2) << " to "
         << number(high, 2) << "</span></figcaption>\n<svg class=\"chart\" id=\"" << id << "\" viewBox=\"0 0 "
         << number(kChartWidth, 0) << ' ' << number(kChartHeight, 0) << "\" preserveAspectRatio=\"none\">\n";
    for (const EventEpisode& e : d_.episodes) {
      const double from = e.start.secondsIntoVideo, to = std::max(e.end.secondsIntoVideo, from) + 1.0;
      out_ << "<rect class=\"band\" x=\"" << x(from) << "\" y=\"0\" width=\""
           << number((to - from) / span_ * kChartWidth, 1) << "\" height=\"" << number(kChartHeight, 0)
           << "\" fill=\"" << kindColour(e) << "\"><title>" << htmlText(e.name()) << "</title></rect>\n";
    }
    if (low < 0 && high > 0) {
      const std::string zero = number(kChartHeight - (0 - low) / (high - low) * kChartHeight, 1);
      out_ << "<line class=\"zero\" x1=\"0\" x2=\"" << number(kChartWidth, 0) << "\" y1=\"" << zero << "\" y2=\""
           << zero << "\"/>\n";
    }
    for (const auto& [cls, value] : series) {
      out_ << "<polyline class=\"" << cls << "\" points=\"";
      bool firstPoint = true;
      for (const std::size_t i : chart_) {
        const ReportSample& s = d_.samples[i];
        out_ << (firstPoint ? "" : " ") << x(s.videoSeconds) << ','
             << number(kChartHeight - (value(s) - low) / (high - low) * kChartHeight, 1);
        firstPoint = false;
      }
      out_ << "\"/>\n";
    }
    out_ << "<line class=\"cursor\" x1=\"0\" x2=\"0\" y1=\"0\" y2=\"" << number(kChartHeight, 0) << "\"/>\n</svg>\n"
         << "</figure>\n";
  }

  void charts() {
    out_ << "<section class=\"charts\"><h2>Over the trip</h2>\n<p id=\"readout\" aria-live=\"polite\">"
         << "Point at a chart to read its values; click to go there.</p>\n";
    const bool kmh = d_.display.speedKmh;
    using Value = double (*)(const ReportSample&);
    chart<Value>("chart-speed", kmh ? "Speed, km/h" : "Speed, mph",
                 {{"speed", kmh ? +[](const ReportSample& s) { return speedIn(s.speedKmh, true); }
                                : +[](const ReportSample& s) { return speedIn(s.speedKmh, false); }}});
    chart<Value>("chart-rpm", "Engine speed, rpm",
                 {{"rpm", +[](const ReportSample& s) { return static_cast<double>(s.engineRpm); }}});
    chart<Value>("chart-accel", "Acceleration, g (X, Y, Z)",
                 {{"ax", +[](const ReportSample& s) { return s.accel[0] / 1000.0; }},
                  {"ay", +[](const ReportSample& s) { return s.accel[1] / 1000.0; }},
                  {"az", +[](const ReportSample& s) { return s.accel[2] / 1000.0; }}});
    out_ << "<p class=\"axis\"><span>";
    if (!d_.samples.empty())
      out_ << htmlText(clockOf(d_.samples.front().clock, d_.display)) << "</span><span>"
           << htmlText(clockOf(d_.samples.back().clock, d_.display));
    out_ << "</span></p>\n<p class=\"legend\"><span class=\"dot ax\"></span>X <span class=\"dot ay\"></span>Y "
         << "<span class=\"dot az\"></span>Z</p></section>\n";
  }

  void table() {
    out_ << "<section class=\"events\"><h2>Events</h2>\n";
    if (d_.episodes.empty()) {
      out_ << "<p>No alarm event in the selection.</p></section>\n";
      return;
    }
    out_ << "<div class=\"scroll\"><table id=\"events\">\n<thead><tr><th>Kind</th><th>Start</th><th>End</th><th>Seconds</th>"
         << "<th>Recording</th><th>Seconds into it</th><th>Position</th><th>Speed at start</th>"
         << "<th>Highest speed</th><th>Largest acceleration</th></tr></thead>\n<tbody>\n";
    for (const EventEpisode& e : d_.episodes) {
      const EpisodeFields f = episodeFields(e, recordingName(e), d_.display);
      out_ << "<tr data-t=\"" << number(e.start.secondsIntoVideo, 3) << "\"><td><span class=\"dot\" style=\"background:"
           << kindColour(e) << "\"></span>" << htmlText(f.kind) << "</td><td>" << htmlText(f.start) << "</td><td>"
           << htmlText(f.end) << "</td><td>" << htmlText(f.seconds) << "</td><td>" << htmlText(f.recording)
           << "</td><td>" << htmlText(f.secondsInto) << "</td><td>";
      if (e.position) {
        // A link only: the page itself fetches nothing.
        const std::string lat = number(e.position->latitude, 7), lon = number(e.position->longitude, 7);
        out_ << "<a href=\"https://www.openstreetmap.org/?mlat=" << lat << "&amp;mlon=" << lon << "#map=17/" << lat
             << '/' << lon << "\" rel=\"noopener noreferrer\" target=\"_blank\">" << htmlText(f.position) << "</a>";
      } else {
        out_ << htmlText(f.position);
      }
      out_ << "</td><td>" << htmlText(f.speedAtStart) << "</td><td>" << htmlText(f.highestSpeed) << "</td><td>"
           << htmlText(f.acceleration) << "</td></tr>\n";
    }
    out_ << "</tbody></table></div></section>\n";
  }

  // What the script reads: the drawn samples and the episodes, as JSON.
  void island() {
    const bool kmh = d_.display.speedKmh;
    std::string t, clock, speed, rpm, ax, ay, az, rx, ry;
    for (const std::size_t i : chart_) {
      const ReportSample& s = d_.samples[i];
      const char* sep = t.empty() ? "" : ",";
      t.append(sep).append(number(s.videoSeconds, 3));
      clock.append(sep).append(jsonString(clockOf(s.clock, d_.display)));
      speed.append(sep).append(number(speedIn(s.speedKmh, kmh), kmh ? 0 : 1));
      rpm.append(sep).append(std::to_string(s.engineRpm));
      ax.append(sep).append(number(s.accel[0] / 1000.0, 3));
      ay.append(sep).append(number(s.accel[1] / 1000.0, 3));
      az.append(sep).append(number(s.accel[2] / 1000.0, 3));
      const auto [px, py] = plane_.at(s);
      rx.append(sep).append(s.fix ? number(px, 1) : "null");
      ry.append(sep).append(s.fix ? number(-py, 1) : "null");
    }
    std::string episodes;
    for (const EventEpisode& e : d_.episodes) {
      const EpisodeFields f = episodeFields(e, recordingName(e), d_.display);
      episodes += std::string(episodes.empty() ? "" : ",") + "{\"kind\":" + jsonString(f.kind) +
                  ",\"start\":" + jsonString(f.start) + ",\"t\":" + number(e.start.secondsIntoVideo, 3) +
                  ",\"end_t\":" + number(e.end.secondsIntoVideo, 3) + "}";
    }
    const std::string json = std::string("{\"span\":") + number(span_, 3) + ",\"width\":" + number(kChartWidth, 0) +
                             ",\"speed_unit\":" + jsonString(kmh ? "km/h" : "mph") + ",\"vehicle\":" +
                             jsonString(d_.vehicle) + ",\"video\":" + jsonString(d_.videoName) + ",\"t\":[" + t +
                             "],\"clock\":[" + clock + "],\"speed\":[" + speed + "],\"rpm\":[" + rpm + "],\"ax\":[" +
                             ax + "],\"ay\":[" + ay + "],\"az\":[" + az + "],\"route_x\":[" + rx + "],\"route_y\":[" +
                             ry + "],\"episodes\":[" + episodes + "]}";
    out_ << "<script type=\"application/json\" id=\"report-data\">" << scriptSafe(json) << "</script>\n";
  }

  std::ostream& out_;
  const ReportData& d_;
  std::vector<std::size_t> chart_;
  Plane plane_;
  double span_ = 1.0;
};

}  // namespace

std::string htmlText(const std::string& text) {
  std::string out;
  for (const char c : utf8Text(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string scriptSafe(const std::string& json) {
  std::string out;
  for (const char c : json) {
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  }
  return out;
}

std::string urlPath(const std::string& path) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::vector<std::size_t> chartSamples(const std::vector<ReportSample>& samples) {
  std::vector<std::size_t> kept;
  double bucket = -1.0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double b = std::floor(samples[i].videoSeconds / kChartStep);
    if (kept.empty() || b != bucket) {
      kept.push_back(i);
      bucket = b;
    } else if (accelerationOf(samples[i]) > accelerationOf(samples[kept.back()])) {
      kept.back() = i;
    }
  }
  return kept;
}

std::vector<std::size_t> routeSamples(const std::vector<ReportSample>& samples, double metres) {
  std::vector<std::size_t> fixes;
  for (std::size_t i = 0; i < samples.size(); ++i)
    if (samples[i].fix) fixes.push_back(i);
  if (fixes.size() <= 2) return fixes;
  const Plane plane(&samples[fixes.front()]);
  std::vector<std::pair<double, double>> at;
  at.reserve(fixes.size());
  for (const std::size_t i : fixes) at.push_back(plane.at(samples[i]));
  std::vector<bool> keep(fixes.size(), false);
  keep.front() = keep.back() = true;
  // A stack instead of recursion: a long trip's line must not run out of stack.
  std::vector<std::pair<std::size_t, std::size_t>> spans{{0, fixes.size() - 1}};
  while (!spans.empty()) {
    const auto [a, b] = spans.back();
    spans.pop_back();
    double furthest = 0.0;
    std::size_t at_ = a;
    for (std::size_t k = a + 1; k < b; ++k) {
      const double dist = distanceToSegment(at[k], at[a], at[b]);
      if (dist > furthest) furthest = dist, at_ = k;
    }
    if (furthest > metres) {
      keep[at_] = true;
      spans.push_back({a, at_});
      spans.push_back({at_, b});
    }
  }
  std::vector<std::size_t> kept;
  for (std::size_t k = 0; k < fixes.size(); ++k)
    if (keep[k]) kept.push_back(fixes[k]);
  return kept;
}

void writeReportPage(std::ostream& out, const ReportData& data) { PageWriter(out, data).write(); }

}  // namespace vk2
