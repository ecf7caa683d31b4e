#!/usr/bin/env bash
# Starts scripts/run as on a machine without a display and takes a picture
# through a VNC client: the editor's window must be served, only to this
# machine, and only with the password that the run made and printed.
set -euo pipefail
source_dir=$1
build_dir=$2

work=$(mktemp -d)
run_pid=
stop() {
  if [ -n "$run_pid" ]; then
    kill "$run_pid" 2>/dev/null || true
    wait "$run_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop EXIT
fail() {
  echo "FAIL: $*" >&2
  echo "--- output of scripts/run:" >&2
  cat "$work/out" "$work/err" >&2 || true
  exit 1
}

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TARVELO_BUILD_DIR="$build_dir" \
  "$source_dir/scripts/run" >"$work/out" 2>"$work/err" &
run_pid=$!

for _ in $(seq 600); do
  grep -q 'Stop with' "$work/out" && break
  kill -0 "$run_pid" 2>/dev/null || fail "scripts/run ended early"
  sleep 0.1
done
grep -q 'Stop with' "$work/out" || fail "no connection instructions after 60 s"
grep -q 'Kein Bildschirm gefunden' "$work/out" || fail "no German instructions"
grep -q 'No display found' "$work/out" || fail "no English instructions"
viewer=$(grep -o 'vncviewer -passwd [^ ]* localhost:[0-9]*' "$work/out" | head -n 1)
[ -n "$viewer" ] || fail "no viewer command with a password file in the instructions"
port=${viewer##*:}
passwd_file=$(echo "$viewer" | cut -d' ' -f3)
[ "$(stat -c '%a %u' "$passwd_file")" = "600 $(id -u)" ] || fail "$passwd_file is not this user's alone"
[ "$(stat -c '%a %u' "$(dirname "$passwd_file")")" = "700 $(id -u)" ] ||
  fail "the folder of $passwd_file is not this user's alone"

# Listening sockets of that port, from the kernel's tables: the loopback
# address only, never every interface.
port_hex=$(printf '%04X' "$port")
addresses=$(awk -v port="$port_hex" '$4 == "0A" && $2 ~ (":" port "$") { sub(":.*", "", $2); print $2 }' \
  /proc/net/tcp /proc/net/tcp6)
[ -n "$addresses" ] || fail "nothing listens on port $port"
for address in $addresses; do
  case $address in
    0100007F | 0000000000000000FFFF00000100007F | 00000000000000000000000001000000) ;;
    *) fail "port $port listens on $address, not on the loopback address" ;;
  esac
done

# vncsnapshot's tight decoder waits forever for the end of an update from
# this server; raw pixels are as fast on one machine.
snapshot() {
  timeout 20 vncsnapshot -quiet -encodings raw "$@" >/dev/null 2>&1
}

# Whoever lacks the password gets no picture.
printf 'wrong\n' | vncpasswd -f >"$work/wrong"
snapshot -passwd "$work/wrong" "localhost:$((port - 5900))" "$work/stolen.jpg" </dev/null &&
  fail "a wrong password was let in"
[ ! -s "$work/stolen.jpg" ] || fail "a wrong password got a picture"
# Nor may it reach the X display behind the VNC server without its key.
XAUTHORITY=/dev/null import -display ":$((port - 5900))" -window root "$work/stolen.png" \
  >/dev/null 2>&1 && fail "the X display let a client in without its key"

# The window is drawn shortly after the server starts.
for _ in $(seq 100); do
  snapshot -passwd "$passwd_file" "localhost:$((port - 5900))" "$work/shot.jpg" || true
  if [ -s "$work/shot.jpg" ]; then
    picture=$(identify -fuzz 10% -format '%w %h %@' "$work/shot.jpg")
    [ "${picture#* * }" = "637x511+193+128" ] && break
  fi
  sleep 0.2
done
[ -s "$work/shot.jpg" ] || fail "vncsnapshot took no picture of localhost:$port"
# The screen, and on it, centred, a window of the editor's size.
[ "$picture" = "1024 768 637x511+193+128" ] || fail "picture shows '$picture'"
colours=$(identify -format '%k' "$work/shot.jpg")
[ "$colours" -gt 64 ] || fail "the window is blank ($colours colours)"
echo "served: $picture, $colours colours"
