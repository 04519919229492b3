# The virtual camera's service in the Wine prefix of WINEPREFIX (Wine's default: ~/.wine), for
# scripts/virtual-camera-install and scripts/virtual-camera-remove (sourced, with `set -eu`).
service=VelmorVirtualCamera
key="HKLM\\System\\CurrentControlSet\\Services\\$service"
prefix=${WINEPREFIX:-$HOME/.wine}
drivers="$prefix/drive_c/windows/system32/drivers"
export WINEDEBUG="${WINEDEBUG:--all}"

quiet() { "$@" </dev/null >/dev/null 2>&1; }
installed() { quiet wine reg query "$key" /v ImagePath; }
# The service's state; nothing when it is not installed. The service manager can be busy for a
# moment (a driver being unloaded): an installed service with no answer is asked again.
state() {
  for _ in $(seq 1 25); do
    s=$(wine sc query "$service" </dev/null 2>/dev/null | sed -n 's/.*STATE *: *[0-9]* *//p' | tr -d '\r ')
    if [ -n "$s" ] || ! installed; then echo "$s"; return; fi
    sleep 0.2
  done
}
wait_for() {
  for _ in $(seq 1 100); do [ "$(state)" = "$1" ] && return 0; sleep 0.1; done
  return 1
}
# A running driver is stopped; a stop ends after the driver's reads have been answered.
stop_driver() {
  [ "$(state)" = "RUNNING" ] || return 0
  quiet wine sc stop "$service" || true
  wait_for STOPPED
}
fail() {
  echo "$(basename "$0"): $* in $prefix" >&2
  wine sc query "$service" </dev/null >&2 2>&1 || true
  exit 1
}
