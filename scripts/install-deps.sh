#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Brickmelody
# need. Does nothing, and prints nothing, when everything is present; runs
# `apt-get update` only when something is missing. Extra package names may be
# given as arguments (the benchmark scripts use this for their peers).
#
# Installing needs root: as root the script installs directly; otherwise it
# uses sudo when sudo needs no password. When neither works it prints the
# missing packages and the command that installs them as root, and exits
# with status 1. It never prompts and never reads its standard input, so it
# runs unattended (CI starts it without one).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libsdl2-dev libmpg123-dev libsamplerate0-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core lame libfreetype-dev zlib1g-dev
  xvfb xauth xdotool openbox x11-utils x11-apps
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

uid=$(id -u)
apt_install="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"

# Says what is missing, why it was not installed and how to install it as
# root, then stops.
explain_and_stop() {
  {
    echo "install-deps: these Debian packages are missing: ${missing[*]}"
    echo "install-deps: $1; as root, run:"
    if [[ $uid -eq 0 ]]; then
      echo "  $apt_install"
    elif command -v sudo >/dev/null; then
      echo "  sudo sh -c '$apt_install'"
    else
      echo "  su -c '$apt_install'"
    fi
    echo "install-deps: then start this again."
  } >&2
  exit 1
}

as_root=()
if [[ $uid -ne 0 ]]; then
  # sudo -n fails at once instead of asking for a password.
  if command -v sudo >/dev/null && sudo -n true </dev/null >/dev/null 2>&1; then
    as_root=(sudo -n)
  else
    explain_and_stop "installing them needs root, or sudo without a password"
  fi
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Keep configuration files as they are rather than asking about them.
apt_options=(-y --no-install-recommends -qq -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)
if ! "${as_root[@]}" apt-get update -qq </dev/null ||
   ! "${as_root[@]}" apt-get install "${apt_options[@]}" "${missing[@]}" </dev/null; then
  explain_and_stop "apt-get could not install them"
fi
