#!/usr/bin/env bash
# The Debian package as built: its file list and dependencies, lintian, the
# desktop validators, every program it holds, and the installed layout started
# by a user who may not write the program folder.
#   tst_pacchetto.sh BUILD-FOLDER VERSION
# Exit 77 (skipped) when there is no up-to-date package or the tools are
# missing: ./test.sh builds it when they are there (.ci/run installs them).
# GASCAL_KEEP=1 keeps the temporary folder (the programs' logs) for a look.
set -uo pipefail
BUILD=$1 VERSION=$2
deb=$(ls "$BUILD"/gascal_"$VERSION"_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ] || [ "$BUILD/bin/gascal" -nt "$deb" ]; then
  echo "no package newer than the programs: cmake --build build --target package"; exit 77
fi
for tool in dpkg-deb lintian desktop-file-validate appstreamcli update-mime-database; do
  command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done

fail=0
bad() { echo "FAIL: $*"; fail=1; }
T=$(mktemp -d /tmp/gascal-pkg.XXXXXX)
chmod 755 "$T"
SIM=
cleanup() { [ -n "$SIM" ] && kill "$SIM" 2>/dev/null; chmod -R u+w "$T" 2>/dev/null; rm -rf "$T"; }
[ -n "${GASCAL_KEEP:-}" ] || trap cleanup EXIT

# --- file list and control fields
list=$(dpkg-deb -c "$deb" | awk '{print $1" "$6}')
for path in ./usr/lib/gascal/gascal ./usr/lib/gascal/gascal-cli ./usr/lib/gascal/PrjCom ./usr/lib/gascal/ecusim \
    ./usr/lib/gascal/SetCom.ini ./usr/lib/gascal/PrjCom.ini ./usr/lib/gascal/map.ini ./usr/lib/gascal/def.xar \
    ./usr/lib/gascal/def_cng.xar ./usr/bin/gascal ./usr/bin/gascal-cli ./usr/bin/ecusim \
    ./usr/share/applications/org.gascal.GasCal.desktop ./usr/share/metainfo/org.gascal.GasCal.metainfo.xml \
    ./usr/share/mime/packages/org.gascal.GasCal.xml ./usr/share/icons/hicolor/scalable/apps/org.gascal.GasCal.svg \
    ./usr/share/icons/hicolor/48x48/apps/org.gascal.GasCal.png ./usr/share/icons/hicolor/256x256/apps/org.gascal.GasCal.png \
    ./usr/share/man/man1/gascal.1.gz ./usr/share/man/man1/gascal-cli.1.gz ./usr/share/man/man1/ecusim.1.gz \
    ./usr/share/gascal/60-gascal-serial.rules ./usr/share/gascal/dict/eng.diz ./usr/share/gascal/dict/thai.diz \
    ./usr/share/doc/gascal/copyright ./usr/share/doc/gascal/changelog.gz ./usr/share/doc/gascal/docs/files.md; do
  grep -q " $path\( ->.*\)\?$" <<<"$list" || bad "the package lacks $path"
done
# Nothing of the build or tests, nothing the system's udev would apply by itself.
grep -qE 'tst_|fakecom|/etc/|rules\.d' <<<"$list" && bad "the package holds files it should not: $(grep -E 'tst_|fakecom|/etc/|rules\.d' <<<"$list")"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6widgets6 libqt6serialport6 libqt6network6 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || bad "Depends lacks $lib: $depends"
done
grep -q -- '-dev' <<<"$depends" && bad "Depends names a -dev package: $depends"
[ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] || bad "package version $(dpkg-deb -f "$deb" Version), not $VERSION"

errors=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep '^E:')
[ -z "$errors" ] || bad "lintian: $errors"

