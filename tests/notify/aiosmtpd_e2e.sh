#!/usr/bin/env bash
# A failure report against Debian's aiosmtpd on a free loopback port: the mail
# arrives and reads back correctly; once the server is stopped, the next
# report is logged as failed. Usage: aiosmtpd_e2e.sh SENDER_PROGRAM
set -euo pipefail
sender=$1
here=$(cd "$(dirname "$0")" && pwd)
# Debian's interpreter: the one that has python3-aiosmtpd.
python=/usr/bin/python3

work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/port"
"$python" "$here/aiosmtpd_keep.py" "$work" >"$work/port" 2>"$work/server.err" &
server_pid=$!
if ! read -r -t 20 port <"$work/port"; then
  echo "aiosmtpd did not start"; cat "$work/server.err"; exit 1
fi
echo "aiosmtpd on 127.0.0.1:$port (pid $server_pid)"

host="web01.example.jp"
"$sender" "$port" "$work" "$host"
"$python" "$here/aiosmtpd_check.py" "$work" "$host"

kill "$server_pid"
wait "$server_pid" 2>/dev/null || true
server_pid=""

if "$sender" "$port" "$work" "$host"; then
  echo "FAIL: a report to a stopped server counted as sent"; exit 1
fi
"$python" - "$work/Sentrova.Log" "$host" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().decode("cp932").split("\r\n")
host = sys.argv[2]
ok = host + "サーバー障害の報告を行いました。 "
failed = "「" + host + "」のサーバー障害の報告に失敗しました。 接続できません"
messages = [line.split("   ", 1)[1] for line in lines if line]
print("\n".join(messages))
sys.exit(0 if messages == [ok, failed] else 1)
PY
echo "PASS"
