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
# Xvfb picks a free display and writes its number and a newline once it accepts clients;
# under load the number may be seen before the newline, so wait for the whole line.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do
    grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q '^[0-9][0-9]*$' "$tmp/display" 2>/dev/null ||
    { echo "Xvfb did not start within 30 s" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(cat "$tmp/display")
# The server must answer before openbox asks it; a loaded machine may need a while.
for _ in $(seq 300); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 ||
    { echo "the X server on $DISPLAY does not answer" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
# openbox is started a second time if it gives up at once (a busy machine); each try has 30 s
# to take over the screen.
start_openbox() {
    HOME=$tmp openbox >"$tmp/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 300); do
        wmctrl -m >/dev/null 2>&1 && return 0
        kill -0 "$wm_pid" 2>/dev/null || break
        sleep 0.1
    done
    return 1
}
if ! start_openbox; then
    echo "openbox did not start on $DISPLAY; trying once more:" >&2
    cat "$tmp/openbox.log" >&2
    kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    start_openbox || { echo "openbox did not start on $DISPLAY" >&2; cat "$tmp/openbox.log" >&2; exit 1; }
fi
# libdbus keeps a buffer to the end of the process once Qt's xcb platform has asked the session
# bus: a leak of the system library's, not of the program's, for the sanitizer build.
printf 'leak:libdbus-1.so\n' >"$tmp/lsan.supp"
export LSAN_OPTIONS="suppressions=$tmp/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for scale in ${SCALES:-1 1.5 2}; do
    echo "== ${scale}x"
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale TREVALUNE_WINDOW_MANAGER=1 XDG_RUNTIME_DIR=$tmp \
        "$tests" --gtest_filter='QtWindowManagerTest.*' --gtest_repeat=${REPEAT:-20} --gtest_brief=1
done
