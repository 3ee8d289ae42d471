#!/usr/bin/env bash
# Starts the release server for a test run and returns once it listens.
#   $1  the release_server program    $2  a state folder of this run
# The state folder gets: release/ (served; tests put their files there), port, pid,
# requests.log (one line per request) and server.out.
set -euo pipefail
server=${1:?usage: start-for-tests.sh RELEASE_SERVER STATE_DIR}
state=${2:?usage: start-for-tests.sh RELEASE_SERVER STATE_DIR}
here=$(cd "$(dirname "$0")" && pwd)

"$here/stop-for-tests.sh" "$state"
rm -rf "$state"
mkdir -p "$state/release"
# Detached from our output, or the test runner would wait for the server to end.
"$server" --root "$state/release" --port-file "$state/port" --log "$state/requests.log" \
  </dev/null >"$state/server.out" 2>&1 &
echo $! >"$state/pid"
for _ in $(seq 100); do
  [ -s "$state/port" ] && { echo "release server on 127.0.0.1:$(cat "$state/port"), pid $(cat "$state/pid")"; exit 0; }
  kill -0 "$(cat "$state/pid")" 2>/dev/null || break
  sleep 0.1
done
echo "release server did not start:" >&2
cat "$state/server.out" >&2
exit 1
