#!/usr/bin/env bash
# Runs the session in a home of its own on fresh demo evidence.
# Usage: run-session.sh SESSION_BINARY PLOMERA_EVIDENCE OUT_DIR (under an X server).
set -euo pipefail
session=$1 tool=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out/shots" "$out/evidence"
. "$here/e2e-home.sh"
e2e_home "$out"
PLOMERA_EVIDENCE=$tool bash "$here/../../scripts/make-demo" "$out/evidence" > "$out/make-demo.log" 2>&1
cd "$out/evidence"
PLOMERA_E2E_OUT=$out/shots PLOMERA_E2E_TOOL=$tool "$session"
