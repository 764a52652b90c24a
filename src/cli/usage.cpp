#include "cli/commands.h"

namespace vk2::cli {

const char* usageText() {
  return "usage:\n"
         "  vk2mp4 info FILE.mmv...\n"
         "  vk2mp4 merge [-q] [--log FILE] -o OUT.mmv FILE.mmv...\n"
         "  vk2mp4 extract [OPTIONS] [-o TARGET] FILE.mmv...\n"
         "  vk2mp4 convert [OPTIONS] [-o TARGET] FILE.mmv...\n"
         "  vk2mp4 convert [OPTIONS] --trips FOLDER [--recursive] -o OUTDIR/\n"
         "  vk2mp4 trips [--recursive] [--time-basis local|utc] FOLDER...\n"
         "  vk2mp4 track [OPTIONS] -o OUT.gpx|OUT.kml|OUT.geojson|OUT.csv FILE.mmv...\n"
         "  vk2mp4 --version\n"
         "options (extract, convert, track):\n"
         "  --trim-start SEC  --trim-end SEC  --no-audio\n"
         "  --time-basis local|utc  --sub-time local|utc  --clock 12h|24h\n"
         "  --speed kmh|mph  --date-format 0..3|4|none\n"
         "  --hide ITEM[,ITEM...]  (vehicle, gsensor, datetime, direction, speed, rpm, latlong,\n"
         "                          fcw, ldw, fpw, fvsa, alarm-gsensor, speeding, panic)\n"
         "  --log FILE  -q|--quiet\n"
         "  --subtitles burn|burn-fast|track|none   (convert; track writes a .mkv)\n"
         "  --track gpx|kml|geojson|csv   (convert; the telemetry beside the video, X.mp4 -> X.gpx)\n";
}

}  // namespace vk2::cli
