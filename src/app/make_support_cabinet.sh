#!/bin/sh
# make_support_cabinet.sh OUT LIBVDL: packs the decoding library and the FFmpeg and crypto
# libraries it links into one MSZIP cabinet, so the player carries what it decodes with.
set -eu
out=$1
vdl=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$vdl" "$work/"
ldd "$vdl" | awk '/=> \// {print $3}' | grep -E 'lib(av|sw|crypto)' | while read -r lib; do
  cp -L "$lib" "$work/"
done
rm -f "$out"
cd "$work"
gcab -c -z -n "$out" ./*
