#!/usr/bin/env bash
# The demo as a proxy: avexhost.exe under Wine serves as an HTTP proxy with
# the demo's configuration (alice, a pupil, is filtered; bob is not), in
# front of a web server on 127.0.0.1 with the demo's pages. Prints what to
# paste into a shell and a browser; Ctrl+C stops both.
set -euo pipefail
stage="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$stage/install"
rm -rf traffic stop
cp -r "$here/../tests/demo" traffic
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
proxy_port=8080
python3 -c 'import socket; socket.socket().bind(("127.0.0.1", 8080))' 2>/dev/null || proxy_port="$(free_port)"
pages_port="$(free_port)"
python3 -m http.server "$pages_port" --bind 127.0.0.1 --directory traffic/pages >/dev/null 2>&1 &
server=$!
"$here/wine-run" avexhost.exe proxy --listen "127.0.0.1:$proxy_port" --settings 'traffic\settings.reg' \
  --users 'traffic\users.txt' --user alice --stop-file stop </dev/null 2>&1 | tr -d '\r' &
proxy=$!
stop() {
  touch stop
  wait "$proxy" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
}
trap stop EXIT
trap 'exit 0' INT TERM
for _ in $(seq 300); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $proxy_port), 0.2).close()" 2>/dev/null && break
  sleep 0.2
done
pages="http://127.0.0.1:$pages_port"
cat <<TEXT

== avexhost proxy on 127.0.0.1:$proxy_port filters through AVex.dll as user alice (a pupil);
== the demo's pages are served on $pages. Paste one of these (Ctrl+C here stops the proxy):

  curl -i -x http://127.0.0.1:$proxy_port $pages/poker-night.html      (403 block page; add -U bob: to pass as bob)
  chromium --proxy-server=http://127.0.0.1:$proxy_port --proxy-bypass-list='<-loopback>' $pages/library.html

   (any browser: HTTP proxy 127.0.0.1 port $proxy_port, with no exception for 127.0.0.1)

TEXT
wait "$proxy"
