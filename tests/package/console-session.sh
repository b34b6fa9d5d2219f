# shellcheck shell=bash
# What the package tests share, sourced: a virtual X server, the packaged device stand-in, and the
# console used as a technician uses it. The sourcing script sets work (its temporary folder) and
# console_log (where the console's output goes), and keeps the processes to end in the array pids.

end_processes() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}

fail() {
  echo "$(basename "$0"): FAILED: $*" >&2
  [ ! -f "${console_log:-}" ] || sed 's/^/console: /' "$console_log" >&2
  if [ -n "${DISPLAY:-}" ]; then
    for window in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      echo "open window: $(xdotool getwindowname "$window")" >&2
    done
  fi
  exit 1
}

# Starts a virtual X server on a display no one uses and exports DISPLAY once it takes clients.
start_display() {
  local number=$work/display tenth
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  pids+=("$!")
  for ((tenth = 0; tenth < 100; tenth++)); do
    [ ! -s "$number" ] || break
    sleep 0.1
  done
  [ -s "$number" ] || fail "the virtual X server did not start in 10 s"
  DISPLAY=:$(<"$number")
  export DISPLAY
}

# Starts the stand-in, the command given, as coprocess SIM (it must have --control) and sets
# standin_tcp to its TCP port. One at a time: stop_standin ends it.
start_standin() {
  local ready
  coproc SIM { exec "$@"; }
  pids+=("$SIM_PID")
  read -r -t 10 ready <&"${SIM[0]}" || fail "the stand-in did not start"
  [[ $ready =~ tcp=([0-9]+) ]] || fail "the stand-in said '$ready'"
  standin_tcp=${BASH_REMATCH[1]}
}

stop_standin() {
  kill "$SIM_PID" 2>/dev/null || true
  wait "$SIM_PID" 2>/dev/null || true
}

# Waits until the stand-in has heard the console (its process id) over link (serial or tcp).
wait_until_heard() {
  local console=$1 link=$2 second answer
  for ((second = 0; second < 20; second++)); do
    sleep 1
    kill -0 "$console" 2>/dev/null || fail "the console ended on its own"
    echo requests >&"${SIM[1]}"
    read -r -t 5 answer <&"${SIM[0]}" || fail "the stand-in does not answer"
    [[ $answer =~ $link=[1-9] ]] && return 0
  done
  fail "the console did not talk to the stand-in over $link in 20 s"
}

# Once the console has heard the device, its main window stays the only one shown: the firmware
# check that follows the identification asks nothing, and nothing is reported about the device.
no_question_asked() {
  local windows
  sleep 2
  windows=$(xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l)
  [ "$windows" -eq 1 ] && xdotool search --onlyvisible --name '^Varix Configuration Console$' >/dev/null ||
    fail "the console shows more than its main window"
}

# Closes the console (its process id) through File > Exit, the menu's last entry, as a technician
# closes it, so that it stores its window's place.
exit_through_menu() {
  local console=$1 window tenth
  window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Varix Configuration Console$' | awk 'NR == 1') ||
    fail "the console shows no main window"
  timeout 10 xdotool windowfocus --sync "$window" key alt+f sleep 0.5 key Up sleep 0.2 key Return ||
    fail "File > Exit could not be chosen"
  for ((tenth = 0; tenth < 100; tenth++)); do
    kill -0 "$console" 2>/dev/null || return 0
    sleep 0.1
  done
  fail "the console did not close through File > Exit in 10 s"
}
