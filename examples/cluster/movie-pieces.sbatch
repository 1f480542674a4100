#!/usr/bin/env bash
# A movie of a long trajectory made in pieces by a Slurm job array: task K of N encodes the K-th
# of N runs of consecutive frames into piece-K.mp4 (a movie needs its frames in order, so each
# task takes a range, --frame A-B, rather than a share), and join-movie.sh joins the pieces
# without encoding them again.
#
#   sbatch --array=0-7 examples/cluster/movie-pieces.sbatch /shared/md/run.xyz /shared/md/pieces
#   examples/cluster/join-movie.sh /shared/md/pieces /shared/md/run.mp4
#
# Each node needs the program installed (or PELMORA naming it) and the trajectory and the output
# folder on storage every node sees.
#SBATCH --job-name=pelmora-movie
#SBATCH --cpus-per-task=4
#SBATCH --output=pelmora-movie-%A_%a.log
set -euo pipefail

trajectory=${1:?usage: movie-pieces.sbatch TRAJECTORY.xyz PIECES-FOLDER}
out=${2:?usage: movie-pieces.sbatch TRAJECTORY.xyz PIECES-FOLDER}
pelmora=${PELMORA:-pelmora}
read -r -a options <<< "${PELMORA_OPTIONS:---sticks --size 1080 --fps 25}"
task=$SLURM_ARRAY_TASK_ID
tasks=$SLURM_ARRAY_TASK_COUNT

# The file's frame count, from the JSON of --info.
frames=$("$pelmora" --info "$trajectory" | sed -n 's/.*"frames":\([0-9]*\).*/\1/p')
# Task K takes frames K*F/N+1 .. (K+1)*F/N; with more tasks than frames some take none.
first=$(( task * frames / tasks + 1 ))
last=$(( (task + 1) * frames / tasks ))
mkdir -p "$out"
if (( first <= last )); then
  "$pelmora" --export "$(printf '%s/piece-%04d.mp4' "$out" "$task")" --frame "$first-$last" "${options[@]}" \
    "$trajectory"
fi
