#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with.
# Only what is missing is installed, so a second run costs a dpkg query.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config make
  libgtest-dev libgmock-dev libbenchmark-dev
  # the peer RuleFilter's benchmark is measured against (never linked into
  # the library or the tests)
  libhyperscan-dev
  # the window
  qt6-base-dev libqt6svg6 xvfb xauth fonts-dejavu-core fonts-liberation
  # the Windows DLLs and the loader that runs the 64-bit one here
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64 wine64 zip
  # sanitizers and fuzzers
  clang libclang-rt-14-dev
  # the 32-bit x86 Linux build and the emulator that runs it here
  crossbuild-essential-i386 qemu-user
  # a case-insensitive file system for the rename tests
  fusefat fuse3 dosfstools
  # scripts
  python3
  # the install and the Debian package: AppStream validation, the package
  # checker, and dpkg-shlibdeps for the package's dependencies
  appstream lintian dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
  else
    echo "install-deps: missing packages (${missing[*]}) and not root; install them as root" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
