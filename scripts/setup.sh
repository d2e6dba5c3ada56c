#!/usr/bin/env bash
# Installs what the build, the tests and the demo need, from Debian's packages only. Idempotent.
set -euo pipefail
packages=(
  cmake ninja-build g++ googletest               # native build and tests
  g++-mingw-w64-x86-64-posix mingw-w64-tools     # the Windows build
  wine wine64                                    # running it
  xvfb xauth x11-apps x11-utils imagemagick              # a display for the tests and screenshots
  fonts-wqy-microhei                             # Chinese text under Wine
  fonts-wine                                     # Wine's own Marlett (caption buttons, arrows)
  locales                                        # zh_CN.UTF-8: Wine opens Chinese file names only with it
  python3                                        # the release package's zip (scripts/package.sh)
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