# --- the files themselves
R=$T/root
dpkg-deb -x "$deb" "$R"
desktop-file-validate "$R/usr/share/applications/org.gascal.GasCal.desktop" || bad "desktop-file-validate"
appstreamcli validate --no-net "$R/usr/share/metainfo/org.gascal.GasCal.metainfo.xml" || bad "appstreamcli validate"
cp -r "$R/usr/share/mime" "$T/mime"
update-mime-database "$T/mime" >/dev/null || bad "update-mime-database"
grep -q 'application/x-gascal-map:\*\.var' "$T/mime/globs" || bad "no MIME type for *.var"
zcat "$R/usr/share/doc/gascal/changelog.gz" | head -1 | grep -q "^gascal ($VERSION)" || bad "changelog not of $VERSION"
for program in usr/bin/gascal usr/bin/gascal-cli usr/bin/ecusim usr/lib/gascal/PrjCom; do
  got=$(QT_QPA_PLATFORM=offscreen "$R/$program" --version </dev/null) || bad "$program --version failed"
  [ "$got" = "$(basename $program) $VERSION" ] || bad "$program --version: '$got'"
done

# --- the installed layout, started by a user who cannot write the program folder
PROG=$R/usr/lib/gascal
H=$T/home
mkdir -p "$H"
# The programs run as themselves (no shell in between), so that the one
# started in the background is the process its pid names.
AS=(env -u XDG_DATA_HOME HOME="$H" QT_QPA_PLATFORM=offscreen)
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$H"
  AS=(setpriv --reuid=65534 --regid=65534 --clear-groups -- "${AS[@]}")
fi
as_user() { "${AS[@]}" "$@"; }
chmod 555 "$PROG"
U=$H/.local/share/GasCal
before=$(ls -la "$PROG")

# First start, no ECU: the user folder is seeded, the program folder untouched.
as_user "$R/usr/bin/gascal-cli" info --timeout 1 >"$T/first.log" 2>&1
for f in SetCom.ini PrjCom.ini map.ini def.xar def_cng.xar; do
  cmp -s "$PROG/$f" "$U/$f" || bad "first start: $U/$f is not the shipped one"
done
[ -d "$U/Data" ] || bad "first start: no $U/Data"
[ "$(ls -la "$PROG")" = "$before" ] || bad "the program folder changed"

# A changed setting (the virtual ECU as port 0) holds at the second start:
# only through it is the ECU found.
echo "0=ttyECU" >>"$U/PrjCom.ini"
"${AS[@]}" "$R/usr/bin/ecusim" --link "$U/ttyECU" >"$T/sim.log" 2>&1 &
SIM=$!
for _ in $(seq 100); do grep -q ready "$T/sim.log" && break; sleep 0.1; done
as_user "$R/usr/bin/gascal-cli" info --timeout 20 >"$T/second.log" 2>&1 || bad "second start: no ECU through the changed PrjCom.ini: $(cat "$T/second.log")"
# A map saved by the program goes to the user's Data/: the backup of a load.
as_user "$R/usr/bin/gascal-cli" save-map "$H/auto.var" --timeout 20 >"$T/save.log" 2>&1 || bad "save-map: $(cat "$T/save.log")"
as_user "$R/usr/bin/gascal-cli" load-map "$H/auto.var" --timeout 20 >"$T/load.log" 2>&1 || bad "load-map: $(cat "$T/load.log")"
ls "$U"/Data/backup/*.var >/dev/null 2>&1 || bad "no backup map in $U/Data/backup"
# The program itself seeds and reads the same folder.
as_user timeout 5 "$R/usr/bin/gascal" >"$T/gui.log" 2>&1
grep -q "ttyECU" "$U/PrjCom.ini" || bad "the program replaced the changed PrjCom.ini"
kill "$SIM" 2>/dev/null; wait "$SIM" 2>/dev/null; SIM=

# A second install, with an update of the shipped PrjCom.ini: nothing of the
# user's is overwritten.
sums() { (cd "$U" && find . -type f ! -path './Data/*' -print0 | sort -z | xargs -0 sha256sum); }
kept=$(sums)
chmod 755 "$PROG"
dpkg-deb -x "$deb" "$R"
echo "; a newer shipped comment" >>"$PROG/PrjCom.ini"
chmod 555 "$PROG"
as_user "$R/usr/bin/gascal-cli" info --timeout 1 >"$T/third.log" 2>&1
[ "$(sums)" = "$kept" ] || bad "a second install changed the user's files: $(diff <(echo "$kept") <(sums))"

[ $fail -eq 0 ] && echo "package $deb: all checks passed"
exit $fail
