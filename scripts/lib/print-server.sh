#!/usr/bin/env bash
# A private CUPS server with a virtual printer, for the end-to-end tests, the benchmark, the
# demo and the Windows scripts. Nothing of the machine's own printing system is touched.
#
#   print-server.sh start STATE_DIR   start cupsd and the virtual printer, create the queues
#                                     RZ7-virtual (socket -> virtual printer) and Office1
#                                     (file:/dev/null), write STATE_DIR/env
#   print-server.sh stop STATE_DIR    stop exactly the processes that start started
#
# STATE_DIR/env holds KEY=VALUE lines (CUPS_SERVER, PRINTER_OUTPUT, the pids and ports);
# shell scripts can source it. The virtual printer binary is $VIRTUAL_PRINTER, or the one in
# the default build folder. TREVALUNE_CUPS_PORT, when set, is the port cupsd tries first.
# VIRTUAL_PRINTER_PREVIEW=DIR, when set, makes the virtual printer draw its pages into DIR;
# VIRTUAL_PRINTER_BEST=HS,HD,SHD gives it the best alignment values it draws with (--best).
# VIRTUAL_PRINTER=none starts no virtual printer: RZ7-virtual then points at a free port
# (VIRTUAL_PRINTER_PORT in the state file) where the caller listens itself.
# TREVALUNE_CUPS_MAX_REQUEST_SIZE (for example 1m) makes cupsd refuse larger documents.
# TREVALUNE_CUPS_LOGIN=USER:PASSWORD makes cupsd ask for that login (Basic) before it creates
# a job; PAM checks it through pam_wrapper's pam_matrix (package libpam-wrapper), so no system
# account is needed or touched. Queue administration and lpstat still need none.
#
# Readiness is asked, never read from a file another process may not have written yet: the
# kernel's table of listening sockets for the virtual printer, lpstat -r for cupsd. Whatever
# fails, start stops what it started before it exits.
set -euo pipefail

