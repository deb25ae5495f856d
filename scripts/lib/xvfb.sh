# Sourced by the scripts that need a display. dz_start_xvfb FIRST LAST SIZE starts a private X
# server on the first free display number in FIRST..LAST with a SIZE (WxHxD) screen, exports
# DISPLAY and sets xvfb_pid; the caller stops it (kill "$xvfb_pid") when done. Fails when no
# number is free or the server does not come up.
dz_start_xvfb() {
  local first=$1 last=$2 size=$3 n
  xvfb_pid=
  for n in $(seq "$first" "$last"); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
      Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      break
    fi
  done
  if [[ -z $xvfb_pid ]]; then
    echo "no free display number in $first..$last for Xvfb" >&2
    return 1
  fi
  # Ready when its socket exists (or give up after 10 s).
  local tries
  for tries in $(seq 1 100); do
    if [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]]; then return 0; fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY did not start" >&2
  return 1
}
