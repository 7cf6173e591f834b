#!/usr/bin/env bash
# Installs what is missing, builds Quendo and starts it. On first use it records a data folder
# of the user's (~/Quendo) as the program's "Directory", as an installer would.
#
# Only the two programs are built (Release, no tests), in build-release/; they land in its bin/
# folder (QUENDO_PROGRAM_DIR in CMakeLists.txt), wherever their sources are declared.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF -DQUENDO_BENCH=OFF > /dev/null
ninja -C "$build" -j 4 quendo quendo-run
program="$build/bin/quendo"
for built in "$program" "$build/bin/quendo-run"; do
  if [ ! -x "$built" ]; then
    echo "run.sh: $built is not there after the build" >&2
    exit 1
  fi
done
settings="${QUENDO_SETTINGS:-${XDG_CONFIG_HOME:-$HOME/.config}/quendo/quendo.ini}"
if [ ! -f "$settings" ]; then
  "$program" --install "$HOME/Quendo"
fi
exec "$program" "$@"