usage() {
    echo "usage: $0 start|stop STATE_DIR" >&2
    exit 2
}
[ $# -eq 2 ] || usage
action=$1
state_dir=$2
env_file=$state_dir/env
repo=$(cd "$(dirname "$0")/../.." && pwd)
: "${VIRTUAL_PRINTER:=$repo/build/tools/virtual-printer/trevalune-virtual-printer}"

log() { echo "print-server: $*" >&2; }

# The value of KEY in the state file, empty when it is missing.
state_value() {
    [ -f "$env_file" ] || return 0
    sed -n "s/^$1=//p" "$env_file" | tail -n 1
}

# True when PID is alive and its command line contains TEXT (a reused pid is left alone).
is_ours() {
    local pid=$1 text=$2
    [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] || return 1
    grep -qF -- "$text" <<<"$(tr '\0' ' ' <"/proc/$pid/cmdline")"
}

stop_pid() {
    local pid=$1 text=$2 name=$3
    is_ours "$pid" "$text" || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        is_ours "$pid" "$text" || return 0
        # A stopped child of ours may linger as a zombie until we exit: that counts as gone.
        [ "$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$pid/status" 2>/dev/null)" = Z ] && return 0
        sleep 0.1
    done
    log "$name ($pid) did not stop after 5 s, killing it"
    kill -KILL "$pid" 2>/dev/null || true
}

stop() {
    [ -f "$env_file" ] || return 0
    local cups_dir cupsd_pid printer_pid output
    cups_dir=$(state_value CUPS_DIR)
    cupsd_pid=$(state_value CUPSD_PID)
    printer_pid=$(state_value VIRTUAL_PRINTER_PID)
    [ -n "$cups_dir" ] && stop_pid "$cupsd_pid" "$cups_dir/cupsd.conf" cupsd
    output=$(state_value PRINTER_OUTPUT)
    [ -n "$output" ] && stop_pid "$printer_pid" "--out $output" "virtual printer"
    # The server's folder goes; the recorded documents stay for a look afterwards.
    if [ -n "$cups_dir" ] && [ -f "$cups_dir/cupsd.conf" ]; then rm -rf "$cups_dir"; fi
    rm -f "$env_file"
}

# True when some socket already uses the local TCP port (IPv4 or IPv6).
port_in_use() {
    local hex
    hex=$(printf ':%04X' "$1")
    awk -v p="$hex" 'NR > 1 && substr($2, length($2) - 4) == p { found = 1 } END { exit !found }' \
        /proc/net/tcp /proc/net/tcp6 2>/dev/null
}

# True when some process listens on the local TCP port (state 0A in the kernel's table).
port_listening() {
    local hex
    hex=$(printf ':%04X' "$1")
    awk -v p="$hex" 'NR > 1 && substr($2, length($2) - 4) == p && $4 == "0A" { found = 1 }
        END { exit !found }' /proc/net/tcp /proc/net/tcp6 2>/dev/null
}

pick_port() {
    local port
    for _ in $(seq 100); do
        port=$((20000 + RANDOM % 40000))
        port_in_use "$port" || { echo "$port"; return 0; }
    done
    log "no free port found"
    return 1
}

# With TREVALUNE_CUPS_LOGIN: the jobs' operations need a valid login.
login_limit() {
    [ -n "${TREVALUNE_CUPS_LOGIN:-}" ] || return 0
    cat <<LIMIT
  <Limit Create-Job Print-Job Print-URI Send-Document Validate-Job>
    AuthType Basic
    Require valid-user
    Order Deny,Allow
  </Limit>
LIMIT
}

# With TREVALUNE_CUPS_LOGIN: cupsd's PAM service "cups" as pam_matrix, whose password file
# holds the one login; prints the environment cupsd runs with.
login_environment() {
    local dir=$1 wrapper matrix
    [ -n "${TREVALUNE_CUPS_LOGIN:-}" ] || return 0
    wrapper=$(ls /usr/lib/*/libpam_wrapper.so /usr/lib/libpam_wrapper.so 2>/dev/null | head -n 1 || true)
    matrix=$(dirname "${wrapper:-/none}")/pam_wrapper/pam_matrix.so
    [ -n "$wrapper" ] && [ -f "$matrix" ] || { log "libpam-wrapper is missing (scripts/setup installs it)"; return 1; }
    mkdir -p "$dir/pam"
    echo "${TREVALUNE_CUPS_LOGIN}:cups" >"$dir/pam/passdb"
    printf '%s\n' "auth required $matrix passdb=$dir/pam/passdb" \
        "account required $matrix passdb=$dir/pam/passdb" >"$dir/pam/cups"
    echo "LD_PRELOAD=$wrapper PAM_WRAPPER=1 PAM_WRAPPER_SERVICE_DIR=$dir/pam"
}

write_config() {
    local dir=$1 port=$2 user group
    if [ "$(id -u)" -eq 0 ]; then
        # cupsd refuses to run filters and backends as root.
        user=lp
        group=lp
    else
        user=$(id -un)
        group=$(id -gn)
    fi
    cat >"$dir/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
Listen $dir/cups.sock
Browsing Off
WebInterface No
DefaultAuthType $([ -n "${TREVALUNE_CUPS_LOGIN:-}" ] && echo Basic || echo None)
MaxJobs 0
PreserveJobHistory Yes
LogLevel warn
# One line per finished job, its id and its name: the Windows backend test reads it.
PageLogFormat %j %{job-name}
${TREVALUNE_CUPS_MAX_REQUEST_SIZE:+MaxRequestSize $TREVALUNE_CUPS_MAX_REQUEST_SIZE}
<Location />
  Order Allow,Deny
  Allow 127.0.0.1
</Location>
<Policy default>
$(login_limit)
  <Limit All>
    Order Deny,Allow
  </Limit>
</Policy>
CONF
    cat >"$dir/cups-files.conf" <<CONF
FileDevice Yes
# A throwaway server: no fsync after every spool and state file.
SyncOnClose No
ServerRoot $dir
RequestRoot $dir/spool
TempDir $dir/spool
CacheDir $dir/cache
StateDir $dir/run
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User $user
Group $group
CONF
    mkdir -p "$dir/spool" "$dir/cache" "$dir/run" "$dir/log"
    if [ "$(id -u)" -eq 0 ]; then
        # Backends run as lp and open the spooled files below this folder.
        chmod 0755 "$dir"
        chown "$user:$group" "$dir/spool" "$dir/cache" "$dir/run" "$dir/log"
    fi
}

# Waits until cupsd answers, on its own socket first, then on PORT; 15 s at most. Fails when
# cupsd died or could not take PORT (it then keeps running on the socket alone, and asking
# PORT would reach whichever program holds it).
wait_for_scheduler() {
    local dir=$1 port=$2 pid=$3
    for _ in $(seq 150); do
        kill -0 "$pid" 2>/dev/null || return 1
        grep -q 'Unable to open listen socket' "$dir/log/error_log" 2>/dev/null && return 1
        if timeout 5 lpstat -h "$dir/cups.sock" -r 2>/dev/null | grep -q 'is running'; then
            grep -q 'Unable to open listen socket' "$dir/log/error_log" 2>/dev/null && return 1
            timeout 5 lpstat -h "127.0.0.1:$port" -r 2>/dev/null | grep -q 'is running' && return 0
        fi
        sleep 0.1
    done
    return 1
}

# Starts the virtual printer on a free port and waits until the kernel lists it as listening;
# prints "PID PORT". A port taken meanwhile makes it exit: another port is tried.
start_virtual_printer() {
    local dir=$1 output=$2 port pid
    local options=()
    [ -n "${VIRTUAL_PRINTER_PREVIEW:-}" ] && options+=(--preview "$VIRTUAL_PRINTER_PREVIEW")
    [ -n "${VIRTUAL_PRINTER_BEST:-}" ] && options+=(--best "$VIRTUAL_PRINTER_BEST")
    for _ in 1 2 3 4 5; do
        port=$(pick_port) || return 1
        "$VIRTUAL_PRINTER" --port "$port" --out "$output" "${options[@]}" \
            </dev/null >/dev/null 2>>"$dir/virtual-printer.log" &
        pid=$!
        for _ in $(seq 200); do
            if port_listening "$port" && kill -0 "$pid" 2>/dev/null; then
                echo "$pid $port"
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    log "the virtual printer did not start:"
    cat "$dir/virtual-printer.log" >&2 2>/dev/null || true
    return 1
}

# What start has started so far, stopped when it fails anywhere.
started_pids=()
started_dir=
abandon_start() {
    local pid
    for pid in "${started_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    [ -n "$started_dir" ] && rm -rf "$started_dir"
    rm -f "$env_file"
}

start() {
    if [ "$VIRTUAL_PRINTER" != none ] && [ ! -x "$VIRTUAL_PRINTER" ]; then
        log "virtual printer not found at $VIRTUAL_PRINTER (build it first)"
        exit 1
    fi
    command -v cupsd >/dev/null || PATH=$PATH:/usr/sbin:/sbin
    for tool in cupsd lpadmin lpstat; do
        command -v "$tool" >/dev/null || { log "$tool is missing (scripts/setup installs it)"; exit 1; }
    done

    # Leftovers of an earlier run that was not stopped.
    stop
    mkdir -p "$state_dir"
    trap 'abandon_start' EXIT
    # Interrupted too: exiting through the trap above stops what was started.
    trap 'exit 130' INT TERM HUP
    local dir
    # Under /tmp whatever TMPDIR says: backends running as lp must reach the spool folder,
    # and the socket path must stay short.
    dir=$(mktemp -d /tmp/trevalune-cups.XXXXXX)
    started_dir=$dir

    local output printer_pid= printer_port
    output=$(cd "$state_dir" && pwd)/printer-output
    mkdir -p "$output"
    if [ "$VIRTUAL_PRINTER" = none ]; then
        printer_port=$(pick_port)
    else
        local started
        started=$(start_virtual_printer "$dir" "$output")
        printer_pid=${started% *}
        printer_port=${started#* }
        started_pids+=("$printer_pid")
    fi

    # cupsd needs its port in the configuration: pick a free one, retry if it was taken meanwhile.
    local port cupsd_pid cupsd_env up=
    for attempt in 1 2 3 4 5; do
        if [ "$attempt" -eq 1 ] && [ -n "${TREVALUNE_CUPS_PORT:-}" ]; then
            port=$TREVALUNE_CUPS_PORT
        else
            port=$(pick_port)
        fi
        write_config "$dir" "$port"
        cupsd_env=$(login_environment "$dir")
        rm -f "$dir/log/error_log"
        env $cupsd_env cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
            </dev/null >"$dir/log/cupsd.out" 2>&1 &
        cupsd_pid=$!
        started_pids+=("$cupsd_pid")
        if wait_for_scheduler "$dir" "$port" "$cupsd_pid"; then
            up=1
            break
        fi
        log "cupsd did not come up on port $port (attempt $attempt)"
        kill "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
    done
    if [ -z "$up" ]; then
        cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
        exit 1
    fi

    export CUPS_SERVER=127.0.0.1:$port
    # Raw queues (no driver): CUPS warns that they are deprecated; they are what we need.
    timeout 30 lpadmin -p RZ7-virtual -E -v "socket://127.0.0.1:$printer_port" 2>&1 |
        { grep -v -i deprecat >&2 || true; }
    timeout 30 lpadmin -p Office1 -E -v file:/dev/null 2>&1 | { grep -v -i deprecat >&2 || true; }
    local queues
    queues=$(timeout 30 lpstat -a 2>/dev/null | awk '{print $1}' | sort | tr '\n' ' ')
    if [ "$queues" != "Office1 RZ7-virtual " ]; then
        log "queues were not created (found: $queues)"
        exit 1
    fi

    {
        echo "CUPS_SERVER=127.0.0.1:$port"
        echo "CUPS_PORT=$port"
        echo "CUPS_SOCKET=$dir/cups.sock"
        echo "CUPS_DIR=$dir"
        echo "CUPSD_PID=$cupsd_pid"
        echo "VIRTUAL_PRINTER_PID=$printer_pid"
        echo "VIRTUAL_PRINTER_PORT=$printer_port"
        echo "PRINTER_OUTPUT=$output"
        echo "VIRTUAL_QUEUE=RZ7-virtual"
        echo "FILE_QUEUE=Office1"
    } >"$env_file.tmp"
    mv "$env_file.tmp" "$env_file"  # from here on, stop finds everything
    trap - EXIT INT TERM HUP
    log "cupsd on 127.0.0.1:$port (pid $cupsd_pid), RZ7-virtual to 127.0.0.1:$printer_port${printer_pid:+ (virtual printer, pid $printer_pid)}"
    log "documents go to $output"
}

case $action in
start) start ;;
stop) stop ;;
*) usage ;;
esac
