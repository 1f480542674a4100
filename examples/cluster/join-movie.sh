#!/usr/bin/env bash
# Joins the pieces movie-pieces.sbatch wrote (piece-0000.mp4, piece-0001.mp4, ...) into one movie
# with FFmpeg's concat demuxer, copying the encoded frames as they are.
#
#   examples/cluster/join-movie.sh PIECES-FOLDER MOVIE.mp4
set -euo pipefail

pieces=${1:?usage: join-movie.sh PIECES-FOLDER MOVIE.mp4}
movie=${2:?usage: join-movie.sh PIECES-FOLDER MOVIE.mp4}
list=$(mktemp)
trap 'rm -f "$list"' EXIT
for piece in "$pieces"/piece-*.mp4; do
  [[ -e "$piece" ]] || { echo "join-movie.sh: no piece-*.mp4 in $pieces" >&2; exit 1; }
  # The concat list quotes names in single quotes; a quote inside one is written '\''.
  printf "file '%s'\n" "$(realpath "$piece" | sed "s/'/'\\\\''/g")" >> "$list"
done
ffmpeg -hide_banner -loglevel error -y -f concat -safe 0 -i "$list" -c copy "$movie"
