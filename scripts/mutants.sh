#!/usr/bin/env bash
# How many faults the tests catch: a fixed sample of small changes
# ("mutants") to the core library, each built alone and run against the
# tests of its folder. A mutant is killed when one of those tests fails or
# runs out of time, survives when they all pass, and is stillborn when it does
# not compile (left out of the share). Run by hand, not by ctest or CI.
#
#   scripts/mutants.sh [--seed N] [--count N] [--build DIR] [--out FILE]
#                      [--only ID,ID...] [--list] [--sites]
#
#   --seed N    which sample (default 1): the same seed on the same src/
#               picks the same mutants, whatever the tests look like
#   --count N   how many mutants (default 40)
#   --build DIR the build folder of its own (default build-mut/)
#   --out FILE  where the report goes (default DIR/mutants.txt)
#   --only IDS  run only these mutants of the sample (M03,M17)
#   --list      print the sample and each folder's tests, build nothing
#   --sites     print every candidate site (scripts/mutants.py says how they
#               are found)
#
# Each mutant is applied to its file in the source tree, built, and the file
# is put back as soon as the build is over, before the tests run; a trap puts
# it back on Ctrl+C or a kill as well, and a run left without its trap
# (kill -9) is repaired by the next start from DIR/mutants/original.
# The tests run one at a time, fastest first, and stop at the first that
# fails; a failure is run a second time and counts only if it fails again
# (the process tests share a loaded machine), a time-out counts at once.
# Each test may take TIME_FACTOR (3) times what it took on the unchanged
# tree, at least MIN_TIMEOUT (30) seconds. Logs: DIR/mutants/<id>.log.
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HELPER="$ROOT/scripts/mutants.py"
SEED=1
COUNT=40
BUILD="$ROOT/build-mut"
OUT=""
ONLY=""
MODE=run
TIME_FACTOR="${TIME_FACTOR:-3}"
MIN_TIMEOUT="${MIN_TIMEOUT:-30}"

while [ $# -gt 0 ]; do
  case "$1" in
    --seed) SEED="$2"; shift 2 ;;
    --count) COUNT="$2"; shift 2 ;;
    --build) BUILD="$(realpath -m "$2")"; shift 2 ;;
    --out) OUT="$(realpath -m "$2")"; shift 2 ;;
    --only) ONLY=",$2,"; shift 2 ;;
    --list) MODE=list; shift ;;
    --sites) MODE=sites; shift ;;
    -h|--help) sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "mutants.sh: unknown option $1 (--help)" >&2; exit 2 ;;
  esac
done
[[ "$SEED" =~ ^[0-9]+$ && "$COUNT" =~ ^[0-9]+$ ]] || { echo "mutants.sh: --seed and --count take numbers" >&2; exit 2; }
OUT="${OUT:-$BUILD/mutants.txt}"
WORK="$BUILD/mutants"

if [ "$MODE" = sites ]; then
  exec python3 "$HELPER" sites "$ROOT"
fi

# Which tests exercise a folder of the core: every test whose own source
# includes one of the folder's headers (found in tests/, so a reshaped suite
# is followed without editing this), and the tests below that reach the
# folder only through a program they start (gascal-cli, the frame) or through
# the in-process bench of tests/common.
declare -A THROUGH_PROGRAMS=(
  [app]='^cli\.tst_(gascalcli|senza_ecu)$|^gui\.tst_frame_|^core\.tst_banco_virtuale$'
  [link]='^cli\.tst_(mappa|gascalcli)$|^gui\.tst_frame_connessione$|^core\.tst_banco_virtuale$'
  [ecu]='^cli\.tst_(mappa|gascalcli)$|^gui\.tst_(frmretta|frame_)'
  [mapfile]='^cli\.tst_(senza_ecu|mappa|gascalcli)$|^gui\.tst_frame_|^core\.tst_banco_virtuale$'
  [interp]='^interp\.'
  [autotune]='^autotune\.|^cli\.tst_gascalcli$|^gui\.tst_frmautotuning$'
  [config]='^cli\.tst_gascalcli$|^gui\.tst_pagine_config$'
  [datalog]='^gui\.tst_(datalog_ecu|frame_comandi|frmbar)$'
  [i18n]='^gui\.tst_lingue_accessibilita$'
)

folder_tests() {  # folder -> "test<TAB>target" lines
  python3 "$HELPER" tests "$BUILD" "$ROOT" "$1" "${THROUGH_PROGRAMS[$1]:-^$}"
}

