#!/usr/bin/env bash
# Soak run of the real program (not part of the test suite).
#
# 200 hosts on 127.0.0.1 (100 listening, 100 closed ports), interval 1 second,
# failure mail on against a local SMTP responder on port 25 that refuses every
# second report, status page on into a temporary folder. The program runs
# under Xvfb from a temporary program folder with temporary per-user settings;
# monitoring is started and stopped by clicking 開始/停止 with xdotool.
#
# Measured from /proc: resident memory and open descriptors at minute 1 and
# at the end, CPU time over the run; the log is checked line by line against
# the passes the page watcher saw and the reports the SMTP responder took.
#
# Usage: tools/soak.sh [SECONDS] [DISPLAY_NUMBER]   (default 600 and 97)
# Needs root (port 25), Xvfb, xdotool and /usr/bin/python3. Results go to
# standard output and to build/soak/ (samples.csv, Sentrova.Log, peers.json).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
display=":${2:-97}"
smtp_address="${SOAK_SMTP_ADDRESS:-127.0.0.1}"
hosts=200
python=/usr/bin/python3
command -v xdotool >/dev/null || apt-get install -y xdotool >/dev/null

cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target sentrova

work="$(mktemp -d)"
results="build/soak"
rm -rf "$results"
mkdir -p "$results"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  cp "$work/program/Sentrova.Log" "$work/peers.json" "$results/" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

program="$work/program"
www="$work/www"
mkdir -p "$program" "$www" "$work/config/Sentrova"
cp build/src/sentrova "$program/"
printf '[Interval]\nSec=1\n\n[wwwroot]\ndir=%s\nenable=True\nfile=index.html\n' "$www" \
  >"$work/config/Sentrova/Sentrova.conf"
printf '"%s","sentrova@localhost","ops@localhost","","","",""\r\n' "$smtp_address" >"$program/MailConfig.ini"

"$python" tools/soak_peers.py "$work" "$program" "$www" index.html "$smtp_address" "$hosts" \
  2>"$work/peers.err" &
pids+=($!)
peers_pid=$!
for _ in $(seq 100); do [ -s "$work/peers.json" ] && break; sleep 0.1; done
if [ ! -s "$work/peers.json" ]; then echo "the peers did not start:"; cat "$work/peers.err"; exit 1; fi

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY="$display"

XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb "$program/sentrova" >"$work/program.out" 2>&1 &
pids+=($!)
app=$!
window=""
for _ in $(seq 100); do
  window="$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n 1)" && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the main window did not appear"; cat "$work/program.out"; exit 1; }

log="$program/Sentrova.Log"
lines() { if [ -f "$log" ]; then iconv -f CP932 -t UTF-8 "$log" | grep -c -- "$1" || true; else echo 0; fi; }

# The start/stop button: 855 x 375 twips at (7560, 60) of the client area, below the menu
# bar; its centre is pixel (532, 16) of the client area.
click_monitor() {
  local menu_height
  menu_height="$(( $(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p') - 337 ))"
  xdotool mousemove --window "$window" 532 "$((menu_height + 16))" click 1
}
wait_for_line() {
  for _ in $(seq 100); do [ "$(lines "$1")" -ge "$2" ] && return 0; sleep 0.1; done
  echo "no log line \"$1\""; iconv -f CP932 -t UTF-8 "$log"; exit 1
}

clk_tck="$(getconf CLK_TCK)"
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$app/status"; }
# Descriptors: the probe and the mail socket come and go with every host, and
# the log and the page files with every line and page, so 20 looks 50 ms
# apart give the fewest and the most open at once. A leaked descriptor stays:
# it raises the fewest. Printed as files_min/files_max/sockets_min/sockets_max.
fds() {
  local files_min=9999 files_max=0 sockets_min=9999 sockets_max=0 files sockets
  for _ in $(seq 20); do
    sockets="$(find "/proc/$app/fd" -mindepth 1 -lname 'socket:*' 2>/dev/null | wc -l)"
    files="$(( $(ls "/proc/$app/fd" | wc -l) - sockets ))"
    [ "$files" -lt "$files_min" ] && files_min="$files"
    [ "$files" -gt "$files_max" ] && files_max="$files"
    [ "$sockets" -lt "$sockets_min" ] && sockets_min="$sockets"
    [ "$sockets" -gt "$sockets_max" ] && sockets_max="$sockets"
    sleep 0.05
  done
  echo "$files_min/$files_max/$sockets_min/$sockets_max"
}

