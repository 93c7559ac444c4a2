#!/usr/bin/env bash
# A real input method on the real window: a reading typed, converted and
# committed through ibus with its Japanese engine under Xvfb, and the saved
# document holds the kanji. Skipped (77) where the machine has no such input
# method, or no ordinary user to run it as: the conversion server refuses to
# run as root. RIX_IME_USER names that user (default: writer).
# Usage: ime_test.sh PATH_TO_RIX
set -u
rix=$(readlink -f "$1")
user=${RIX_IME_USER:-writer}
for tool in Xvfb openbox xdotool dbus-launch ibus-daemon ibus iconv; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
[ -x /usr/lib/ibus-mozc/ibus-engine-mozc ] || { echo "skipped: no Japanese engine"; exit 77; }
id "$user" >/dev/null 2>&1 || { echo "skipped: no user $user"; exit 77; }
[ "$(id -u)" = 0 ] || [ "$(id -un)" = "$user" ] || { echo "skipped: cannot run as $user"; exit 77; }

work=$(mktemp -d /tmp/rix-ime-XXXXXX)
trap 'rm -rf "$work"' EXIT
printf 'あいう\r\n' | iconv -f UTF-8 -t CP932 > "$work/doc.txt"
cat > "$work/session.sh" <<EOF
#!/bin/bash
set -u
# A home of its own: the engine's learning from other sessions changes the first candidate.
export HOME=$work/user RIX_HOME=$work/home ASAN_OPTIONS=detect_leaks=0
mkdir -p \$HOME
before=\$(pgrep -u "\$(id -un)" -x mozc_server)
display=:\$(( 150 + \$\$ % 50 ))
Xvfb \$display -screen 0 1280x900x24 >/dev/null 2>&1 & xvfb=\$!
sleep 1
export DISPLAY=\$display; unset QT_QPA_PLATFORM
eval "\$(dbus-launch --sh-syntax)"
openbox >/dev/null 2>&1 & wm=\$!
mkdir -p ~/.config/mozc
printf 'engines {\n name: "mozc-jp"\n longname: "Mozc"\n layout: "default"\n layout_variant: ""\n layout_option: ""\n rank: 80\n}\nactive_on_launch: True\n' > ~/.config/mozc/ibus_config.textproto
ibus-daemon --xim --panel=disable --daemonize --replace; sleep 3
QT_IM_MODULE=ibus "$rix" "$work/doc.txt" >/dev/null 2>&1 & editor=\$!
sleep 6
window=\$(xdotool search --onlyvisible --pid \$editor | tail -n 1)
xdotool windowfocus --sync \$window; sleep 1
ibus engine mozc-jp; sleep 1
xdotool key --delay 150 n i h o n g o; sleep 3
xdotool key space; sleep 6
xdotool key Return; sleep 2
ibus engine xkb:us::eng; sleep 1
xdotool key alt+f; sleep 0.8; xdotool key s; sleep 3
xdotool key alt+f; sleep 0.8; xdotool key x; sleep 3
kill \$editor 2>/dev/null; wait \$editor 2>/dev/null
ibus exit 2>/dev/null
# The conversion server this session started (it outlives the engine).
for server in \$(pgrep -u "\$(id -un)" -x mozc_server); do
  case " \$before " in *" \$server "*) ;; *) kill \$server ;; esac
done
kill \$wm \$xvfb \$DBUS_SESSION_BUS_PID 2>/dev/null
EOF
chmod 755 "$work/session.sh"
# The user's session writes the data folder and saves beside the document.
[ "$(id -u)" = 0 ] && chown -R "$user" "$work"
if [ "$(id -u)" = 0 ]; then su "$user" -c "$work/session.sh"; else "$work/session.sh"; fi
text=$(iconv -f CP932 -t UTF-8 < "$work/doc.txt" | head -n 1 | tr -d '\r')
if [ "$text" = 日本語あいう ]; then
  echo "ok: the committed conversion is in the document"
  exit 0
fi
echo "FAILED: the document holds: $text"
exit 1
