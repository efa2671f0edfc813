# Shared by the whole-program tests that need a virtual X server (sourced, not run).

# Starts Xvfb on a display it picks itself (-displayfd: the server takes the first free display
# under its own lock and names it once it accepts connections, so tests running side by side never
# share or stop each other's server). -noreset: by default the server resets whenever its last
# client leaves, and a client connecting during the reset (the demo, right after an xdotool call)
# has its connection dropped. Exports DISPLAY; sets xvfb to its pid. Optional size WxH.
start_xvfb() {
    local size=${1:-640x480}
    local named
    named=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$named" >/dev/null 2>&1 &
    xvfb=$!
    # a loaded machine may take long to start the server; it either names its display or exits
    while kill -0 "$xvfb" 2>/dev/null; do
        if grep -q '^[0-9][0-9]*$' "$named"; then
            display=:$(head -n 1 "$named")
            export DISPLAY=$display
            rm -f "$named"
            return 0
        fi
        sleep 0.1
    done
    rm -f "$named"
    return 1
}

# Waits for the demo's window (a sanitizer build on a busy machine starts slowly) while the demo
# runs; sets win to its id, or empty.
find_demo_window() {
    win=""
    local pid=${1:-}
    for _ in $(seq 1200); do
        win=$(xdotool search --name "^Quellbrand by Tessaline & Vek$" 2>/dev/null | head -n 1)
        [ -n "$win" ] && return 0
        [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && return 1
        sleep 0.1
    done
    return 1
}

# Waits until the process has ended (polling; a loaded machine may take long); 1 if it has not
# within the given number of seconds.
wait_gone() {
    local pid=$1 seconds=$2
    for _ in $(seq $((seconds * 10))); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# Waits until every thread of a process sent SIGSTOP has stopped: the signal is delivered
# asynchronously, and a busy machine may let the process run on for several frames.
wait_stopped() {
    local pid=$1 task state
    for _ in $(seq 600); do
        state=T
        for task in /proc/"$pid"/task/*/stat; do
            case $(sed 's/.*) //' "$task" 2>/dev/null | cut -c1) in
            T | t) ;;
            *) state=running ;;
            esac
        done
        [ "$state" = T ] && return 0
        sleep 0.05
    done
    return 1
}
