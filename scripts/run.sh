#!/usr/bin/env bash
# Installs what is missing, builds Quendo and starts it. On first use it records a data folder
# of the user's (~/Quendo) as the program's "Directory", as an installer would.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF > /dev/null
ninja -C build-release quendo quendo-run
settings="${QUENDO_SETTINGS:-${XDG_CONFIG_HOME:-$HOME/.config}/quendo/quendo.ini}"
if [ ! -f "$settings" ]; then
  build-release/quendo --install "$HOME/Quendo"
fi
exec build-release/quendo "$@"
