#!/usr/bin/env bash
# The manual pages name exactly the options that the programs' own option
# tables (their --help) hold, and each program prints the project's version.
#   tst_manuali.sh BIN-FOLDER MAN-FOLDER VERSION
set -uo pipefail
BIN=$1 MAN=$2 VERSION=$3
fail=0
for program in gascal gascal-cli ecusim; do
  help=$(QT_QPA_PLATFORM=offscreen "$BIN/$program" --help) || { echo "$program --help failed"; fail=1; continue; }
  from_help=$(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
  from_man=$(sed 's/\\-/-/g' "$MAN/$program.1" | grep -oE -- '--[a-z][a-z-]*' | sort -u)
  missing=$(comm -23 <(echo "$from_help") <(echo "$from_man"))
  extra=$(comm -13 <(echo "$from_help") <(echo "$from_man"))
  [ -z "$missing" ] || { echo "$program.1 lacks: $missing"; fail=1; }
  [ -z "$extra" ] || { echo "$program.1 names options $program does not have: $extra"; fail=1; }
  got=$("$BIN/$program" --version)
  [ "$got" = "$program $VERSION" ] || { echo "$program --version: '$got', not '$program $VERSION'"; fail=1; }
done
got=$("$BIN/PrjCom" --version </dev/null)
[ "$got" = "PrjCom $VERSION" ] || { echo "PrjCom --version: '$got'"; fail=1; }
exit $fail
