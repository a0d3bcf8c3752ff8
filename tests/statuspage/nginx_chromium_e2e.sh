#!/usr/bin/env bash
# The status page end to end: written by the program's writer, served by
# Debian's nginx on a free loopback port, rendered by Debian's headless
# Chromium. The rendered text must show the Japanese texts decoded.
# Usage: nginx_chromium_e2e.sh PATH/TO/write_status_page
set -euo pipefail

writer=$1
work=$(mktemp -d)
nginx_pid=""
cleanup() {
  if [ -n "$nginx_pid" ] && kill -0 "$nginx_pid" 2>/dev/null; then
    kill "$nginx_pid"
    timeout 10 tail --pid="$nginx_pid" -f /dev/null || kill -9 "$nginx_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

for tool in nginx chromium; do
  command -v "$tool" >/dev/null || PATH=$PATH:/usr/sbin
  command -v "$tool" >/dev/null || { echo "$tool is not installed (tools/deps.sh test)"; exit 1; }
done

# nginx's workers may run as another user: they must reach the page.
chmod 755 "$work"
mkdir -m 755 "$work/www" "$work/nginx" "$work/profile"

timeout 30 "$writer" "$work/www" index.html \
  192.168.0.10 80 "サーバー稼動中" \
  mail.example.jp 25 "サーバーダウン" \
  "<b>x</b>" 53 ""
ls -l "$work/www"
[ -r "$work/www/index.html" ] && [ "$(stat -c %a "$work/www/index.html" | cut -c3)" -ge 4 ] \
  || { echo "page not readable by others"; exit 1; }

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start_nginx() {
  local port=$1
  cat >"$work/nginx/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 16; }
http {
  access_log $work/nginx/access.log;
  client_body_temp_path $work/nginx/client_body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  types { text/html html; }
  server {
    listen 127.0.0.1:$port;
    root $work/www;
  }
}
CONF
  nginx -p "$work/nginx" -e "$work/nginx/error.log" -c "$work/nginx/nginx.conf" -g 'daemon off;' &
  nginx_pid=$!
  # Ready when it answers on its port, or failed when it has exited.
  timeout 15 bash -c "until (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do
      kill -0 $nginx_pid 2>/dev/null || exit 1; sleep 0.1; done"
}

# A port found free can be taken before nginx binds it: try a few.
port=""
for attempt in 1 2 3; do
  candidate=$(free_port)
  if start_nginx "$candidate"; then
    port=$candidate
    break
  fi
  cat "$work/nginx/error.log" 2>/dev/null || true
  kill "$nginx_pid" 2>/dev/null || true
  nginx_pid=""
done
[ -n "$port" ] || { echo "nginx did not start"; exit 1; }
echo "nginx pid $nginx_pid on 127.0.0.1:$port"

timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/profile" --dump-dom "http://127.0.0.1:$port/index.html" \
  >"$work/dom.html" 2>"$work/chromium.log" || { cat "$work/chromium.log"; exit 1; }
cat "$work/dom.html"

status=0
for text in "サーバー監視報告" "IPアドレス" "ステータス" "サーバー稼動中" "サーバーダウン" \
            "<td>&lt;b&gt;x&lt;/b&gt;</td>"; do
  if grep -qF -- "$text" "$work/dom.html"; then
    echo "found: $text"
  else
    echo "MISSING: $text"
    status=1
  fi
done
# The address must stay text, never become markup.
if grep -qF "<b>x</b>" "$work/dom.html"; then
  echo "address became markup"
  status=1
fi
exit $status
