#!/usr/bin/env bash
# Every frame of a trajectory as pictures, drawn by a Slurm job array: each task draws the frames
# whose position is its task id modulo the task count (--shard), so the tasks need no
# coordination and together write exactly what one run would.
#
#   sbatch --array=0-15 examples/cluster/frames.sbatch /shared/md/run.xyz /shared/md/frames
#
# Each node needs the program installed (or PELMORA naming it) and the trajectory and the output
# folder on storage every node sees. Pictures are named by frame number (frames/frame-0101.png).
#SBATCH --job-name=pelmora-frames
#SBATCH --cpus-per-task=4
#SBATCH --output=pelmora-frames-%A_%a.log
set -euo pipefail

trajectory=${1:?usage: frames.sbatch TRAJECTORY.xyz OUT-FOLDER}
out=${2:?usage: frames.sbatch TRAJECTORY.xyz OUT-FOLDER}
pelmora=${PELMORA:-pelmora}
# The drawing options, the same for every task: word-split on spaces.
read -r -a options <<< "${PELMORA_OPTIONS:---sticks --size 1080}"

mkdir -p "$out"
"$pelmora" --export "$out/frame.png" --frame all "${options[@]}" \
  --shard "$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT" "$trajectory"
