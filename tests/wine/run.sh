#!/usr/bin/env bash
# Runs a program of the Windows build under Wine: CTest's emulator there.
#   run.sh PROGRAM.exe [ARGS...]
# The Wine prefix (WINEPREFIX) is made on first use, once however many tests
# start together. QtTest's output does not reach a pipe under Wine, so a test
# run with "-o FILE,txt" writes FILE, and it is printed here once the test
# ends, with Unix line ends. Wine hands a program no QT_* variable: the
# tests' set-up names them WINEQT_*, which reach it as QT_*.
set -u
wine=${SCP_WINE:-/usr/lib/wine/wine64}
: "${WINEPREFIX:?WINEPREFIX is not set}"
# No Mono or Gecko to ask for, and no menu entries of Wine's on this machine.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}

if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        [[ -f $WINEPREFIX/system.reg ]] || "$wine" wineboot --init >/dev/null 2>&1
    ) 9>"$WINEPREFIX.lock"
fi

out=
args=("$@")
for ((i = 1; i < ${#args[@]}; i++)); do
    [[ ${args[i - 1]} == -o && ${args[i]} == *,txt ]] && out=${args[i]%,txt}
done
[[ -n $out ]] && rm -f "$out"
# The Wine server and Wine's own services that a program starts outlive it
# and inherit its output: given CTest's pipe, they could hold the test open
# until its timeout. The program writes to a file, printed once it ends.
said=$(mktemp)
"$wine" "$@" </dev/null >"$said" 2>&1 &
program=$!
# Wine now and then leaves a test's program hanging in its exit after QtTest
# has written its totals: its last thread waits on a condition variable of
# the threads library that nothing will signal (tst_picture_entries, whose
# previews are decoded on a thread of their own, does so in most runs). One
# whose log has said its totals and not changed for 30 seconds is ended
# here, and judged by them.
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
    echo "run.sh: the program had not ended 30 s after its totals; ended here"
    grep -qE '^Totals: .*, 0 failed,' "$out" && status=0 || status=1
fi
tr -d '\r' <"$said"
rm -f "$said"
[[ -n $out && -f $out ]] && tr -d '\r' <"$out"
exit $status
