# Shared by the tests and benchmarks that play through a real sound server (sourced, not run).

# A private PulseAudio server in $work: its own runtime folder (exported, so the demo, pactl and
# parec find it and no other), a Unix socket only, a mono 44100 Hz null sink "quellbrand_sink"
# as the default; its log in $work/pulse.log. start_pulse sets pulse to its pid and returns once
# it answers; it can be called again after the server has gone.
pulse_setup() {
    export XDG_RUNTIME_DIR=$work/run PULSE_RUNTIME_PATH=$work/run/pulse HOME=$work
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    cat >"$work/default.pa" <<'PA'
load-module module-native-protocol-unix
load-module module-null-sink sink_name=quellbrand_sink rate=44100 channels=1
set-default-sink quellbrand_sink
PA
}
start_pulse() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no -F "$work/default.pa" \
        >>"$work/pulse.log" 2>&1 &
    pulse=$!
    for _ in $(seq 200); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "the sound server did not start"
    cat "$work/pulse.log"
    return 1
}
