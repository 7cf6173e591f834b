#!/usr/bin/env bash
# Installs what building, running and testing Quendo needs on Debian 12, when it is missing.
set -euo pipefail
# qt6-qpa-plugins holds the platform plugins that put the program's windows on a screen (Qt's own
# packages only recommend it); xvfb and x11-utils let CI start the program on a virtual display
# and look at its windows (scripts/prove-start.sh).
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
          qt6-qpa-plugins libsqlite3-dev sqlite3 libgtest-dev libbenchmark-dev clang-format dpkg-dev
          make tcl xvfb x11-utils)
packages+=(fonts-liberation poppler-utils)  # Arial's metric twin for the reports; PDF checks in the tests
packages+=(gdal-bin)  # ogrinfo and ogr2ogr: the tests read back and make shapefile sets
packages+=(cups-daemon cups-client)  # a print service of the tests' own (tests/support/PrintService.h)
packages+=(clang llvm libclang-rt-14-dev)  # the fuzz targets (scripts/fuzz.sh): clang with libFuzzer
packages+=(locales)  # the Italian locale the tests run under (below)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# The tests run under it_IT.UTF-8, the locale of the program's users (scripts/test.sh): it is made
# once, listed in /etc/locale.gen so that a later locale-gen keeps it.
has_italian() { locale -a 2>/dev/null | grep -qix 'it_IT\.utf-\?8'; }
if ! has_italian; then
  if grep -q '^# *it_IT\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $sudo sed -i 's/^# *\(it_IT\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^it_IT\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'it_IT.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen > /dev/null
  fi
  $sudo locale-gen > /dev/null
  has_italian || { echo "deps.sh: the it_IT.UTF-8 locale was not made" >&2; exit 1; }
fi

# "&Ripara" salvages a damaged database with the sqlite3 program's .recover, which reads the file's
# pages through the sqlite_dbpage table. Debian builds its sqlite3 without that table; when the
# installed program lacks it, the same version is built with it from Debian's source package and
# installed as /usr/local/bin/sqlite3, ahead of /usr/bin on the path.
can_recover() {
  sqlite3 -batch -init /dev/null :memory: "SELECT count(*) FROM sqlite_dbpage" > /dev/null 2>&1
}
if ! can_recover; then
  work="$(mktemp -d)"
  trap '$sudo rm -rf "$work"' EXIT
  chmod 755 "$work"  # apt's download user writes there
  version="$(dpkg-query -W -f='${source:Version}' sqlite3)"
  # Debian's source entries beside its binary ones, in an apt state of this build's own.
  mkdir -p "$work/sources.list.d" "$work/lists/partial" "$work/get"
  for f in /etc/apt/sources.list.d/*.sources; do
    if [ -e "$f" ]; then sed 's/^Types:.*/Types: deb-src/' "$f" > "$work/sources.list.d/$(basename "$f")"; fi
  done
  touch "$work/sources.list"
  if [ -e /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian\.org.*\)/deb-src \1/p' /etc/apt/sources.list > "$work/sources.list"
  fi
  apt=(-o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=$work/sources.list.d"
       -o "Dir::State::Lists=$work/lists")
  $sudo apt-get "${apt[@]}" update -qq
  (cd "$work/get" && $sudo apt-get "${apt[@]}" source --download-only -qq "sqlite3=$version")
  dpkg-source -x "$work"/get/sqlite3_*.dsc "$work/src" > /dev/null 2>&1
  (cd "$work/src" && ./configure --disable-tcl > /dev/null && make shell.c sqlite3.c > /dev/null &&
   gcc -O2 -DSQLITE_ENABLE_DBPAGE_VTAB -DSQLITE_ENABLE_DBSTAT_VTAB -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE \
       -DSQLITE_ENABLE_MATH_FUNCTIONS shell.c sqlite3.c -lm -ldl -lpthread -o sqlite3)
  $sudo install -m 0755 "$work/src/sqlite3" /usr/local/bin/sqlite3
  hash -r
  can_recover || { echo "deps.sh: sqlite3 built without .recover" >&2; exit 1; }
fi
