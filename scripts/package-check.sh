#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, and checks the installed Brindle as a new
# user would meet it: the window started under Xvfb with a fresh HOME makes and saves
# ~/.local/share/brindle/brindle.dat, a ROM added with brindle-tool is still there after the next
# start, and the desktop entry and AppStream metainfo validate. The package is removed at the
# end, also when a check fails. Needs root (it installs packages); run it on a machine where no
# other brindle package is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "scripts/package-check.sh installs a package: run it as root." >&2
  exit 1
fi
if dpkg-query -W -f='${Status}' brindle 2>/dev/null | grep -q "install ok installed"; then
  echo "A brindle package is already installed; remove it before this check." >&2
  exit 1
fi
bash scripts/deps.sh desktop-file-utils appstream dpkg-dev file

echo "== Building the package (cpack -G DEB)"
dir="${BRINDLE_BUILD_DIR:-build}"
bash scripts/build.sh
rm -f "$dir"/brindle_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/brindle_*.deb)
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'

work=$(mktemp -d)
xvfb=""
# Another apt-get may hold the package lock for a while: wait for it.
apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@" >/dev/null
}
cleanup() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  if dpkg-query -W -f='${Status}' brindle 2>/dev/null | grep -q "install ok installed"; then
    echo "== Removing the package"
    apt_get purge brindle
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Installing $deb"
apt_get install --no-install-recommends "$(realpath "$deb")"

fail() {
  echo "package check: $*" >&2
  exit 1
}

echo "== Installed files"
for f in /usr/bin/brindle /usr/bin/brindle-tool; do
  [ -x "$f" ] || fail "$f is missing"
done
for f in /usr/share/brindle/EarthBound.bmp /usr/share/brindle/icons/opt.ico \
  /usr/share/icons/hicolor/48x48/apps/brindle.png /usr/share/mime/packages/brindle.xml \
  /usr/share/doc/brindle/index.html /usr/share/doc/brindle/guide.css; do
  [ -f "$f" ] || fail "$f is missing"
done
for page in brindle brindle-tool; do
  zcat "/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH ' || fail "no manual page for $page"
done
desktop-file-validate /usr/share/applications/brindle.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.brindle.Brindle.metainfo.xml
if command -v update-mime-database >/dev/null; then
  grep -q '^application/x-ups-patch:\*\.ups$' /usr/share/mime/globs ||
    fail "the .ups type is not in the MIME database"
fi

# A user who has never run Brindle.
home="$work/home"
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
new_user=(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u QT_QPA_PLATFORM HOME="$home"
  XDG_RUNTIME_DIR="$work/run")
database="$home/.local/share/brindle/brindle.dat"

echo "== brindle-tool"
"${new_user[@]}" brindle-tool --version
"${new_user[@]}" brindle-tool --help | grep -qxF "Brindle's database: $database" ||
  fail "brindle-tool --help does not name $database"

# An X server of our own on a free display.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
display=":$(head -n 1 "$work/display")"
[ "$display" != ":" ] || fail "Xvfb did not start"

# Starts the installed brindle (message boxes on standard error), waits until it is up, and ends
# it with SIGTERM, on which it saves.
run_brindle() {
  local log="$work/brindle-$1.txt"
  "${new_user[@]}" DISPLAY="$display" BRINDLE_BOXES=terminal brindle </dev/null 2>"$log" &
  local pid=$!
  for _ in $(seq 300); do
    [ -e "$work/run/BrindleApp.socket" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -e "$work/run/BrindleApp.socket" ] || { cat "$log" >&2; fail "brindle did not start"; }
  sleep 1
  kill -TERM "$pid"
  local status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { cat "$log" >&2; fail "brindle ended with status $status"; }
}

echo "== brindle, first start"
run_brindle 1
grep -q "Welcome to Brindle!" "$work/brindle-1.txt" || fail "no welcome on the first start"
[ -f "$database" ] || fail "$database was not saved"
grep -q '^\[vars\]' "$database" || fail "$database holds no settings"
cmp -s /usr/share/brindle/icons/patchfile-48.png \
  "$home/.local/share/icons/hicolor/48x48/mimetypes/application-x-ips-patch.png" ||
  fail "the patch icon was not registered from /usr/share/brindle"

echo "== brindle, a ROM added and found again at the next start"
rom="$work/Package Check.smc"
head -c 1048576 /dev/zero >"$rom"
printf 'PACKAGE CHECK        ' | dd of="$rom" bs=1 seek=65472 conv=notrunc status=none
"${new_user[@]}" brindle-tool add-rom "$rom" --db "$database"
run_brindle 2
grep -qF "PACKAGE CHECK|8Mbit (No header)|$rom|" "$database" || fail "the ROM was lost"

echo "== The package check passed"
