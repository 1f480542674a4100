#!/usr/bin/env python3
"""Whole-process figures of runs over many frames and files, side by side.

  bench/batch-figures.py build/release/app/pelmora [figure ...]

Figures (each the median of --runs whole runs of the program, with its peak memory):
  many      1,000 generated molecules of about 25 atoms to PNG in one process, and at --size 512
  movie     a 100-frame trajectory of 10,000 atoms as PNG frames at --size 1080, then as one MP4
  shards    --frame all of a 100-frame trajectory of 10,000 atoms at --size 1080: one run, then
            4 shards one after another (each a whole process that reads the file)
  shards-long  the same for 1,000 frames (a 270 MB file)
  startup   a 3-atom file to PNG, 20 runs
The inputs are generated into a temporary folder, removed at the end.
"""
import argparse
import math
import os
import random
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ELEMENTS = ["C", "C", "C", "H", "H", "O", "N"]


def molecule(count, rng, comment):
    lines = [str(count), comment]
    for _ in range(count):
        lines.append("%s %.4f %.4f %.4f" % (rng.choice(ELEMENTS), rng.uniform(-4, 4), rng.uniform(-4, 4),
                                            rng.uniform(-4, 4)))
    return "\n".join(lines) + "\n"


def trajectory(path, frames, atoms, rng):
    base = [(rng.choice(ELEMENTS), rng.uniform(-60, 60), rng.uniform(-60, 60), rng.uniform(-60, 60))
            for _ in range(atoms)]
    with open(path, "w") as out:
        for frame in range(frames):
            out.write("%d\nframe %d\n" % (atoms, frame + 1))
            turn = frame * 0.02
            for symbol, x, y, z in base:
                out.write("%s %.4f %.4f %.4f\n" % (symbol, x * math.cos(turn) - y * math.sin(turn),
                                                    x * math.sin(turn) + y * math.cos(turn), z))


CPU = []  # processor seconds (user + system) of each run, for figures on a busy machine


def run(command, cwd):
    """Seconds of one whole run; its processor seconds go to CPU."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    process = subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    CPU.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
    if process.returncode != 0:
        sys.exit("failed: %s\n%s" % (" ".join(command), process.stderr.decode(errors="replace")))
    return seconds


def peak_of(command, cwd):
    """Peak resident memory (MB) of one run, through GNU time."""
    process = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, cwd=cwd, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
    return int(process.stderr.decode().strip().splitlines()[-1]) / 1024


def median_seconds(command, cwd, runs, clean=None):
    CPU.clear()
    times = []
    for _ in range(runs):
        if clean:
            clean()
        times.append(run(command, cwd))
    return statistics.median(times), times


def report(name, seconds, times, extra=""):
    cpu = " cpu %.2f s" % statistics.median(CPU) if CPU else ""
    print("%-46s median %7.3f s  (runs: %s)%s%s" % (name, seconds, ", ".join("%.3f" % t for t in times), cpu, extra),
          flush=True)


def fresh(folder):
    def clean():
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    return clean


def figure_many(program, work, runs, rng):
    files = []
    for index in range(1000):
        path = os.path.join(work, "mol", "m%04d.xyz" % index)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as out:
            out.write(molecule(rng.randint(20, 30), rng, "molecule %d" % index))
        files.append(path)
    out = os.path.join(work, "many")
    for size in ([], ["--size", "512"]):
        command = [program, "--sticks", "--export", os.path.join(out, "{name}.png")] + size + files
        seconds, times = median_seconds(command, work, runs, fresh(out))
        report("1000 molecules to PNG " + (" ".join(size) or "(3000 x 3000)"), seconds, times)


def figure_movie(program, work, runs, rng):
    path = os.path.join(work, "big.xyz")
    trajectory(path, 100, 10000, rng)
    frames = os.path.join(work, "frames")
    png = [program, "--export", os.path.join(frames, "f.png"), "--frame", "all", "--size", "1080", path]
    mp4 = [program, "--export", os.path.join(work, "movie.mp4"), "--frame", "all", "--size", "1080", path]
    png_seconds, png_times = median_seconds(png, work, runs, fresh(frames))
    report("100 x 10,000 atoms to PNG at --size 1080", png_seconds, png_times,
           "  peak %.0f MB" % peak_of(png, work))
    mp4_seconds, mp4_times = median_seconds(mp4, work, runs)
    report("100 x 10,000 atoms to MP4 at --size 1080", mp4_seconds, mp4_times,
           "  peak %.0f MB, %.2fx PNG" % (peak_of(mp4, work), mp4_seconds / png_seconds))


def shards(program, work, runs, rng, frames):
    path = os.path.join(work, "big.xyz" if frames == 100 else "long-%d.xyz" % frames)
    if not os.path.exists(path):
        trajectory(path, frames, 10000, rng)
    out = os.path.join(work, "shards")
    one = [program, "--export", os.path.join(out, "f.png"), "--frame", "all", "--size", "1080", path]
    one_seconds, one_times = median_seconds(one, work, runs, fresh(out))
    report("%d x 10,000 atoms, one run" % frames, one_seconds, one_times)
    four_times, four_cpu = [], []
    for _ in range(runs):
        fresh(out)()
        CPU.clear()
        four_times.append(sum(run(one[:-1] + ["--shard", "%d/4" % k, path], work) for k in range(4)))
        four_cpu.append(sum(CPU))
    four = statistics.median(four_times)
    CPU[:] = four_cpu
    report("%d x 10,000 atoms, 4 shards one after another" % frames, four, four_times,
           "  %.2fx one run" % (four / one_seconds))


def figure_shards(program, work, runs, rng):
    shards(program, work, runs, rng, 100)


def figure_shards_long(program, work, runs, rng):
    shards(program, work, runs, rng, 1000)


def figure_startup(program, work, runs, rng):
    path = os.path.join(work, "three.xyz")
    with open(path, "w") as out:
        out.write("3\nwater\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n")
    command = [program, "--export", os.path.join(work, "three.png"), path]
    seconds, times = median_seconds(command, work, max(runs, 20))
    report("3 atoms to PNG, whole process (%d runs)" % len(times), seconds, times)


FIGURES = {"many": figure_many, "movie": figure_movie, "shards": figure_shards, "shards-long": figure_shards_long,
           "startup": figure_startup}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    parser.add_argument("figures", nargs="*", default=[name for name in FIGURES if name != "shards-long"])
    parser.add_argument("--runs", type=int, default=3)
    arguments = parser.parse_args()
    program = os.path.abspath(arguments.program)
    rng = random.Random(7)
    work = tempfile.mkdtemp(prefix="pelmora-batch-bench-")
    try:
        for name in arguments.figures:
            FIGURES[name](program, work, arguments.runs, rng)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
