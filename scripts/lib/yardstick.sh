# shellcheck shell=bash disable=SC2154  # root is set by the script that sources this file
# Builds of the program at an earlier commit (a yardstick) and of the working tree, for the
# scripts that compare the two. Sourced, not run:
#
#   source "$root/scripts/lib/yardstick.sh"   # with root set to the project's top folder
#   yardstick_build COMMIT JOBS TARGET...      # sets YARDSTICK_BUILD and YARDSTICK_SOURCE
#   current_build JOBS TARGET...               # sets CURRENT_BUILD (build/release)
#   built_program BUILD NAME                   # prints the path of the executable NAME in BUILD
#
# A yardstick lives in build/yardstick/HASH/: a detached git worktree of the commit in src/ and
# its RelWithDebInfo build in build/ (tests off), kept between runs so a second comparison with
# the same commit builds nothing. Remove one with `git worktree remove --force
# build/yardstick/HASH/src` and then the folder. Builds use ccache when it is installed; their
# output goes to a log beside the build, shown when a build fails.

# Configures BUILD from SOURCE unless it is configured already (a configured folder keeps the
# options it was given), then builds TARGETS with JOBS jobs.
#   configure_and_build BUILD SOURCE JOBS [-DOPTION=VALUE...] -- TARGET...
configure_and_build() {
  local build=$1 source=$2 jobs=$3
  shift 3
  local options=()
  while [[ $1 != -- ]]; do
    options+=("$1")
    shift
  done
  shift
  local log=$build.log
  mkdir -p "$(dirname "$build")"
  if [[ ! -f $build/CMakeCache.txt ]]; then
    command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    if ! cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >"$log" 2>&1; then
      tail -n 40 "$log" >&2
      echo "configuring $build failed (whole log: $log)" >&2
      return 1
    fi
  fi
  if ! cmake --build "$build" -j "$jobs" --target "$@" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "building $* in $build failed (whole log: $log)" >&2
    return 1
  fi
  local type
  type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
  [[ $type == RelWithDebInfo ]] || echo "warning: $build is a '$type' build, not RelWithDebInfo" >&2
}

yardstick_build() {
  local commit=$1 jobs=$2
  shift 2
  local hash
  if ! hash=$(git -C "$root" rev-parse --verify --quiet "$commit^{commit}"); then
    echo "no commit '$commit' in $root" >&2
    return 1
  fi
  local dir=$root/build/yardstick/${hash:0:12}
  YARDSTICK_SOURCE=$dir/src
  YARDSTICK_BUILD=$dir/build
  mkdir -p "$dir"
  # Two comparisons with the same commit at once take turns rather than share a build.
  exec {lock}>"$dir/lock"
  flock "$lock"
  if [[ ! -f $YARDSTICK_SOURCE/.git ]]; then
    echo "checking out the yardstick ${hash:0:12} in $YARDSTICK_SOURCE" >&2
    rm -rf "$YARDSTICK_SOURCE"
    # --force: the folder may still be registered from a worktree deleted by hand.
    git -C "$root" worktree add --force --detach "$YARDSTICK_SOURCE" "$hash" >/dev/null 2>&1 || {
      echo "cannot check out $hash in $YARDSTICK_SOURCE" >&2
      exec {lock}>&-
      return 1
    }
  fi
  echo "building $* at the yardstick ${hash:0:12} in $YARDSTICK_BUILD" >&2
  local status=0
  # Paths relative to the yardstick's folder, and no working folder in the hash, let yardsticks of
  # different commits share ccache's results for the files they have in common.
  CCACHE_BASEDIR=$dir CCACHE_NOHASHDIR=1 \
    configure_and_build "$YARDSTICK_BUILD" "$YARDSTICK_SOURCE" "$jobs" -DPELMORA_BUILD_TESTS=OFF -- "$@" || status=1
  exec {lock}>&-
  return $status
}

current_build() {
  local jobs=$1
  shift
  CURRENT_BUILD=$root/build/release
  echo "building $* in $CURRENT_BUILD" >&2
  configure_and_build "$CURRENT_BUILD" "$root" "$jobs" -- "$@"
}

# The build folder's layout differs between commits, so the executable is looked for by name.
built_program() {
  local build=$1 name=$2 found
  found=$(find "$build" -name CMakeFiles -prune -o -type f -name "$name" -perm -u=x -print)
  if [[ -z $found ]]; then
    echo "no executable $name in $build" >&2
    return 1
  fi
  if [[ $(wc -l <<<"$found") -gt 1 ]]; then
    echo "more than one executable $name in $build:" "${found//$'\n'/ }" >&2
    return 1
  fi
  echo "$found"
}
