#!/usr/bin/env python3
"""Writes the fuzzing inputs of the shapes the XYZ reader guards against into fuzz/inputs/.

The files are kept in the repository; this tells how they were made and remakes them. Each file
is its first byte, which chooses the harness's settings (bit 0: the element table has the
fallback element "-", so unknown labels read as atoms; settings % 5 + 1: runs the first frame is
split into), and the file that follows. The files stay small unless their point is size.
"""

import bz2
import gzip
import lzma
import pathlib

INPUTS = pathlib.Path(__file__).resolve().parent / "inputs"

# Odd: the fallback element reads any label as an atom. The value % 5 gives the runs.
ONE_RUN_WITH_FALLBACK = 0x05
TWO_RUNS_WITH_FALLBACK = 0x0B
THREE_RUNS_WITH_FALLBACK = 0x07
ONE_RUN_WITHOUT_FALLBACK = 0x0A


def frame(atom_lines, comment="c", count=None):
    lines = [str(len(atom_lines) if count is None else count), comment, *atom_lines]
    return "\n".join(lines) + "\n"


def write(name, settings, text):
    data = text.encode("latin-1") if isinstance(text, str) else text
    (INPUTS / name).write_bytes(bytes([settings]) + data)


def main():
    # A label that takes memory of its own, then a line of one to three fields: the bad line
    # must be told by its number, not by anything of the line before.
    for fields, bad in ((1, "C"), (2, "C 0"), (3, "C 0 0")):
        write(f"label-then-{fields}-field{'s' if fields > 1 else ''}.xyz", ONE_RUN_WITH_FALLBACK,
              frame(["C 0 0 0", "Label" + "x" * 40 + " 0 0 1", bad]))
    # The same with a label larger than any buffer a line could reuse, in two runs.
    write("long-label-then-short-line.xyz", TWO_RUNS_WITH_FALLBACK,
          frame(["C 0 0 0", "C" + "x" * 100_000 + " 0 0 1", "C 0 0", "H 1 1 1"]))
    # Columns declared in the comment: a long label in the declared species column, then a line
    # that has too few fields for the declaration.
    write("declared-columns-long-label.xyz", ONE_RUN_WITH_FALLBACK,
          frame(["0 0 0 C", "1 0 0 " + "Q" * 20_000, "2 0"], comment="Properties=pos:R:3:species:S:1"))
    # One atom line of 60 KB (a run of blanks inside it), and one of thousands of fields.
    write("long-line.xyz", ONE_RUN_WITHOUT_FALLBACK,
          frame(["C 0 0 0", "H 1" + " " * 60_000 + "0 0", "O 2 0 0"]))
    write("many-fields.xyz", THREE_RUNS_WITH_FALLBACK,
          frame(["C 0 0 0 " + " ".join(str(i % 97) for i in range(5000)), "H 1 0 0", "C 1 2"]))
    # Comments that declare much: a Properties= of thousands of columns and a Lattice= with
    # long numbers, over atom lines with fewer fields than declared.
    properties = "Properties=species:S:1:pos:R:3" + "".join(f":x{i}:R:1" for i in range(3000))
    write("long-properties.xyz", ONE_RUN_WITH_FALLBACK, frame(["C 0 0 0", "H 1 1 1 5"], comment=properties))
    lattice = 'Lattice="' + " ".join(["1" + "0" * 300, "0", "0", "0", "2." + "5" * 5000, "0", "0", "0", "3"]) + '"'
    write("long-lattice.xyz", ONE_RUN_WITH_FALLBACK,
          frame(["C 0 0 0", "C 1 1 0"], comment=lattice + " Properties=species:S:1:pos:R:3 " + "k=v " * 2000))
    # Blank tails: blank lines, blanks and tabs after the last frame.
    write("blank-tail.xyz", THREE_RUNS_WITH_FALLBACK, frame(["C 0 0 0", "H 1 0 0"]) + "\n\n   \n\t\n\n \t \n")
    # Trajectories whose frames change their counts, one count short of its lines and one that
    # runs past the end of the file.
    mixed = (frame(["C 0 0 0", "H 1 0 0"]) + frame(["C 0 0 0"], comment="one") +
             frame([f"C {i} 0 0" for i in range(9)], comment="nine") + frame(["O 0 0 0", "H 1 0 0"], count=1) +
             frame(["C 0 0 0"], count=5))
    write("trajectory-mixed-counts.xyz", TWO_RUNS_WITH_FALLBACK, mixed)
    write("trajectory-counts-match.xyz", ONE_RUN_WITHOUT_FALLBACK,
          frame(["C 0 0 0"]) + frame(["C 0 0 0", "C 1 0 0", "H 2 0 0"]) + frame(["C 0 0 0", "O 0 1 0"]))
    # CRLF and lone CR line ends, a long label among them.
    crlf = frame(["C 0 0 0", "Label" + "y" * 30 + " 1 0 0", "C 2"]).replace("\n", "\r\n")
    write("crlf-label-then-short-line.xyz", ONE_RUN_WITH_FALLBACK, crlf)
    write("cr-only.xyz", TWO_RUNS_WITH_FALLBACK, frame(["C 0 0 0", "H 1 0 0"]).replace("\n", "\r"))
    # NUL bytes: in a label, between fields, in the count line and as a whole line.
    # A trajectory whose last frame a stopped run cut short, with blank lines between its frames.
    write("trajectory-cut-last-frame.xyz", TWO_RUNS_WITH_FALLBACK,
          frame(["C 0 0 0", "H 1 0 0"]) + "\n \n" + frame(["C 0 0 1", "H 1 0 1"]) + "2\nc\nC 0 0 2\nH 1")
    # Packed files: a trajectory in each format, streams joined, a cut and a damaged one, and a
    # bomb of a few kilobytes that unpacks past the harness's limit.
    trajectory = (frame(["C 0 0 0", "O 1.2D+00 0 0"], comment='Lattice="3 0 0 0 3 0 0 0 9" pbc="T T F"') +
                  frame(["C 0 0 0", "O 1.3 0 0"], comment='Lattice="3.1 0 0 0 3 0 0 0 9"')).encode()
    write("packed.xyz.gz", ONE_RUN_WITH_FALLBACK, gzip.compress(trajectory, mtime=0))
    write("packed.xyz.bz2", TWO_RUNS_WITH_FALLBACK, bz2.compress(trajectory))
    write("packed.xyz.xz", THREE_RUNS_WITH_FALLBACK, lzma.compress(trajectory))
    write("packed-joined.xyz.gz", ONE_RUN_WITH_FALLBACK,
          gzip.compress(trajectory[:40], mtime=0) + gzip.compress(trajectory[40:], mtime=0))
    packed = lzma.compress(trajectory)
    write("packed-cut.xyz.xz", ONE_RUN_WITH_FALLBACK, packed[: len(packed) // 2])
    damaged = bytearray(bz2.compress(trajectory))
    damaged[20:30] = bytes(b ^ 0x5A for b in damaged[20:30])
    write("packed-damaged.xyz.bz2", ONE_RUN_WITH_FALLBACK, bytes(damaged))
    write("packed-bomb.xyz.gz", ONE_RUN_WITH_FALLBACK,
          gzip.compress(frame(["C 0 0 0"]).encode() + b" " * (8 << 20), compresslevel=9, mtime=0))
    write("nuls.xyz", ONE_RUN_WITH_FALLBACK,
          b"3\x00\n\x00c\nC\x00\x00 0 0 0\nLa\x00bel" + b"z" * 40 + b" 1 0 0\n\x00\x00\x00\nH 0\x00 0 0\n")


if __name__ == "__main__":
    main()
