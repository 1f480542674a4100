#!/usr/bin/env bash
# Runs the cluster recipes of examples/cluster here, as Slurm and GNU parallel would run them:
# the job scripts once for every task id with the variables Slurm sets, and checks that the
# pictures of all the tasks are byte for byte those of a single run, and that the movie joined
# from the pieces has every frame.
#
#   cluster-recipe-test.sh PELMORA EXAMPLES-FOLDER
set -euo pipefail

pelmora=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A trajectory of 11 frames of three atoms drifting apart: every frame draws differently.
for frame in $(seq 1 11); do
  printf '3\nframe %d\nC 0 0 0\nO %d.%02d 0.4 0\nH -1 0.%02d 0\n' "$frame" $((1 + frame / 10)) $((frame * 7 % 100)) \
    $((10 + frame))
done > "$work/run.xyz"

export PELMORA=$pelmora PELMORA_OPTIONS="--sticks --size 96"
mkdir -p "$work/single"
"$pelmora" --export "$work/single/frame.png" --frame all --sticks --size 96 "$work/run.xyz"

fail() { echo "cluster-recipe-test: $*" >&2; exit 1; }

for tasks in 1 3 4; do
  for (( task = 0; task < tasks; task++ )); do
    SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_COUNT=$tasks bash "$examples/cluster/frames.sbatch" "$work/run.xyz" \
      "$work/sharded-$tasks"
  done
  diff -r "$work/single" "$work/sharded-$tasks" > /dev/null || fail "$tasks tasks did not write what one run writes"
done
[[ $(ls "$work/single" | wc -l) -eq 11 ]] || fail "a single run wrote $(ls "$work/single" | wc -l) pictures, not 11"

if command -v parallel > /dev/null; then
  bash "$examples/cluster/parallel.sh" "$work/run.xyz" "$work/parallel" 3 > /dev/null
  diff -r "$work/single" "$work/parallel" > /dev/null || fail "GNU parallel's shards did not write what one run writes"
else
  echo "cluster-recipe-test: GNU parallel is not installed: its line is not run" >&2
fi

if command -v ffmpeg > /dev/null && command -v ffprobe > /dev/null; then
  export PELMORA_OPTIONS="--sticks --size 96 --fps 5"
  for (( task = 0; task < 4; task++ )); do
    SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_COUNT=4 bash "$examples/cluster/movie-pieces.sbatch" "$work/run.xyz" \
      "$work/pieces"
  done
  [[ $(ls "$work/pieces" | wc -l) -eq 4 ]] || fail "the movie tasks wrote $(ls "$work/pieces") instead of 4 pieces"
  bash "$examples/cluster/join-movie.sh" "$work/pieces" "$work/run.mp4"
  frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \
    "$work/run.mp4")
  [[ $frames -eq 11 ]] || fail "the joined movie has $frames frames, not 11"
else
  echo "cluster-recipe-test: ffmpeg is not installed: the movie pieces are not joined" >&2
fi
echo "cluster-recipe-test: the recipes wrote what one run writes"
