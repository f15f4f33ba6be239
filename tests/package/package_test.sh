#!/usr/bin/env bash
# Checks of the Debian package and of the program installed from it, one CTest test each:
#   package_test.sh build CPACK BUILD_DIR OUT   builds the package from BUILD_DIR, unpacks it
#   package_test.sh CHECK OUT VERSION           info | contents | desktop_entry | metainfo |
#                                               manuals | start
# Nothing touches the system: the package is unpacked with dpkg-deb -x into OUT/root, and the
# programs start from there (the window on Qt's offscreen platform); man reads the pages from
# there as it would from /usr/share/man.
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

id=io.github.trevalune.Trevalune
programs=(trevalune trevalune-send trevalune-virtual-printer)

the_deb() {
    local debs=("$1"/trevalune_*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in $1: ${debs[*]}"
    echo "${debs[0]}"
}

build() {
    local cpack=$1 build_dir=$2 out=$3
    rm -rf "$out"
    mkdir -p "$out"
    (cd "$build_dir" && "$cpack" -G DEB -B "$out" >"$out/cpack.log") ||
        { cat "$out/cpack.log" >&2; fail "cpack"; }
    dpkg-deb -x "$(the_deb "$out")" "$out/root"
}

# The control fields: name, the project's version, the runtime the program needs.
info() {
    local deb field
    deb=$(the_deb "$1")
    dpkg-deb --info "$deb"
    [ "$(dpkg-deb --field "$deb" Package)" = trevalune ] || fail "package name"
    [ "$(dpkg-deb --field "$deb" Version)" = "$2" ] || fail "version is not the project's $2"
    [ "$(dpkg-deb --field "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
        fail "architecture"
    field=$(dpkg-deb --field "$deb" Depends)
    for dep in 'libqt6widgets6 ' 'libqt6gui6 ' 'libcups2 ' 'fonts-wqy-microhei | fonts-noto-cjk'; do
        [[ "$field" == *"$dep"* ]] || fail "Depends lacks '$dep': $field"
    done
}

# Where the files are, with their modes, and that the menu entry points at what is installed.
contents() {
    local listing root=$1/root exec icon
    listing=$(dpkg-deb --contents "$(the_deb "$1")")
    echo "$listing"
    expect() {
        grep -qE "^$1 +root/root +[0-9]+ .* \./$2\$" <<<"$listing" || fail "no $1 ./$2 in the package"
    }
    for program in "${programs[@]}"; do
        expect -rwxr-xr-x "usr/bin/$program"
        expect -rw-r--r-- "usr/share/man/man1/$program.1.gz"
    done
    # Nothing on the PATH without the project's name.
    if grep -E ' \./usr/bin/' <<<"$listing" | grep -vE ' \./usr/bin/(trevalune[^/]*)?$'; then
        fail "a program without the trevalune prefix"
    fi
    expect -rw-r--r-- usr/share/doc/trevalune/virtual-printer/README.md
    expect -rw-r--r-- usr/share/doc/trevalune/preview/README.md
    expect -rw-r--r-- "usr/share/applications/$id.desktop"
    expect -rw-r--r-- "usr/share/metainfo/$id.metainfo.xml"
    expect -rw-r--r-- "usr/share/icons/hicolor/scalable/apps/$id.svg"
    for size in 48 128 256; do
        expect -rw-r--r-- "usr/share/icons/hicolor/${size}x$size/apps/$id.png"
    done
    if grep -vE ' \./(usr/.*)?$' <<<"$listing"; then fail "files outside /usr"; fi

    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root/usr/share/applications/$id.desktop")
    [ -x "$root/usr/bin/$exec" ] || fail "Exec=$exec is not in /usr/bin"
    icon=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/$id.desktop")
    [ "$icon" = "$id" ] || fail "Icon=$icon is not the installed icon $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
        "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo does not launch $id.desktop"
}

# Hints pass (the entry is both a utility and a setting, on purpose); errors and warnings fail.
desktop_entry() {
    local report
    report=$(desktop-file-validate "$1/root/usr/share/applications/$id.desktop" 2>&1) ||
        fail "$report"
    echo "$report"
    if grep -E 'error:|warning:' <<<"$report"; then fail "desktop entry"; fi
}

metainfo() {
    local file=$1/root/usr/share/metainfo/$id.metainfo.xml
    appstreamcli validate --no-net "$file" || fail "metainfo"
    grep -q "<release version=\"$2\"" "$file" || fail "metainfo release is not $2"
}

# Every program answers --help on standard output, and `man PROGRAM` shows its page, which
# names the program and every option --help lists.
manuals() {
    local root=$1/root program help page text option
    for program in "${programs[@]}"; do
        help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
            timeout 30 "$root/usr/bin/$program" --help 2>/dev/null) ||
            fail "$program --help did not end with status 0"
        [[ "$help" == "Usage: "* ]] || fail "$program --help: $help"
        page=$(MANPATH=$root/usr/share/man man -w "$program") || fail "man finds no $program"
        [ "$page" = "$root/usr/share/man/man1/$program.1.gz" ] || fail "man found $page"
        text=$(MANPATH=$root/usr/share/man MANWIDTH=100 man -P cat "$program" 2>/dev/null)
        sed -n 1,12p <<<"$text"
        grep -qE "^ +$program - " <<<"$text" || fail "the page's NAME is not $program"
        for option in $(grep -oE '(^|[ ,])--[a-z-]+' <<<"$help" | tr -d ' ,' | sort -u); do
            grep -qF -- "$option" <<<"$text" || fail "man $program does not mention $option"
        done
    done
}

# The unpacked programs: the tool shows its window against a private print server whose
# queue prints to the packaged virtual printer, and quits cleanly; it looks for the driver file
# next to its own executable, naming the full path when the file is missing; the virtual
# printer starts and stops.
start() {
    local prog size err
    # Global: the clean-up below runs at exit, after this function's locals are gone.
    root=$(realpath "$1/root")
    prog=$root/usr/bin/trevalune
    tmp=$(mktemp -d)
    server_script=$(dirname "$(realpath "$0")")/../../scripts/lib/print-server.sh
    trap '"$server_script" stop "$tmp/server" || true; rm -rf "$tmp"; rm -f "$root/usr/bin/file.prn"' EXIT
    mkdir -m 700 "$tmp/run"
    # No display and no user settings of the machine: the default printer the window sets goes
    # to HOME (a user) or CUPS_SERVERROOT (root).
    unset DISPLAY WAYLAND_DISPLAY LPDEST PRINTER
    export QT_QPA_PLATFORM=offscreen HOME=$tmp XDG_RUNTIME_DIR=$tmp/run CUPS_SERVERROOT=$tmp
    VIRTUAL_PRINTER=$root/usr/bin/trevalune-virtual-printer "$server_script" start "$tmp/server" \
        2>"$tmp/server.log" || { cat "$tmp/server.log" >&2; fail "no private print server"; }
    CUPS_SERVER=$(sed -n 's/^CUPS_SERVER=//p' "$tmp/server/env")
    export CUPS_SERVER

    timeout 30 "$prog" --screenshot "$tmp/window.png" 2>"$tmp/err" ||
        { cat "$tmp/err" >&2; fail "the program did not end cleanly"; }
    err=$(cat "$tmp/err")
    [ -z "$err" ] || fail "the program complained: $err"
    # PNG header: width and height, big-endian, at bytes 16 to 23; the window's design size,
    # wider only by what the captions of its top part need in this system's fonts.
    size=$(od -An -tu1 -j16 -N8 "$tmp/window.png" |
        awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    width=${size%x*}
    [ "${size#*x}" = 169 ] && [ "$width" -ge 454 ] && [ "$width" -le 499 ] ||
        fail "window picture is $size, not 454 (up to 499 for wider fonts) x 169"

    # Without a print server the one complaint names it: a message box when someone watches,
    # a line on standard error in this unattended run (a box would wait forever).
    CUPS_SERVER=$tmp/no-server.sock timeout 30 "$prog" --screenshot "$tmp/alone.png" 2>"$tmp/err" ||
        { cat "$tmp/err" >&2; fail "without a server the program did not end cleanly"; }
    err=$(cat "$tmp/err")
    [ "$err" = "Trevalune: No print server answers at $tmp/no-server.sock, so no printer can be listed." ] ||
        fail "without a server the program said: $err"

    # The program's version, then the build the window's title line names.
    [ "$(timeout 30 "$prog" --version)" = "$(printf 'Trevalune %s\nKorvel  V20170609 V1.0' "$2")" ] ||
        fail "--version"

    local expected="$root/usr/bin/file.prn"
    local said rc=0
    # Without any display: the check needs no window.
    said=$(timeout 30 env -u QT_QPA_PLATFORM "$prog" --driver-file) || rc=$?
    echo "$said"
    [ $rc -eq 1 ] || fail "a missing driver file gave status $rc"
    [[ "$said" == *"$expected"* ]] || fail "the message does not name $expected: $said"

    printf 'driver\r\n' >"$expected"
    said=$(timeout 30 "$prog" --driver-file) || fail "driver file present, yet: $said"
    [ "$said" = "$expected: 8 bytes" ] || fail "present driver file: $said"

    # The packaged virtual printer listens, and stops cleanly on SIGTERM.
    local line pid
    coproc printer { exec "$root/usr/bin/trevalune-virtual-printer" --port 0 --out "$tmp/documents"; }
    pid=$printer_PID
    read -r -t 10 line <&"${printer[0]}" || fail "the virtual printer did not start"
    [[ "$line" == "listening on 127.0.0.1:"* ]] || fail "virtual printer said: $line"
    kill -TERM "$pid"
    wait "$pid" || fail "the virtual printer did not stop cleanly"
}

command=$1
shift
case "$command" in
build | info | contents | desktop_entry | metainfo | manuals | start) "$command" "$@" ;;
*) fail "unknown check $command" ;;
esac
