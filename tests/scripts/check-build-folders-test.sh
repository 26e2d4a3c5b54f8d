#!/usr/bin/env bash
# Runs scripts/check-build-folders.sh on folders that its user can and cannot
# write. As root, the folders are root's and the script runs as nobody; as
# another user, the folders are made read-only.
#
# Usage: check-build-folders-test.sh path/to/check-build-folders.sh
set -uo pipefail

script=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
cd "$work"

failures=0
fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }

if [[ $(id -u) -eq 0 ]]; then
  command -v setpriv >/dev/null || { echo "check-build-folders-test: no setpriv; skipped"; exit 0; }
  runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  user=nobody other=root
  mine() { chown -R nobody "$@"; }
  not_mine() { chown -R root "$@"; }
else
  runner=()
  user=$(id -un) other=$user
  mine() { chmod -R u+w "$@"; }
  not_mine() { chmod -R a-w "$@"; }
fi

# check NAME FOLDER... : runs the script; sets status and err.
check() {
  case_name=$1
  shift
  err=$("${runner[@]}" "$script" run.sh "$@" 2>&1 >/dev/null)
  status=$?
}

mkdir -p fresh/sub && touch fresh/sub/CMakeCache.txt && mine fresh
check writable fresh missing-folder
[[ $status -eq 0 && -z $err ]] || fail "expected silence, got $status: $err"

mkdir -p theirs/sub && touch theirs/CMakeCache.txt && not_mine theirs
check folder-of-another theirs/
[[ $status -eq 1 ]] || fail "status $status"
[[ $(wc -l <<<"$err") -eq 1 ]] || fail "more than one line: $err"
if [[ $user != "$other" ]]; then
  [[ $err == "run.sh: theirs/ belongs to root, not to nobody: remove it (as root: rm -rf theirs) or run run.sh as root" ]] ||
    fail "unexpected message: $err"
else
  [[ $err == "run.sh: theirs/ is yours but not writable: chmod -R u+w theirs, or remove it" ]] || fail "unexpected message: $err"
fi

mkdir -p mixed/tests && touch mixed/tests/CMakeCache.txt && mine mixed && not_mine mixed/tests
check files-of-another mixed fresh
[[ $status -eq 1 ]] || fail "status $status"
[[ $err == *"mixed/ "*"(tests)"* && $err != *fresh* ]] || fail "unexpected message: $err"

check two-folders theirs mixed
[[ $(wc -l <<<"$err") -eq 2 ]] || fail "expected a line for each: $err"

if [[ $failures -ne 0 ]]; then
  echo "check-build-folders-test: $failures failed"
  exit 1
fi
echo "check-build-folders-test: all cases passed"
