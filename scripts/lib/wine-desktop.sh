# shellcheck shell=bash
# trevalune.exe under Wine on a virtual X server, as a technician on a Chinese Windows sees it.
# Sourced by scripts/windows-screenshot and scripts/test-windows-package (bash, set -euo pipefail).
#
#   wine_desktop_start DIR   Xvfb on a free display (WINE_DESKTOP_SCREEN, 1024x768x24 unless set),
#                            a zh_CN locale, a fresh Wine prefix DIR/wine;
#                            exports DISPLAY, WINEPREFIX and the rest for the programs started later
#   wine_desktop_stop        ends this prefix's Wine server and the Xvfb it started (EXIT trap)
#   wine_run ARGS...         runs Wine's loader (wine64) in the Chinese locale (also: "${wine_cmd[@]}")
#   wine_pids_of 'C:\...exe'  prints the ids of this prefix's processes running that Windows program
#   wine_find_window [S]     prints the id of the visible window titled "Trevalune" (S seconds, 20)
#   wine_client_origin WID   sets client_x, client_y: where the client area starts in the window
#   wine_click WID X Y       clicks the client pixel X, Y (the design's pixels at 96 DPI)
#   wine_wait_window_gone S  waits S seconds at most until no window titled "Trevalune" is visible
#   documents_count DIR      how many documents the virtual printer wrote into DIR
#   documents_settle DIR N   waits until more than N are there and no more came for 1.5 s (30 s)
#
# Every failure names what is missing and returns non-zero.

wine_desktop_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
wine_desktop_server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
wine_desktop_xvfb_pid=
wine_desktop_prefix=

wine_desktop_fail() {
    echo "${0##*/}: $*" >&2
    return 1
}

# Only for Wine's programs: the shell itself may lack that locale. An array, so `timeout` can
# run it too.
wine_cmd=(env LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 "$wine_desktop_loader")

wine_run() {
    "${wine_cmd[@]}" "$@"
}

wine_pids_of() {
    local exe=$1 dir first
    for dir in /proc/[0-9]*; do
        # The Windows path comes first on the command line of a process Wine runs, padded with
        # blanks. Read without pipes: under pipefail an early-closing reader could fail the test.
        first=
        { IFS= read -r -d '' first <"$dir/cmdline"; } 2>/dev/null || true
        first=${first%"${first##*[![:space:]]}"}
        [ "${first,,}" = "${exe,,}" ] || continue
        grep -qzxF "WINEPREFIX=$WINEPREFIX" "$dir/environ" 2>/dev/null || continue
        echo "${dir#/proc/}"
    done
}

wine_desktop_start() {
    local dir=$1 tool
    for tool in Xvfb xdotool localedef "$wine_desktop_loader" "$wine_desktop_server"; do
        command -v "$tool" >/dev/null || wine_desktop_fail "$tool is missing (scripts/setup installs it)" ||
            return 1
    done
    mkdir -p "$dir/locale" "$dir/home"
    # Xvfb picks a free display and writes its number and a newline once it accepts clients; a
    # loaded machine may show the number before the newline, so the whole line is waited for.
    Xvfb -displayfd 3 -screen 0 "${WINE_DESKTOP_SCREEN:-1024x768x24}" -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
    wine_desktop_xvfb_pid=$!
    for _ in $(seq 300); do
        grep -q '^[0-9][0-9]*$' "$dir/display" 2>/dev/null && break
        kill -0 "$wine_desktop_xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    grep -q '^[0-9][0-9]*$' "$dir/display" 2>/dev/null ||
        wine_desktop_fail "Xvfb did not start within 30 s" || return 1
    local display_number
    display_number=$(cat "$dir/display")

    # A Chinese Windows: code page 936, and X window titles in UTF-8 need a glibc zh_CN locale.
    localedef -i zh_CN -f UTF-8 "$dir/locale/zh_CN.UTF-8" 2>/dev/null || true
    wine_desktop_prefix=$dir/wine
    export DISPLAY=:$display_number HOME=$dir/home LOCPATH=$dir/locale
    export WINEPREFIX=$wine_desktop_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    unset WAYLAND_DISPLAY LPDEST PRINTER

    wine_run wineboot --init >/dev/null 2>&1 || wine_desktop_fail "the Wine prefix was not created" ||
        return 1
    # Wine draws its own window frames: without a window manager it would wait 2 s per hide.
    wine_desktop_setting 'HKCU\Software\Wine\X11 Driver' Managed N || return 1
    # "宋体" is a Song face; where SimSun is missing, a Song face stands in before any sans face.
    if fc-list -q 'AR PL UMing CN'; then
        wine_desktop_setting 'HKCU\Software\Wine\Fonts\Replacements' 宋体 'AR PL UMing CN' ||
            return 1
    fi
    "$wine_desktop_server" -w || wine_desktop_fail "the Wine server did not settle" || return 1
}

# One registry value; a loaded machine may fail the first try, so it is tried once more, and
# a failure says which value.
wine_desktop_setting() {
    local key=$1 name=$2 value=$3
    wine_run reg add "$key" /v "$name" /d "$value" /f >/dev/null 2>&1 ||
        wine_run reg add "$key" /v "$name" /d "$value" /f >/dev/null 2>&1 ||
        wine_desktop_fail "Wine did not take the setting $key\\$name" || return 1
}

wine_desktop_stop() {
    if [ -n "$wine_desktop_prefix" ] && [ -d "$wine_desktop_prefix" ]; then
        WINEPREFIX=$wine_desktop_prefix "$wine_desktop_server" -k 2>/dev/null || true
    fi
    if [ -n "$wine_desktop_xvfb_pid" ]; then
        kill "$wine_desktop_xvfb_pid" 2>/dev/null || true
        wait "$wine_desktop_xvfb_pid" 2>/dev/null || true
        wine_desktop_xvfb_pid=
    fi
}

wine_find_window() {
    local seconds=${1:-20} wid
    for _ in $(seq $((seconds * 5))); do
        wid=$(xdotool search --onlyvisible --name '^Trevalune$' 2>/dev/null | head -n 1) || true
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        sleep 0.2
    done
    wine_desktop_fail "no visible window titled \"Trevalune\" after $seconds s"
}

wine_wait_window_gone() {
    local seconds=${1:-10}
    for _ in $(seq $((seconds * 5))); do
        xdotool search --onlyvisible --name '^Trevalune$' >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    wine_desktop_fail "the window titled \"Trevalune\" is still open after $seconds s"
}

# shellcheck disable=SC2034  # client_x, client_y, window_width, window_height are its results
wine_client_origin() {
    local width height
    read -r width height < <(xdotool getwindowgeometry --shell "$1" |
        sed -n 's/^WIDTH=//p;s/^HEIGHT=//p' | paste -sd ' ')
    # Wine's own frame: equal borders left, right and below, the caption above.
    client_x=$(((width - 454) / 2))
    client_y=$((height - 169 - client_x))
    window_width=$width window_height=$height
}

wine_click() {
    xdotool mousemove --window "$1" $((client_x + $2)) $((client_y + $3)) click 1
}

documents_count() {
    find "$1" -maxdepth 1 -name 'doc-*.prn' | wc -l
}

documents_settle() {
    local dir=$1 before=$2 last=-1 same=0 now
    for _ in $(seq 60); do
        now=$(documents_count "$dir")
        if [ "$now" -gt "$before" ] && [ "$now" = "$last" ]; then
            same=$((same + 1))
            [ "$same" -ge 3 ] && return 0
        else
            same=0
        fi
        last=$now
        sleep 0.5
    done
}
