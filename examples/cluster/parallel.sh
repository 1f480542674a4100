#!/usr/bin/env bash
# Every frame of a trajectory as pictures with GNU parallel: N copies of one command, copy K
# drawing the frames whose position is K modulo N (--shard K/N). On one machine the copies share
# its cores; with --sshloginfile they run on the machines it lists, each of which needs the
# program installed and the trajectory and output folder on shared storage.
#
#   examples/cluster/parallel.sh TRAJECTORY.xyz OUT-FOLDER [SHARDS]
set -euo pipefail

trajectory=${1:?usage: parallel.sh TRAJECTORY.xyz OUT-FOLDER [SHARDS]}
out=${2:?usage: parallel.sh TRAJECTORY.xyz OUT-FOLDER [SHARDS]}
shards=${3:-4}
pelmora=${PELMORA:-pelmora}
read -r -a options <<< "${PELMORA_OPTIONS:---sticks --size 1080}"
mkdir -p "$out"

# Across machines add: --sshloginfile nodes.txt --workdir "$PWD"
parallel -q --halt now,fail=1 "$pelmora" --export "$out/frame.png" --frame all "${options[@]}" \
  --shard {}/"$shards" "$trajectory" ::: $(seq 0 $((shards - 1)))
