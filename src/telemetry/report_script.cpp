#include "telemetry/report_script.h"

namespace vk2 {

const char* const kReportStyle = R"css(
body{font:14px/1.4 system-ui,sans-serif;margin:0;color:#222;background:#fafafa}
header{padding:12px 20px;background:#203040;color:#fff}
header h1{font-size:20px;margin:0 0 4px}header p{margin:2px 0}
main{padding:8px 20px 20px}
h2{font-size:16px;margin:12px 0 6px}
.top{display:flex;flex-wrap:wrap;gap:20px}
.route,.video{flex:1 1 420px;min-width:300px}
#route{width:100%;height:360px;background:#fff;border:1px solid #ccc}
#route .line{fill:none;stroke:#3366cc;stroke-width:3;vector-effect:non-scaling-stroke;stroke-linejoin:round}
#route circle{stroke:#fff;stroke-width:1.5;vector-effect:non-scaling-stroke;cursor:pointer}
#route-cursor{fill:none;stroke:#000 !important;stroke-width:2.5 !important}
video{width:100%;max-height:360px;background:#000}
.files{color:#555;font-size:12px;word-break:break-all}header .files{color:#c8d4e0}
.scroll{overflow-x:auto}
figure{margin:0 0 8px}figcaption{font-weight:600}.range{font-weight:400;color:#666;font-size:12px}
svg.chart{width:100%;height:110px;background:#fff;border:1px solid #ccc;cursor:crosshair;display:block}
svg.chart polyline{fill:none;stroke-width:1.5;vector-effect:non-scaling-stroke}
.speed{stroke:#3366cc}.rpm{stroke:#cc6633}.ax{stroke:#d62728}.ay{stroke:#2ca02c}.az{stroke:#1f77b4}
.dot.ax{background:#d62728}.dot.ay{background:#2ca02c}.dot.az{background:#1f77b4}
.band{opacity:.22}.zero{stroke:#bbb;stroke-width:1;vector-effect:non-scaling-stroke}
.cursor{stroke:#000;stroke-width:1;vector-effect:non-scaling-stroke;visibility:hidden}
.axis{display:flex;justify-content:space-between;color:#555;font-size:12px;margin:0}
#readout{font-variant-numeric:tabular-nums;min-height:1.4em;background:#eef;padding:4px 8px;margin:4px 0}
.dot{display:inline-block;width:10px;height:10px;border-radius:5px;margin:0 4px 0 8px}
table{border-collapse:collapse;width:100%;background:#fff;font-size:13px}
th,td{border:1px solid #ccc;padding:3px 6px;text-align:left;white-space:nowrap}
tbody tr{cursor:pointer}tbody tr:hover{background:#eef}tbody tr.current{background:#dde}
)css";

// Pointing at a chart shows the nearest drawn sample; a click on a chart, an
// event or a marker moves the cursor there and seeks the video; the video
// playing moves the cursor. The data come from the JSON island, never from markup.
const char* const kReportScript = R"js(
(function () {
  "use strict";
  var d = JSON.parse(document.getElementById("report-data").textContent);
  var video = document.getElementById("video");
  var readout = document.getElementById("readout");
  var cursors = document.querySelectorAll("svg.chart .cursor");
  var routeCursor = document.getElementById("route-cursor");
  function nearest(t) {
    var lo = 0, hi = d.t.length - 1;
    if (hi < 0) return -1;
    while (lo < hi) {
      var mid = (lo + hi) >> 1;
      if (d.t[mid] < t) lo = mid + 1; else hi = mid;
    }
    if (lo > 0 && t - d.t[lo - 1] < d.t[lo] - t) lo -= 1;
    return lo;
  }
  function show(t) {
    var i = nearest(t);
    if (i < 0) return;
    var x = String(Math.max(0, Math.min(d.span, t)) / d.span * d.width);
    for (var k = 0; k < cursors.length; k++) {
      cursors[k].setAttribute("x1", x);
      cursors[k].setAttribute("x2", x);
      cursors[k].style.visibility = "visible";
    }
    if (routeCursor && d.route_x[i] !== null) {
      routeCursor.setAttribute("cx", String(d.route_x[i]));
      routeCursor.setAttribute("cy", String(d.route_y[i]));
      routeCursor.setAttribute("visibility", "visible");
    }
    readout.textContent = d.clock[i] + "  (" + d.t[i].toFixed(1) + " s)   speed " + d.speed[i] + " " +
        d.speed_unit + "   engine " + d.rpm[i] + " rpm   X " + d.ax[i].toFixed(2) + " g   Y " +
        d.ay[i].toFixed(2) + " g   Z " + d.az[i].toFixed(2) + " g";
  }
  function seek(t) {
    show(t);
    if (video) video.currentTime = t;
  }
  function timeAt(svg, event) {
    var r = svg.getBoundingClientRect();
    return (event.clientX - r.left) / r.width * d.span;
  }
  var charts = document.querySelectorAll("svg.chart");
  for (var c = 0; c < charts.length; c++) {
    charts[c].addEventListener("mousemove", function (e) { show(timeAt(this, e)); });
    charts[c].addEventListener("click", function (e) { seek(timeAt(this, e)); });
  }
  var marked = document.querySelectorAll("[data-t]");
  for (var m = 0; m < marked.length; m++) {
    marked[m].addEventListener("click", function (e) {
      if (e.target.closest && e.target.closest("a")) return;
      var rows = document.querySelectorAll("tr.current");
      for (var r = 0; r < rows.length; r++) rows[r].classList.remove("current");
      if (this.tagName === "TR") this.classList.add("current");
      seek(parseFloat(this.getAttribute("data-t")));
    });
  }
  if (video) video.addEventListener("timeupdate", function () { show(video.currentTime); });
})();
)js";

}  // namespace vk2