click_monitor
wait_for_line "サーバーの監視を開始しました。" 1
start_time="$(date +%s.%N)"
start_cpu="$(cpu_ticks)"
echo "monitoring started at $(date -u +%T) UTC; running for $seconds s"

echo "elapsed_s,rss_kb,fds,cpu_s,pages,smtp_messages" >"$results/samples.csv"
sample() {
  local elapsed="$1"
  "$python" - "$work/peers.json" "$elapsed" "$(rss_kb)" "$(fds)" \
    "$(( $(cpu_ticks) - start_cpu ))" "$clk_tck" >>"$results/samples.csv" <<'PY'
import json, sys
p = json.load(open(sys.argv[1]))
cpu = int(sys.argv[5]) / int(sys.argv[6])
print(f"{sys.argv[2]},{sys.argv[3]},{sys.argv[4]},{cpu:.2f},{p['pages']},{p['smtp_accepted'] + p['smtp_refused']}")
PY
}

times="$(seq 30 30 "$seconds") $seconds"
[ "$seconds" -lt 60 ] && times="$seconds"
rss1="" fds1="" cpu1=""
for t in $(printf '%s\n' $times | sort -nu); do
  sleep "$("$python" -c "import time; print(max(0, $start_time + $t - time.time()))")"
  if [ "$t" -eq 60 ] || { [ -z "$rss1" ] && [ "$t" -eq "$seconds" ]; }; then
    rss1="$(rss_kb)" fds1="$(fds)" cpu1="$(cpu_ticks)"
  fi
  sample "$t"
done
rss2="$(rss_kb)" fds2="$(fds)" cpu2="$(cpu_ticks)"
end_time="$(date +%s.%N)"

click_monitor
wait_for_line "サーバーの監視を停止しました。" 1
# The pass under way ends before its next host and writes its page; wait until
# the page count stands still.
last=-1
for _ in $(seq 50); do
  now="$("$python" -c "import json; print(json.load(open('$work/peers.json'))['pages'])")"
  [ "$now" = "$last" ] && break
  last="$now"
  sleep 1
done
cpu_end="$(cpu_ticks)"
kill "$app"; wait "$app" 2>/dev/null || true
kill "$peers_pid"; wait "$peers_pid" 2>/dev/null || true

"$python" - "$log" "$work/peers.json" "$hosts" "$start_time" "$end_time" "$clk_tck" \
  "$rss1" "$rss2" "$fds1" "$fds2" "$start_cpu" "$cpu1" "$cpu2" "$cpu_end" <<'PY'
import json, sys
(log, peers, hosts, t0, t1, tck, rss1, rss2, fds1, fds2, c0, c1, c2, cend) = sys.argv[1:]
hosts, tck = int(hosts), int(tck)
t0, t1 = float(t0), float(t1)
rss1, rss2 = int(rss1), int(rss2)
files1, files1_max, sockets1, sockets1_max = map(int, fds1.split("/"))
files2, files2_max, sockets2, sockets2_max = map(int, fds2.split("/"))
c0, c1, c2, cend = int(c0), int(c1), int(c2), int(cend)
p = json.load(open(peers))
messages = [l.split("   ", 1)[1] for l in open(log, "rb").read().decode("cp932").split("\r\n") if l]

fixed = ["Sentrovaを起動しました...", "Sentrova環境設定ファイルをロードしました。",
         "メール送信用環境設定をロードしました。", "Sentrova起動完了", "サーバーの監視を開始しました。"]
