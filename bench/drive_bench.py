#!/usr/bin/python3
"""A drive from end to end, step by step, next to its yardsticks.

Makes 15 one-minute 1920x1080 30 fps recordings with mmv-synth (not timed) and,
for the first 1, 5 and 15 of them, runs in rounds, side by side:

  convert --subtitles none and --subtitles track, end to end;
  the merge (vk2mp4 merge) and coreutils cat of the same files;
  the extraction (vk2mp4 extract) and cat of the merged file;
  the converter alone on the extracted streams: the plain MP4 line, the
  subtitle track's two joined converters, and the track in one converter.

Each step runs as a child process: its wall time and its peak memory (GNU
time's largest resident size of the process and of any it waited for). Prints the
medians of the rounds and their ranges, and the paired ratios.

  bench/drive_bench.py [--build build/bench] [--files 1,5,15] [--rounds 5] [--dir /tmp]
                       [--recordings FOLDER]
"""
import argparse
import os
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run(argv, stdout=None):
    """Wall seconds and peak KiB of argv. GNU time starts it: a child forked
    from this interpreter would count the interpreter's memory as its own."""
    start = time.monotonic()
    with tempfile.NamedTemporaryFile("r") as report, open(stdout or os.devnull, "wb") as out:
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", report.name] + argv, stdout=out,
                                 stderr=subprocess.DEVNULL)
        seconds = time.monotonic() - start
        peak = int(report.read().split()[-1])
    if status != 0:
        sys.exit("failed (%d): %s" % (status, " ".join(argv)))
    return seconds, peak


def settle():
    os.sync()
    time.sleep(0.3)


def logged_line(log, marker):
    for line in open(log, encoding="utf-8", errors="replace"):
        if marker in line and ("ffmpeg" in line.split(" ")[0]):
            return line.rstrip("\n")
    sys.exit("no converter line with %r in %s" % (marker, log))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build/bench")
    ap.add_argument("--files", default="1,5,15")
    ap.add_argument("--rounds", type=int, default=5)
    ap.add_argument("--dir", default=tempfile.gettempdir())
    ap.add_argument("--recordings", help="a folder holding rec_1.mmv ... from mmv-synth, instead of making them")
    args = ap.parse_args()
    vk2mp4 = os.path.abspath(os.path.join(args.build, "vk2mp4"))
    synth = os.path.abspath(os.path.join(args.build, "mmv-synth"))
    counts = [int(n) for n in args.files.split(",")]
    work = tempfile.mkdtemp(prefix="vk2-drive-bench-", dir=args.dir)
    try:
        start = time.monotonic()
        if args.recordings:
            recordings = [os.path.abspath(os.path.join(args.recordings, "rec_%d.mmv" % (i + 1)))
                          for i in range(max(counts))]
        else:
            recordings = subprocess.run(
                [synth, "--files", str(max(counts)), "--seconds", "60", "--size", "1920x1080", "--fps", "30",
                 "--out", os.path.join(work, "rec")], check=True, capture_output=True, text=True).stdout.split()
        print("%d recordings, %.0f MB, ready in %.0f s" % (
            len(recordings), sum(os.path.getsize(r) for r in recordings) / 1e6, time.monotonic() - start))
        os.chdir(work)
        for n in counts:
            measure(vk2mp4, recordings[:n], args.rounds, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def measure(vk2mp4, inputs, rounds, work):
    t = {}
    mem = {}

    def note(step, result):
        t.setdefault(step, []).append(result[0])
        mem[step] = max(mem.get(step, 0), result[1])

    out = os.path.join(work, "out")
    for round_number in range(rounds):
        # Every other round the other one first: neither always follows the other's writes.
        choices = (("none", ".mp4"), ("track", ".mkv"))
        for choice, ext in choices if round_number % 2 == 0 else reversed(choices):
            for f in (choice + ".log", out + ext):
                if os.path.exists(f):
                    os.remove(f)
            settle()
            note(choice + " end to end", run([vk2mp4, "convert", "-q", "--subtitles", choice, "--log",
                                              choice + ".log", "-o", out + ext] + inputs))
        plain = logged_line("none.log", " -acodec aac ")
        joined = logged_line("track.log", " pipe:0 ")
        os.remove(out + ".mp4")
        os.remove(out + ".mkv")
        source = inputs[0]
        if len(inputs) > 1:
            settle()
            note("cat of the inputs", run(["cat"] + inputs, stdout="copy.bin"))
            os.remove("copy.bin")
            settle()
            note("merge", run([vk2mp4, "merge", "-q", "-o", "merged.mmv"] + inputs))
            source = "merged.mmv"
        settle()
        note("cat of the " + ("merged file" if len(inputs) > 1 else "input"), run(["cat", source], stdout="copy.bin"))
        os.remove("copy.bin")
        settle()
        note("extraction", run([vk2mp4, "extract", "-q", "-o", out + ".mp4", source]))
        # The converter alone, on the streams the extraction left.
        settle()
        note("converter: plain MP4 line", run(shlex.split(plain)))
        os.remove(out + ".mp4")
        settle()
        note("converter: track, two joined", run(["sh", "-c", joined]))
        os.remove(out + ".mkv")
        one = shlex.split(joined.split(" | ")[1])
        audio = shlex.split(joined.split(" | ")[0])
        pcm = audio[audio.index("-i") + 1]
        video_at = one.index("-framerate")
        # The program's one-process line: the PCM encoded in the same converter.
        ass = one[one.index("pipe:0") + 2]
        rest = one[one.index("-map"):]
        rest = " ".join(rest).replace("-map 0:v -map 1:a -map 2:s -acodec copy",
                                      "-map 1:v -map 0:a -map 2:s -acodec aac").split(" ")
        one_pass = [one[0], "-f", "s16le", "-ar", "48000", "-ac", "1", "-i", pcm] + one[video_at:video_at + 4] + \
            ["-i", ass] + rest
        settle()
        note("converter: track, one process", run(one_pass))
        os.remove(out + ".mkv")
        for f in ("merged.mmv", out + ".h264", out + ".pcm", out + ".ass", out + ".drv"):
            if os.path.exists(f):
                os.remove(f)

    print("\n%d file%s, %d rounds" % (len(inputs), "" if len(inputs) == 1 else "s", rounds))
    print("| step | median | range | peak memory |")
    print("| --- | --- | --- | --- |")
    for step, values in t.items():
        print("| %s | %.2f s | %.2f to %.2f s | %.1f MiB |" % (step, statistics.median(values), min(values),
                                                            max(values), mem[step] / 1024))

    def ratio(a, b):
        return statistics.median([x / y for x, y in zip(t[a], t[b])])

    print("track / none, end to end: %.2fx" % ratio("track end to end", "none end to end"))
    print("two joined converters / plain MP4 line: %.2fx" % ratio("converter: track, two joined",
                                                                  "converter: plain MP4 line"))
    print("one process / plain MP4 line: %.2fx" % ratio("converter: track, one process", "converter: plain MP4 line"))
    if len(inputs) > 1:
        print("merge / cat: %.2fx" % ratio("merge", "cat of the inputs"))
        print("extraction / cat: %.2fx" % ratio("extraction", "cat of the merged file"))
    else:
        print("extraction / cat: %.2fx" % ratio("extraction", "cat of the input"))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
