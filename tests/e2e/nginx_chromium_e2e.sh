#!/usr/bin/env bash
# The status page end to end: written by the program's writer, served by Debian's nginx on a free loopback port, rendered by
# Debian's headless Chromium, which must show the Japanese texts and the escaped address. Usage: nginx_chromium_e2e.sh TST_FILES
set -euo pipefail
PATH=$PATH:/usr/sbin
work=$(mktemp -d)
cleanup() {
  [ -n "${nginx_pid-}" ] && kill "$nginx_pid" 2>/dev/null && timeout 10 tail --pid="$nginx_pid" -f /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
# nginx's workers may run as another user: they must reach the page.
chmod 755 "$work"
mkdir -m 755 "$work/www" "$work/nginx"
SENTROVA_PAGE_DIR="$work/www" "$1" "pageBytes:running, down, not yet probed, markup escaped"

# A port found free can be taken before nginx binds it: try a few.
for attempt in 1 2 3; do
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  cat >"$work/nginx/nginx.conf" <<CONF
master_process off;
pid $work/nginx/nginx.pid;
events { worker_connections 16; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  types { text/html html htm; }
  server { listen 127.0.0.1:$port; root $work/www; }
}
CONF
  # One process, which dies with this script however it ends.
  setpriv --pdeathsig KILL nginx -p "$work/nginx" -e "$work/nginx/error.log" -c "$work/nginx/nginx.conf" -g 'daemon off;' &
  nginx_pid=$!
  timeout 15 bash -c "until (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do
      kill -0 $nginx_pid 2>/dev/null || exit 1; sleep 0.1; done" && break
  nginx_pid=""
done
[ -n "$nginx_pid" ] || { cat "$work/nginx/error.log"; exit 1; }
echo "nginx pid $nginx_pid on 127.0.0.1:$port"

timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$work/profile" --dump-dom "http://127.0.0.1:$port/status.htm" >"$work/dom.html" 2>/dev/null
# The address stays text: its markup never reaches the page's own.
for text in "サーバー監視報告" "IPアドレス" "ステータス" "サーバー稼動中" "サーバーダウン" "<td>&lt;b&gt;x&lt;/b&gt;</td>"; do
  grep -qF -- "$text" "$work/dom.html" && echo "found: $text" || { echo "MISSING: $text"; exit 1; }
done
[ "$(grep -c "<b>" "$work/dom.html")" = 0 ]
