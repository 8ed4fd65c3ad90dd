#!/usr/bin/env bash
# Builds GasCal, starts the virtual ECU and GasCal connected to it.
source "$(dirname "$0")/scripts/common.sh"
gascal_install_packages
# The program, PrjCom, the virtual ECU and the command-line tool; not the tests.
gascal_build gascal PrjCom ecusim gascal-cli programfolder
BIN="$GASCAL_BUILD/bin"
# PrjCom's port 0 is the virtual ECU's pseudo-terminal. Its engine drives a
# demo cycle by itself, and can be driven through its control socket, e.g.:
#   python3 -c 'import socket,sys; s=socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); s.sendall(b"rpm 3000\n"); print(s.recv(200).decode())' build/bin/ecu.ctl
"$BIN/ecusim" --link "$BIN/ttyECU" --control "$BIN/ecu.ctl" --demo > "$BIN/ecusim.log" 2>&1 &
SIM=$!
trap 'kill $SIM 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q ready "$BIN/ecusim.log" 2>/dev/null && break; sleep 0.1; done
"$BIN/gascal" "$@"
