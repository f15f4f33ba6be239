#!/usr/bin/env bash
# The Qt face's window under a real window manager (openbox) on a 1366 x 768 X server, at
# 100, 150 and 200 %: qt_face_tests' window-manager cases, 20 times at each scale.
#   window-manager.sh QT_FACE_TESTS    (SCALES="1 2", REPEAT=5 to run fewer)
set -euo pipefail
tests=$1
for tool in Xvfb openbox wmctrl xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup installs it)" >&2; exit 1; }
done
tmp=$(mktemp -d)
xvfb_pid='' wm_pid=''
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
done
[ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$tmp/display")
HOME=$tmp openbox >"$tmp/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
    wmctrl -m >/dev/null 2>&1 && break
    sleep 0.1
done
wmctrl -m >/dev/null 2>&1 || { echo "openbox did not start" >&2; cat "$tmp/openbox.log" >&2; exit 1; }
# libdbus keeps a buffer to the end of the process once Qt's xcb platform has asked the session
# bus: a leak of the system library's, not of the program's, for the sanitizer build.
printf 'leak:libdbus-1.so\n' >"$tmp/lsan.supp"
export LSAN_OPTIONS="suppressions=$tmp/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for scale in ${SCALES:-1 1.5 2}; do
    echo "== ${scale}x"
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale TREVALUNE_WINDOW_MANAGER=1 XDG_RUNTIME_DIR=$tmp \
        "$tests" --gtest_filter='QtWindowManagerTest.*' --gtest_repeat=${REPEAT:-20} --gtest_brief=1
done
