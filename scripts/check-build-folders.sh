#!/usr/bin/env bash
# Checks, before a build, that the build folders a script uses can be written
# by whoever runs it. A folder left by an earlier run as another user (root,
# most often) would otherwise stop the build halfway with CMake's "Unable to
# open cache file for save". For each folder that holds something this user
# cannot write, prints one line saying whose it is and what to do, and exits
# with status 1; prints nothing when all is well. Folders that do not exist
# yet are fine.
#
# Usage: scripts/check-build-folders.sh SCRIPT-NAME FOLDER...
set -euo pipefail

name=$1
shift
me=$(id -un)
failed=0
for folder in "$@"; do
  folder=${folder%/}
  [[ -e $folder ]] || continue
  # The first entry this user cannot change (or cannot look into).
  blocker=$(find "$folder" \( ! -writable -o -type d ! -readable \) -print -quit 2>/dev/null || true)
  [[ -n $blocker ]] || continue
  owner=$(stat -c %U "$blocker")
  inside=
  [[ $blocker == "$folder" ]] || inside=" (${blocker#"$folder"/})"
  if [[ $owner == "$me" ]]; then
    echo "$name: $folder/ is yours but not writable$inside: chmod -R u+w $folder, or remove it" >&2
  elif [[ -z $inside ]]; then
    echo "$name: $folder/ belongs to $owner, not to $me: remove it (as $owner: rm -rf $folder) or run $name as $owner" >&2
  else
    echo "$name: $folder/ holds files of $owner$inside, not of $me: remove it (as $owner: rm -rf $folder) or run $name as $owner" >&2
  fi
  failed=1
done
exit $failed
