#!/bin/bash
# Installs every package the build and the tests need, cross-builds the picture
# libraries and prepares the Wine prefix. Idempotent: a second run only checks.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${IMPRINTA_BUILD:-$ROOT/build}"

need_root() { [ "$(id -u)" = 0 ] || { echo "setup: run as root (apt-get)" >&2; exit 1; }; }

PACKAGES=(
  cmake ninja-build g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  wine wine32:i386 fonts-wine xvfb xauth libz-mingw-w64-dev libboost1.81-dev googletest
  nasm fonts-wqy-zenhei locales imagemagick xdotool x11-utils dpkg-dev
  clang-14 libclang-rt-14-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev g++ libdeflate-dev libxxhash-dev
  gdk-pixbuf-tests libsdl2-image-tests
  nsis unzip python3 parallel
)

# A mirror being synced fails one index now and then: try again, then go on
# with the lists that came (the install says what is still missing).
update_failed=0
apt_update() {
  for _ in 1 2 3; do apt-get update -q && return 0; sleep 15; done
  echo "setup: apt-get update failed three times; going on with the lists it has" >&2
  update_failed=1
}

# Without the security suite's i386 index the two architectures' versions of a
# shared library disagree and wine32 cannot be installed; the point release
# alone has both at one version.
install_packages() {
  apt-get install -y -q --no-install-recommends "$@" && return 0
  [ "$update_failed" = 1 ] || return 1
  echo "setup: installing from bookworm's point release alone" >&2
  local parts
  parts=$(mktemp -d)
  printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' > "$parts/bookworm.sources"
  apt-get install -y -q --no-install-recommends -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$parts" "$@"
}

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_root; dpkg --add-architecture i386; missing=(update)
fi
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  need_root
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  install_packages "${PACKAGES[@]}"
fi

# Source packages come from bookworm main only (the security suite serves none).
SRC_LIST=/etc/apt/sources.list.d/imprinta-src.sources
if [ ! -f "$SRC_LIST" ]; then
  need_root
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' > "$SRC_LIST"
  apt_update
fi

# Wine needs the glibc locale, or non-ASCII command-line arguments lose bits.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  need_root
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

"$ROOT/scripts/build-deps.sh" "$BUILD"
# The fonts the program ships: downloaded from Debian and unpacked, never installed.
"$ROOT/scripts/fetch-fonts.sh" "$BUILD"
"$ROOT/scripts/make-prefix.sh" "$BUILD"