# ---- the sample --------------------------------------------------------------
mapfile -t SITES < <(python3 "$HELPER" sample "$ROOT" "$SEED" "$COUNT")
[ ${#SITES[@]} -gt 0 ] || { echo "mutants.sh: no mutation sites found" >&2; exit 1; }
declare -a IDS
declare -A FOLDERS_USED
for i in "${!SITES[@]}"; do
  IDS[i]=$(printf 'M%02d' $((i + 1)))
  [ -n "$ONLY" ] && [[ "$ONLY" != *",${IDS[$i]},"* ]] && continue
  IFS=$'\t' read -r f _ <<<"${SITES[$i]}"
  FOLDERS_USED[$(cut -d/ -f2 <<<"$f")]=1
done
[ ${#FOLDERS_USED[@]} -gt 0 ] || { echo "mutants.sh: --only names no mutant of the sample" >&2; exit 2; }

# shellcheck disable=SC2016  # the backquotes are text
describe() {  # kind old new -> the mutation as one short text
  local kind="$1" old="$2" new="$3"
  if [ "$kind" = statement ]; then
    [ ${#old} -gt 48 ] && old="${old:0:45}..."
    printf 'drop `%s`' "$old"
  else
    printf '%s `%s` -> `%s`' "$kind" "$old" "$new"
  fi
}

# ---- the build folder --------------------------------------------------------
mkdir -p "$WORK"
# A run killed without its trap left a mutated file behind: put it back.
if [ -f "$WORK/original.path" ]; then
  echo "Restoring $(cat "$WORK/original.path") left mutated by an earlier run"
  cat "$WORK/original" >"$ROOT/$(cat "$WORK/original.path")"
  rm -f "$WORK/original" "$WORK/original.path"
fi
# A folder already configured is left as it is: the build runs CMake again
# when it must. Put back, a file's object comes from ccache when it is there.
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
  command -v ninja >/dev/null && options+=(-G Ninja)
  command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Most of a mutant's build is linking the tests again: the fastest linker there is.
  for linker in mold lld gold; do
    if command -v "ld.$linker" >/dev/null || command -v "$linker" >/dev/null; then
      options+=("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=$linker"); break
    fi
  done
  cmake -S "$ROOT" -B "$BUILD" "${options[@]}" >"$WORK/configure.log" 2>&1 \
    || { echo "mutants.sh: configuring $BUILD failed: $WORK/configure.log" >&2; exit 1; }
fi

# The tests are listed from the build folder's CTest files: configure again
# first, so that tests added, merged or renamed since the last run are seen.
cmake "$BUILD" >>"$WORK/configure.log" 2>&1 \
  || { echo "mutants.sh: configuring $BUILD again failed: $WORK/configure.log" >&2; exit 1; }
declare -A TESTS TARGETS
for folder in "${!FOLDERS_USED[@]}"; do
  lines=$(folder_tests "$folder") || { echo "mutants.sh: listing the tests failed" >&2; exit 1; }
  TESTS[$folder]=$(cut -f1 <<<"$lines" | tr '\n' ' ')
  TARGETS[$folder]=$(cut -f2 <<<"$lines" | sort -u | tr '\n' ' ')
done

if [ "$MODE" = list ]; then
  for i in "${!SITES[@]}"; do
    [ -n "$ONLY" ] && [[ "$ONLY" != *",${IDS[$i]},"* ]] && continue
    IFS=$'\t' read -r f l c kind old new <<<"${SITES[$i]}"
    printf '%s  %s:%s:%s  %s\n' "${IDS[$i]}" "$f" "$l" "$c" "$(describe "$kind" "$old" "$new")"
  done
  for folder in $(printf '%s\n' "${!FOLDERS_USED[@]}" | sort); do
    printf '\nsrc/%s: %s\n' "$folder" "${TESTS[$folder]}"
  done
  exit 0
fi

# ---- running things so that a signal stops them at once ----------------------
# Job control gives each command its own process group (and keeps SIGINT as
# it is for the tests); timeout passes a signal on to the whole group.
set -m
exec 3>&2   # the terminal, for the trap's word while a command's output is redirected
CHILD=""
MUTATED=""
run_limited() {  # seconds command... -> the command's status, 124 on time-out
  local limit="$1"; shift
  timeout -k 15 "$limit" "$@" &
  CHILD=$!
  wait "$CHILD"
  local rc=$?
  CHILD=""
  return $rc
}
restore() {
  if [ -n "$MUTATED" ]; then
    cat "$WORK/original" >"$ROOT/$MUTATED"   # a new time: the build sees the change
    rm -f "$WORK/original" "$WORK/original.path"
    MUTATED=""
  fi
}
on_signal() {
  trap - INT TERM HUP
  [ -n "$CHILD" ] && kill -TERM "$CHILD" 2>/dev/null && wait "$CHILD" 2>/dev/null
  [ -n "$MUTATED" ] && echo "mutants.sh: stopped; $MUTATED put back" >&3
  restore
  exit 130
}
trap restore EXIT
trap on_signal INT TERM HUP

build_targets() {  # log targets... -> status
  local log="$1"; shift
  run_limited 3600 nice cmake --build "$BUILD" --target "$@" >>"$log" 2>&1
}

run_test() {  # log name seconds -> 0 passed, 1 failed, 124 timed out
  local log="$1" name="$2" limit="$3"
  echo "---- $name (limit ${limit}s)" >>"$log"
  # A name that matches no test (a test renamed since) is a failure, not a pass.
  run_limited "$limit" ctest --test-dir "$BUILD" -R "^${name//./\\.}\$" --no-tests=error --output-on-failure \
    --timeout "$limit" >>"$log" 2>&1
  local rc=$?
  # ctest's own time-out (a test's TIMEOUT may be shorter) reads as a failure.
  if [ $rc -ne 0 ] && [ $rc -ne 124 ] && [ $rc -ne 137 ] \
     && tail -n 30 "$log" | grep -q '\*\*\*Timeout'; then
    rc=124
  fi
  case $rc in 0) return 0 ;; 124|137) return 124 ;; *) return 1 ;; esac
}

# ---- the unchanged tree: it builds, its tests pass, how long each takes ------
ALL_TARGETS=$(printf '%s ' "${TARGETS[@]}" | tr ' ' '\n' | sort -u | tr '\n' ' ')
START=$(date +%s)
echo "Building the unchanged tree in $BUILD ..."
: >"$WORK/baseline.log"
# shellcheck disable=SC2086
build_targets "$WORK/baseline.log" $ALL_TARGETS \
  || { echo "mutants.sh: the unchanged tree does not build: $WORK/baseline.log" >&2; exit 1; }
declare -A LIMIT TOOK
ALL_TESTS=$(printf '%s ' "${TESTS[@]}" | tr ' ' '\n' | sed '/^$/d' | sort -u)
BROKEN=""
echo "Timing the $(wc -w <<<"$ALL_TESTS") tests on the unchanged tree ..."
for t in $ALL_TESTS; do
  ok=""
  for _ in 1 2; do
    t0=$(date +%s.%N)
    if run_test "$WORK/baseline.log" "$t" 1800; then ok=1; break; fi
  done
  took=$(awk -v a="$t0" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  if [ -z "$ok" ]; then
    BROKEN+="$t "
    echo "  $t fails on the unchanged tree: left out (see $WORK/baseline.log)"
    continue
  fi
  TOOK[$t]=$took
  LIMIT[$t]=$(awk -v t="$took" -v f="$TIME_FACTOR" -v m="$MIN_TIMEOUT" \
    'BEGIN { l = int(t * f + 0.5); print (l < m ? m : l) }')
  printf '  %-45s %6.1fs  (limit %ss)\n' "$t" "$took" "${LIMIT[$t]}"
done
BASELINE_SECONDS=$(( $(date +%s) - START ))

ordered_tests() {  # folder -> its tests that pass unchanged, fastest first
  local t
  for t in ${TESTS[$1]}; do
    [ -n "${LIMIT[$t]:-}" ] && printf '%s %s\n' "${TOOK[$t]}" "$t"
  done | sort -n -k1,1 -k2,2 | cut -d' ' -f2
}

# ---- the mutants -------------------------------------------------------------
COMMIT=$(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git -C "$ROOT" status --porcelain -- src 2>/dev/null)" ]; then COMMIT+=" (src/ changed since)"; fi
ROWS=()
SURVIVORS=()
killed=0; survived=0; stillborn=0
printf '\n| id | site | mutation | outcome | first failing test |\n|----|------|----------|---------|--------------------|\n'
for i in "${!SITES[@]}"; do
  id=${IDS[$i]}
  [ -n "$ONLY" ] && [[ "$ONLY" != *",$id,"* ]] && continue
  IFS=$'\t' read -r f l c kind old new <<<"${SITES[$i]}"
  folder=$(cut -d/ -f2 <<<"$f")
  log="$WORK/$id.log"
  : >"$log"
  t0=$(date +%s)
  echo "$id $f:$l:$c $kind '$old' -> '$new'" >>"$log"
  cp "$ROOT/$f" "$WORK/original"
  echo "$f" >"$WORK/original.path"
  MUTATED="$f"
  python3 "$HELPER" apply "$ROOT/$f" "$l" "$c" "$old" "$new" >>"$log" 2>&1 \
    || { restore; echo "mutants.sh: $f changed since the sample was taken" >&2; exit 1; }
  # shellcheck disable=SC2086
  build_targets "$log" ${TARGETS[$folder]}
  built=$?
  restore
  outcome=""; first=""
  if [ $built -ne 0 ]; then
    outcome=stillborn; stillborn=$((stillborn + 1))
  else
    flaky=""
    for t in $(ordered_tests "$folder"); do
      run_test "$log" "$t" "${LIMIT[$t]}"
      rc=$?
      if [ $rc -eq 1 ]; then
        # Once more: a process test can fail on a loaded machine by itself.
        run_test "$log" "$t" "${LIMIT[$t]}"
        rc=$?
        [ $rc -eq 0 ] && { flaky+="$t "; continue; }
      fi
      if [ $rc -ne 0 ]; then
        outcome=killed; first="$t"
        [ $rc -eq 124 ] && first+=" (time-out)"
        break
      fi
    done
    if [ -z "$outcome" ]; then
      outcome=survived; survived=$((survived + 1))
      [ -n "$flaky" ] && first="(failed once, passed again: ${flaky% })"
      SURVIVORS+=("$id $f:$l $(describe "$kind" "$old" "$new")")
    else
      killed=$((killed + 1))
    fi
  fi
  echo "== $outcome ${first} ($(( $(date +%s) - t0 ))s)" >>"$log"
  mutation=$(describe "$kind" "$old" "$new")
  row="| $id | $f:$l | ${mutation//|/\\|} | $outcome | ${first:--} |"   # | would end a cell
  ROWS+=("$row")
  echo "$row"
done

# The build folder's programs as the sources are: none left mutated.
# shellcheck disable=SC2086
build_targets "$WORK/final.log" $ALL_TARGETS >/dev/null 2>&1 || echo "mutants.sh: the final rebuild failed: $WORK/final.log" >&2

TOTAL_SECONDS=$(( $(date +%s) - START ))
judged=$((killed + survived))
share="n/a"
[ $judged -gt 0 ] && share="$(( (killed * 1000 / judged + 5) / 10 ))% ($killed of $judged)"
{
  echo "# Mutants of the core library"
  echo
  echo "command:   scripts/mutants.sh --seed $SEED --count $COUNT${ONLY:+ --only ${ONLY:1:-1}}"
  echo "date:      $(date '+%Y-%m-%d %H:%M')"
  echo "tree:      $COMMIT"
  echo "killed:    $share; survived $survived, stillborn $stillborn"
  echo "time:      $((TOTAL_SECONDS / 60)) min in all, of which $((BASELINE_SECONDS / 60)) min building and timing the unchanged tree"
  [ -n "$BROKEN" ] && echo "left out:  $BROKEN(failing on the unchanged tree)"
  echo
  echo "| id | site | mutation | outcome | first failing test |"
  echo "|----|------|----------|---------|--------------------|"
  printf '%s\n' "${ROWS[@]}"
  echo
  echo "Survivors:"
  if [ ${#SURVIVORS[@]} -eq 0 ]; then echo "  none"; else printf '  %s\n' "${SURVIVORS[@]}"; fi
  echo
  echo "Tests run for each folder, fastest first (seconds on the unchanged tree, limit):"
  for folder in $(printf '%s\n' "${!FOLDERS_USED[@]}" | sort); do
    echo "  src/$folder:"
    for t in $(ordered_tests "$folder"); do printf '    %-45s %6s %5s\n' "$t" "${TOOK[$t]}" "${LIMIT[$t]}"; done
  done
} >"$OUT"
echo
sed -n '3,7p' "$OUT"
echo "Survivors:"
if [ ${#SURVIVORS[@]} -eq 0 ]; then echo "  none"; else printf '  %s\n' "${SURVIVORS[@]}"; fi
echo "Report: $OUT"
