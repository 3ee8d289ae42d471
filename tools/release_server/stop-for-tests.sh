#!/usr/bin/env bash
# Stops the release server that start-for-tests.sh started, by its process id.
state=${1:?usage: stop-for-tests.sh STATE_DIR}
[ -f "$state/pid" ] || exit 0
pid=$(cat "$state/pid")
if kill -TERM "$pid" 2>/dev/null; then
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
fi
rm -f "$state/pid"
exit 0
