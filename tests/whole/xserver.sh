# Shared by the whole-program tests that need a virtual X server (sourced, not run).

# Starts Xvfb on a free display in the given range and exports DISPLAY; sets xvfb to its pid.
# A display another test took already makes Xvfb exit at once: then the next one is tried.
start_xvfb() {
    local base=$1
    for _ in $(seq 10); do
        display=:$((base + RANDOM % 100))
        Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        export DISPLAY=$display
        for _ in $(seq 100); do
            kill -0 "$xvfb" 2>/dev/null || break
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill -KILL "$xvfb" 2>/dev/null
    done
    return 1
}

# Waits up to thirty seconds (a sanitizer build on a busy machine starts slowly) for the demo's
# window; sets win to its id, or empty.
find_demo_window() {
    win=""
    for _ in $(seq 300); do
        win=$(xdotool search --name "^Quellbrand by Tessaline & Vek$" 2>/dev/null | head -n 1)
        [ -n "$win" ] && return 0
        sleep 0.1
    done
    return 1
}
