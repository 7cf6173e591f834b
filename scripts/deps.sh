#!/usr/bin/env bash
# Installs what building and testing Quendo needs on Debian 12, when it is missing.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
          libsqlite3-dev sqlite3 libgtest-dev libbenchmark-dev clang-format)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
