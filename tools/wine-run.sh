#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: CTest's emulator there.
#   wine-run.sh PROGRAM.exe [ARGS...]
# The prefix is made once however many tests start. QtTest's output reaches no
# pipe under Wine: "-o FILE,txt" is printed once the test ends, with Unix line
# ends. Wine passes no QT_* variable: the set-up's WINEQT_* reach it as QT_*.
set -u
wine=${SCP_WINE:-/usr/lib/wine/wine64}
: "${WINEPREFIX:?WINEPREFIX is not set}"
# No Mono or Gecko to ask for, and no menu entries of Wine's on this machine.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}

# A prefix's files appear while wineboot is still at work, and a program
# started then may fail to start its own ("Internal error"): the tests wait
# for a mark made once wineboot and the programs it started have ended.
made=$WINEPREFIX/.made
if [[ ! -f $made ]]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [[ ! -f $made ]]; then
            "$wine" wineboot --init >/dev/null 2>&1
            "$(dirname "$wine")/wineserver" -w
            touch "$made"
        fi
    ) 9>"$WINEPREFIX.lock"
fi

out=
args=("$@")
for ((i = 1; i < ${#args[@]}; i++)); do
    [[ ${args[i - 1]} == -o && ${args[i]} == *,txt ]] && out=${args[i]%,txt}
done
[[ -n $out ]] && rm -f "$out"
# Wine's server and services outlive the program and inherit its output, which
# could hold CTest's pipe open: the program writes to a file, printed at its end.
said=$(mktemp)
"$wine" "$@" </dev/null >"$said" 2>&1 &
program=$!
# Wine now and then leaves a test hanging in its exit after QtTest's totals
# (docs/testing.md says what is known): one whose log has said them and not
# changed for 30 seconds is ended, judged by them.
hung=
while kill -0 "$program" 2>/dev/null; do
    sleep 0.2
    [[ -n $out && -f $out ]] && grep -q '^Totals: ' "$out" &&
        (($(date +%s) - $(stat -c %Y "$out") >= 30)) || continue
    kill -KILL "$program" 2>/dev/null
    hung=1
    break
done
wait "$program" 2>/dev/null # not "Killed" from the shell
status=$?
if [[ -n $hung ]]; then
    echo "wine-run.sh: the program had not ended 30 s after its totals; ended here"
    grep -qE '^Totals: .*, 0 failed,' "$out" && status=0 || status=1
fi
tr -d '\r' <"$said"
rm -f "$said"
[[ -n $out && -f $out ]] && tr -d '\r' <"$out"
exit $status
