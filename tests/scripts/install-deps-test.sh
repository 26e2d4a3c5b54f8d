#!/usr/bin/env bash
# Runs scripts/install-deps.sh against fake dpkg-query, id, sudo and apt-get
# on a PATH that holds nothing else, as root, as a user with and without
# sudo, and with everything present. Its standard input is a pipe that never
# delivers anything, so a prompt would hang it until the time limit.
#
# Usage: install-deps-test.sh path/to/install-deps.sh
set -uo pipefail

script=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$work"' EXIT
bin=$work/bin
sudo_bin=$work/sudo-bin # on PATH only in the cases with sudo
mkdir -p "$bin" "$sudo_bin"
bash_path=$(type -P bash)
ln -s "$bash_path" "$bin/bash"
ln -s "$(type -P true)" "$bin/true" # what the script asks sudo to run first

# The fakes use shell built-ins only, since PATH holds nothing but them.
# State: $STATE/installed (one package a line), $STATE/log (apt-get calls).
cat >"$bin/dpkg-query" <<EOF
#!$bash_path
package=\${!#}
while read -r line; do
  if [[ \$line == "\$package" ]]; then printf 'install ok installed'; exit 0; fi
done <"\$STATE/installed"
echo "dpkg-query: no packages found matching \$package" >&2
exit 1
EOF
cat >"$bin/id" <<EOF
#!$bash_path
echo "\${FAKE_UID:?}"
EOF
# FAKE_SUDO: "nopasswd" runs the command as root; "password" asks for one
# unless -n is given, as sudo does.
cat >"$sudo_bin/sudo" <<EOF
#!$bash_path
noninteractive=0
while [[ \$1 == -* ]]; do [[ \$1 == -n ]] && noninteractive=1; shift; done
if [[ \$FAKE_SUDO == password ]]; then
  if [[ \$noninteractive -eq 1 ]]; then echo "sudo: a password is required" >&2; exit 1; fi
  printf '[sudo] password for user: ' >&2
  read -r answer
  exit 1
fi
FAKE_UID=0 SUDO_USER=user exec "\$@"
EOF
# FAKE_APT: "fail" makes every call fail.
cat >"$bin/apt-get" <<EOF
#!$bash_path
if [[ \$FAKE_UID -ne 0 ]]; then echo "E: Could not open lock file - are you root?" >&2; exit 100; fi
stdin=tty
[[ /dev/stdin -ef /dev/null ]] && stdin=null
echo "\${SUDO_USER:-root} stdin=\$stdin \$*" >>"\$STATE/log"
[[ \${FAKE_APT:-} == fail ]] && { echo "E: Unable to fetch some archives" >&2; exit 100; }
if [[ \$1 == install ]]; then
  for word in "\$@"; do [[ \$word == -* || \$word == install || \$word == Dpkg::* ]] || echo "\$word" >>"\$STATE/installed"; done
fi
exit 0
EOF
chmod +x "$bin/dpkg-query" "$bin/id" "$bin/apt-get" "$sudo_bin/sudo"
timeout=$(type -P timeout)

# Holds the write end of a pipe open and never writes: whatever reads the
# script's standard input waits until the time limit.
mkfifo "$work/stdin"
exec 3<>"$work/stdin"

failures=0
fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }

# run NAME UID SUDO INSTALLED... : a fresh state with INSTALLED present;
# runs the script with the extra package "peer-tool"; sets status, out, err, log.
run() {
  case_name=$1 uid=$2 sudo_mode=$3
  shift 3
  export STATE=$work/state-$case_name
  mkdir -p "$STATE"
  printf '%s\n' "$@" >"$STATE/installed"
  : >"$STATE/log"
  local path=$bin
  [[ $sudo_mode == none ]] || path=$bin:$sudo_bin
  env -i PATH="$path" STATE="$STATE" FAKE_UID="$uid" FAKE_SUDO="$sudo_mode" FAKE_APT="${FAKE_APT:-}" \
    "$timeout" 20 "$bash_path" "$script" peer-tool <&3 >"$STATE/out" 2>"$STATE/err"
  status=$?
  out=$(<"$STATE/out") err=$(<"$STATE/err") log=$(<"$STATE/log")
  [[ $status -eq 124 ]] && fail "timed out: the script waited for input"
}

# The packages the script asks for, read from its list.
mapfile -t all < <(sed -n '/^packages=(/,/^)/p' "$script" | sed '1d;$d' | tr ' ' '\n' | grep -v '^\s*$' | grep -v '"\$@"')
all+=(peer-tool)
[[ ${#all[@]} -gt 5 ]] || { echo "FAIL: could not read the package list"; exit 1; }
some=("${all[@]:2}") # the first two are missing in the cases below
missing="${all[0]} ${all[1]}"

run present 1000 none "${all[@]}"
[[ $status -eq 0 ]] || fail "status $status"
[[ -z $out$err$log ]] || fail "expected silence and no apt-get call, got: $out $err $log"

run root 0 none "${some[@]}"
[[ $status -eq 0 ]] || fail "status $status: $err"
[[ $log == *"root stdin=null update"* ]] || fail "no apt-get update: $log"
[[ $log == *"root stdin=null install -y "*" $missing" ]] || fail "install not of exactly $missing: $log"

run sudo-nopasswd 1000 nopasswd "${some[@]}"
[[ $status -eq 0 ]] || fail "status $status: $err"
[[ $log == *"user stdin=null install -y "*" $missing" ]] || fail "not installed through sudo: $log"
run sudo-nopasswd-again 1000 nopasswd "${all[@]}"
[[ -z $out$err$log ]] || fail "a second run was not silent: $out $err $log"

run sudo-password 1000 password "${some[@]}"
[[ $status -eq 1 ]] || fail "status $status"
[[ -z $log && -z $out ]] || fail "apt-get ran or stdout was used: $log $out"
[[ $err == *"missing: $missing"* ]] || fail "missing packages not named: $err"
[[ $err == *"sudo sh -c 'apt-get update && apt-get install -y --no-install-recommends $missing'"* ]] ||
  fail "no sudo command to run: $err"
[[ $err != *"password is required"* ]] || fail "sudo's own complaint leaked: $err"

run no-sudo 1000 none "${some[@]}"
[[ $status -eq 1 ]] || fail "status $status"
[[ -z $log && -z $out ]] || fail "apt-get ran or stdout was used: $log $out"
[[ $err == *"su -c 'apt-get update && apt-get install -y --no-install-recommends $missing'"* ]] ||
  fail "no su command to run: $err"
[[ $(wc -l <<<"$err") -eq 4 ]] || fail "expected four lines of explanation: $err"

FAKE_APT=fail run sudo-apt-fails 1000 nopasswd "${some[@]}"
[[ $status -eq 1 ]] || fail "status $status"
[[ $err == *"apt-get could not install them"*"sudo sh -c"* ]] || fail "failure not explained: $err"

FAKE_APT=fail run root-apt-fails 0 none "${some[@]}"
[[ $status -eq 1 ]] || fail "status $status"
[[ $err == *$'\n'"  apt-get update && apt-get install"* ]] || fail "no plain command for root: $err"

if [[ $failures -ne 0 ]]; then
  echo "install-deps-test: $failures failed"
  exit 1
fi
echo "install-deps-test: all cases passed"
