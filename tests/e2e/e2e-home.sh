# Sourced by the end-to-end scripts: a home of their own under $1 with the player's log on and
# no map server reachable, the demo's time zone, and the real X server rather than offscreen.
e2e_home() {
  local out=$1
  mkdir -p "$out/home/.config/Quorvane"
  printf '[General]\nLogFlags=1\nMapTileServer=http://127.0.0.1:1/\nMapAvailabilityCheckUrl=http://127.0.0.1:1/\n' \
    > "$out/home/.config/Quorvane/Plomera.conf"
  export HOME=$out/home XDG_CONFIG_HOME=$out/home/.config XDG_CACHE_HOME=$out/home/.cache TZ=Europe/London
  unset QT_QPA_PLATFORM
}
