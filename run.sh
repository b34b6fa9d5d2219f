#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the console.
#
#   ./run.sh            the console against the device stand-in, in the folder demo/
#   ./run.sh --device   the console on its own, for a real device (settings in Tools > Options)
set -euo pipefail
cd "$(dirname "$0")"

# The console is a desktop program: without a graphical session Qt could only end it with a
# message about reinstalling. Say what is missing before anything is built.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'EOF'
run.sh: the console needs a graphical session, and neither DISPLAY nor WAYLAND_DISPLAY is set.
Start it from a desktop session (or over ssh -X), or under a virtual X server, where it runs
unseen:
    xvfb-run -a ./run.sh          (apt-get install xvfb)
scripts/screenshot takes a picture of the demo that way.
EOF
  exit 1
fi

scripts/release-build
build=build/release

if [ "${1:-}" = "--device" ]; then
  exec "$build/src/app/varix-console"
fi
echo "demo device passwords: administrator \"admin\", super-user \"super\""
exec scripts/demo "$build"
