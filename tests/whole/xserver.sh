# Shared by the whole-program tests that need a virtual X server (sourced, not run).

# Starts Xvfb on a free display in the given range and exports DISPLAY; sets xvfb to its pid.
start_xvfb() {
    local base=$1
    display=:$((base + RANDOM % 100))
    Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# Waits up to ten seconds for the demo's window; sets win to its id, or empty.
find_demo_window() {
    win=""
    for _ in $(seq 100); do
        win=$(xdotool search --name "^Quellbrand by Tessaline & Vek$" 2>/dev/null | head -n 1)
        [ -n "$win" ] && return 0
        sleep 0.1
    done
    return 1
}