down = messages.count("「127.0.0.1」はダウンしています。")
sent = messages.count("127.0.0.1サーバー障害の報告を行いました。 ")
refused = sum(m.startswith("「127.0.0.1」のサーバー障害の報告に失敗しました。 550") for m in messages)
stopped = messages.count("サーバーの監視を停止しました。")
# The program is ended by SIGTERM, which closes it as its window's close box does.
ended = messages.count("Sentrovaが終了しました。")
other = len(messages) - len(fixed) - down - sent - refused - stopped - ended

passes = p["pages"]               # one page per pass, the stopped one included
smtp = p["smtp_accepted"] + p["smtp_refused"]
per_pass = hosts // 2
# Every pass logs its 100 down hosts, each followed by its report line. The
# pass under way at the stop ends before its next host: it logged k of them,
# k taken from the reports the SMTP responder received, not from the log.
last_pass = smtp - per_pass * (passes - 1)
expected = len(fixed) + 2 * (per_pass * (passes - 1) + last_pass) + 2
times = p["page_times"]
gaps = [b - a for a, b in zip(times, times[1:])]
span = t1 - t0

checks = [
    ("start-up and start lines in order", messages[:len(fixed)] == fixed),
    # The probe under way at the stop is still recorded, with its report.
    ("one stop line, at most the stopped probe after it",
     stopped == 1 and len(messages) - 2 - messages.index("サーバーの監視を停止しました。") <= 2),
    ("the end logged last, once", ended == 1 and messages[-1] == "Sentrovaが終了しました。"),
    ("reports within the passes run", 0 <= last_pass <= per_pass),
    ("down lines = reports the server took", down == smtp),
    ("one report line per down line", sent + refused == down),
    ("accepted lines = accepted by the server", sent == p["smtp_accepted"]),
    ("refused lines = refused by the server", refused == p["smtp_refused"]),
    ("no other log lines", other == 0),
    ("log lines = expected", len(messages) == expected),
    ("memory growth minute 1 to end under 5%", rss2 < rss1 * 1.05),
    # Sockets: the display connection, the probe, the report.
    ("descriptors did not grow", files2 <= files1 and sockets1_max <= 3 and sockets2_max <= 3),
]
print()
print("| Figure | Value |")
print("|---|---|")
print(f"| Monitoring time | {span:.0f} s |")
print(f"| Passes run (pages written) | {passes} ({span / max(1, passes):.2f} s a pass on average; gaps between pages {min(gaps, default=0):.2f} to {max(gaps, default=0):.2f} s) |")
print(f"| Resident memory (VmRSS) minute 1 / end | {rss1} kB / {rss2} kB ({100.0 * (rss2 - rss1) / rss1:+.2f}%) |")
print(f"| Open descriptors minute 1 / end, fewest to most of 20 looks | files {files1} to {files1_max}, sockets {sockets1} to {sockets1_max} / files {files2} to {files2_max}, sockets {sockets2} to {sockets2_max} |")
print(f"| CPU time (utime+stime) whole run | {(cend - c0) / tck:.1f} s = {100.0 * (c2 - c0) / tck / span:.1f}% of one core |")
print(f"| CPU minute 1 to end | {(c2 - c1) / tck:.1f} s = {100.0 * (c2 - c1) / tck / max(1, span - 60):.1f}% of one core |")
print(f"| Log lines | {len(messages)} ({down} down, {sent} reports sent, {refused} refused) |")
print(f"| Expected | {expected} = 5 start + 2 x 100 x {passes - 1} full passes + 2 x {last_pass} (pass stopped) + 1 stop + 1 end |")
print(f"| SMTP responder | {p['smtp_connections']} connections, {p['smtp_accepted']} accepted, {p['smtp_refused']} refused |")
print()
failed = 0
for name, ok in checks:
    print(("PASS " if ok else "FAIL ") + name)
    failed += not ok
sys.exit(1 if failed else 0)
PY
