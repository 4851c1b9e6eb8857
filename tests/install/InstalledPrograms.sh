#!/usr/bin/env bash
# Builds the Debian package of both programs, unpacks it into a temporary root and starts the
# packaged copies on a virtual display, each with a document, as the desktop does when a document
# is double-clicked.
#   InstalledPrograms.sh BUILD_DIR SCREENSHOT_DIR
set -euo pipefail
build_dir=$1
shots=$2
work=$(mktemp -d)
program_pids=()
source "$(dirname "$0")/../../scripts/virtual-display.sh"
cleanup() {
  for pid in "${program_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  stop_virtual_display
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

package_dir=$work/package
cpack -G DEB -B "$package_dir" --config "$build_dir/CPackConfig.cmake" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
package=$(find "$package_dir" -maxdepth 1 -name '*.deb' | head -n 1)
[[ -n "$package" ]] || fail "cpack made no .deb"
dpkg-deb --field "$package" Depends | grep -qw wget || fail "the package does not depend on wget"
dpkg-deb -x "$package" "$work/root"
prefix=$work/root/usr
for file in bin/vellicor bin/pendrill share/vellicor/UserGuide/UserGuide.html share/pendrill/UserGuide/UserGuide.html \
            share/applications/vellicor.desktop share/applications/pendrill.desktop \
            share/mime/packages/vellicor-documents.xml share/icons/hicolor/scalable/apps/vellicor.svg; do
  [[ -e "$prefix/$file" ]] || fail "$file is not installed"
done
wget_link=$prefix/share/vellicor/wget
[[ -L "$wget_link" ]] || fail "the wget resource is not a link"
[[ -x "$(readlink -f "$wget_link")" ]] || fail "the wget link does not resolve to a program"
"$wget_link" --version | head -n 1 | grep -q "GNU Wget" || fail "the wget link does not start GNU Wget"

# Settings and runtime files stay in the work folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/Vellicor"
# No update check at start: the test has no network to offer.
printf '[General]\nkDontCheckForUpdatesKey=true\n' > "$XDG_CONFIG_HOME/Vellicor/Vellicor.conf"
printf '{"format": "vellicor-document", "version": 1, "values": {"_baseURL": "http://127.0.0.1/"}}\n' > "$work/mirror-job.vellicor"
printf '{"format": "pendrill-document", "version": 1, "values": {}}\n' > "$work/timed-job.pendrill"

start_virtual_display || fail "no virtual display started"

"$prefix/bin/vellicor" "$work/mirror-job.vellicor" >"$work/vellicor.log" 2>&1 &
program_pids+=($!)
"$prefix/bin/pendrill" "$work/timed-job.pendrill" >"$work/pendrill.log" 2>&1 &
program_pids+=($!)

shown() { xwininfo -root -tree | grep -q "\"$1\": (\"$2\""; }
for _ in $(seq 300); do
  shown mirror-job vellicor && shown timed-job pendrill && break
  sleep 0.1
done
shown mirror-job vellicor || { cat "$work/vellicor.log" >&2; fail "Vellicor shows no window for its document"; }
shown timed-job pendrill || { cat "$work/pendrill.log" >&2; fail "Pendrill shows no window for its document"; }
for pid in "${program_pids[@]}"; do kill -0 "$pid" 2>/dev/null || fail "a program ended early"; done
# Only the document windows: a document path opens no untitled one beside it.
untitled=$(xwininfo -root -tree | grep -c '"Untitled' || true)
[[ "$untitled" == 0 ]] || fail "an untitled document opened beside the requested one"

mkdir -p "$shots"
sleep 0.5
import -window root "$shots/installed-programs.png"
echo "installed programs ran; screenshot in $shots/installed-programs.png"
