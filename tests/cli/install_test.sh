#!/usr/bin/env bash
# The installation: `cmake --install` of the build into a DESTDIR holds the
# program, its resources, help, icons in several sizes, the desktop entry
# with the types it opens and the AppStream description; the entry and the
# description pass their validators; the installed editor finds its resources
# from its own location (not from the source tree it was built from), answers
# --version and draws a snapshot offscreen.
# Usage: install_test.sh PATH_TO_RIX (in the build folder)
# The leak check is off: the window program runs Qt (see tests/CMakeLists.txt).
set -u
rix=$1
build=$(cd "$(dirname "$rix")" && pwd)
for tool in cmake desktop-file-validate appstreamcli python3; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing (scripts/packages.txt)"; exit 1; }
done
home=$(mktemp -d /tmp/rix-install-XXXXXX)
trap 'rm -rf "$home"' EXIT
export RIX_RUNTIME_DIR=$home/run QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
fails=0 passes=0
check() { if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; fails=$((fails + 1)); fi; }
root=$home/root
usr=$root/usr

DESTDIR=$root cmake --install "$build" --prefix /usr >"$home/install.log" 2>&1; rc=$?
check "cmake --install into a DESTDIR exits 0" '[ $rc -eq 0 ]'
check "the program and the window program are installed" '[ -x "$usr/bin/rix" ] && [ -x "$usr/bin/rix_window" ]'
for f in dialogs/DWL_DB.dlg dialogs/TOOLBAR_SET.dlg menus/RIXMenu.mnu rix.env サンプル.txt help/HLP_SHORT.htm \
         icons/rix0.png icons/rix4.png; do
  check "share/rix/$f is installed" '[ -s "$usr/share/rix/$f" ]'
done
for size in 16 32 48 128 256; do
  check "the ${size}x${size} icon is installed" '[ -s "$usr/share/icons/hicolor/${size}x${size}/apps/rix.png" ]'
done
entry=$usr/share/applications/io.rix.Rix.desktop
check "the desktop entry passes desktop-file-validate" 'desktop-file-validate "$entry"'
check "the desktop entry opens text files and archives" \
  'grep -q "^MimeType=text/plain;application/zip;" "$entry" && grep -q "^Exec=rix %f$" "$entry"'
check "the AppStream description passes appstreamcli" \
  'appstreamcli validate --no-net "$usr/share/metainfo/io.rix.Rix.metainfo.xml" >"$home/as.log" 2>&1'

check "the installed rix answers --version" '"$usr/bin/rix" --version | grep -q "7.11"'
# The data folder is filled from the installed resources: a file taken out of
# the installed tree (it is still in the source tree) is not copied.
rm "$usr/share/rix/サンプル.txt"
export RIX_HOME=$home/data
check "the installed rix makes its data folder" '[ "$("$usr/bin/rix" --data-folder)" = "$home/data" ]'
check "the data folder comes from the installed resources" \
  '[ -s "$home/data/rix.env" ] && [ -s "$home/data/help/HLP_SHORT.htm" ] && [ ! -e "$home/data/サンプル.txt" ]'
printf '\x8c\xb4\x8d\x65\r\n' >"$home/doc.txt"
"$usr/bin/rix" --snapshot "$home/shot.png" "$home/doc.txt" >"$home/snap.log" 2>&1; rc=$?
check "the installed editor draws a snapshot offscreen" \
  '[ $rc -eq 0 ] && python3 -c "import sys; sys.exit(open(sys.argv[1],\"rb\").read(8) != b\"\\x89PNG\\r\\n\\x1a\\n\")" "$home/shot.png"'
[ $rc -eq 0 ] || cat "$home/snap.log"

# The Debian package holds the same tree under /usr.
if [ -f "$build/CPackConfig.cmake" ]; then
  (cd "$home" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$home/pkg" >"$home/cpack.log" 2>&1); rc=$?
  deb=$(ls "$home"/pkg/rix_*.deb 2>/dev/null | head -n 1)
  check "cpack -G DEB makes a package" '[ $rc -eq 0 ] && [ -n "$deb" ]'
  [ $rc -eq 0 ] || tail -20 "$home/cpack.log"
  check "the package installs the program, its resources and its menu entry" \
    'dpkg-deb -c "$deb" >"$home/list" && grep -q "\./usr/bin/rix$" "$home/list" && grep -q "\./usr/bin/rix_window$" "$home/list" &&
     grep -q "\./usr/share/rix/dialogs/SC_MKDB.dlg$" "$home/list" && grep -q "\./usr/share/applications/io.rix.Rix.desktop$" "$home/list"'
  check "the package depends on the libraries and the fonts" \
    'dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" && dpkg-deb -f "$deb" Depends | grep -q "fonts-ipaexfont"'
fi

echo "$passes passed, $fails failed"
[ $fails -eq 0 ]
