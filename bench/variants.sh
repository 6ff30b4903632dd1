#!/usr/bin/env bash
# The other kinds of large file, measured the way bench/peers.sh measures the C files and with its
# probe: a 50 MB file with CR LF line breaks, one in UTF-8 with accents on every line, and a 50 MB
# HTML file. Run bench/peers.sh once first (it installs the editors, writes the probe and the
# launcher, and makes the C file these are made from); this run takes the program from BUILD again.
# Run as root.
# Knobs: EDITORS="orvane geany mousepad"  RUNS=3  TIMEOUT=60  W=/tmp/peers-bench
set -euo pipefail
EDITORS=${EDITORS:-"orvane geany mousepad"} RUNS=${RUNS:-3} TIMEOUT=${TIMEOUT:-60}
W=${W:-/tmp/peers-bench}
PY=/usr/bin/python3
[ -f "$W/probe.py" ] && [ -f "$W/peers_50MB.c" ] || { echo "run bench/peers.sh first (no $W/probe.py)" >&2; exit 1; }
export LC_ALL=C.UTF-8 PATH="$W/bin:$PATH"
build=${BUILD:-$(cd "$(dirname "$0")/.." && pwd)/build}
if [ -x "$build/app/orvane-bench" ]; then
  rm -rf "$W/app"; cp -r "$build/app" "$W/app"; chmod -R a+rX "$W/app"
fi
cd "$W"
$PY - <<'EOF'
import os
c = open('peers_50MB.c', 'rb').read()
if not os.path.exists('var_50MB_crlf.c'):
    open('var_50MB_crlf.c', 'wb').write(c.replace(b'\n', b'\r\n'))
if not os.path.exists('var_50MB_utf8.c'):
    out, size = [], 0
    for line in c.split(b'\n'):
        piece = line + ' /* café naïve */\n'.encode()
        out.append(piece); size += len(piece)
        if size >= 50 * 10**6: break
    open('var_50MB_utf8.c', 'wb').write(b''.join(out))
if not os.path.exists('var_50MB.html'):
    rows = ['<div class="row" id="r42">', '  <p style="color:#a0b0c0">Some text, 12 items</p>',
            '  <!-- a comment -->', '  <a href="page.html" title="next">next</a>', '</div>']
    block = ('\n'.join(rows) + '\n').encode()
    open('var_50MB.html', 'wb').write(block * (50 * 10**6 // len(block)))
EOF
export DISPLAY=:78
Xvfb :78 -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 & XVFB=$!
trap 'kill $XVFB 2>/dev/null || true' EXIT
sleep 1
BUSER=peersbench
AS_USER="setpriv --reuid=$BUSER --regid=$BUSER --init-groups"
results=$W/results/variants.jsonl; mkdir -p "$W/results"; : > "$results"
for f in var_50MB_crlf.c var_50MB_utf8.c var_50MB.html; do
  for ((r = 1; r <= RUNS; r++)); do
    for ed in $EDITORS; do
      R=$(mktemp -d "$W/runs/$ed.XXXX"); mkdir -p "$R"/{home,cfg,data,rt,cache}; chmod 700 "$R/rt"
      cp "$W/$f" "$R/"; chown -R $BUSER: "$R"
      HOME=$R/home XDG_CONFIG_HOME=$R/cfg XDG_DATA_HOME=$R/data XDG_RUNTIME_DIR=$R/rt XDG_CACHE_HOME=$R/cache \
      NO_AT_BRIDGE=1 AS_USER=$AS_USER unshare --pid --fork --kill-child --mount-proc bash -c '
          export DBUS_SESSION_BUS_ADDRESS=$($AS_USER dbus-daemon --session --fork --print-address=1)
          exec '"$PY"' "$0" "$1" "$2" "$3" "$4" -- $AS_USER "$4" "$2"' \
        "$W/probe.py" "$R" "$R/$f" "$TIMEOUT" "$ed" > "$R/result.json" 2>/dev/null || true
      [ -s "$R/result.json" ] && cat "$R/result.json" >> "$results" && echo >> "$results"
      rm -rf "$R"
    done
  done
done
$PY - "$results" <<'EOF'
import json, statistics, sys
rows = {}
for line in open(sys.argv[1]):
    if line.strip():
        r = json.loads(line); rows.setdefault((r['file'], r['editor']), []).append(r)
def med(runs, key):
    v = [r[key] for r in runs if r.get(key) is not None]
    return f"{statistics.median(v):.2f}" if v else "never"
print("| file | editor | file in title s | first edit s | CPU-idle s | peak RSS MB | ok/runs |")
print("|---|---|---:|---:|---:|---:|---:|")
for (f, ed), runs in sorted(rows.items()):
    ok = sum(r.get('status') == 'ok' for r in runs)
    print(f"| {f} | {ed} | {med(runs, 't_visible')} | {med(runs, 't_edit')} | {med(runs, 't_idle')} | "
          f"{med(runs, 'rss_mb')} | {ok}/{len(runs)} |")
EOF
