# Shared by the kernel stages (sourced, not run): their failures and start time, and the runs'
# folder.
failed=0
began=$(date +%s)
fail() { echo "FAILED: $*"; failed=1; }

# The runs' folder, in $work. QB_VM_KEEP=DIR keeps the runs' files there: a new folder, or one a
# kernel stage made before (it holds the mark below); any other folder is left alone. Otherwise a
# temporary folder, removed on exit.
choose_work_dir() {
    local mark=.quellbrand-kernel-stage
    if [ -n "${QB_VM_KEEP:-}" ]; then
        work=$(realpath -m "$QB_VM_KEEP")
        if [ -e "$work" ] && [ ! -e "$work/$mark" ] && [ -n "$(ls -A "$work" 2>/dev/null)" ]; then
            echo "FAILED: QB_VM_KEEP=$work is a folder this stage did not make; not emptying it"
            exit 1
        fi
        rm -rf "$work" && mkdir -p "$work" && touch "$work/$mark"
    else
        work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
    fi
}

# QB_VM_BOOTS="NAME ..." runs only those boots
wanted() { [ -z "${QB_VM_BOOTS:-}" ] || [[ " $QB_VM_BOOTS " == *" $1 "* ]]; }
