#!/usr/bin/env bash
# typing_peers.sh - what a typed key costs, side by side with other editors: KEYS keys (2,000) are
# typed through XTEST into each editor's real window under Xvfb, at the end of the same generated
# C file (50 MB), after the editor has gone idle. Per editor:
#   CPU ms/key  utime+stime of the editor's processes (from /proc/PID/stat) over the typing, per key
#   repaint     time from a key sent to the first XDamage event on the editor's window, median/p99/max
#   bg ms/s     CPU the editor used per second while left alone just before the typing (mousepad, say,
#               keeps working on a large file): it is in CPU ms/key too, so it is shown beside it
# Keys go one at a time: the next is sent when the window was repainted and then quiet for QUIET_MS,
# or after 1 s without a repaint (a "miss": counted apart, not in the repaint times).
# The editors run as they do in peers.sh: as an unprivileged user with a fresh home, config and data
# folder per run and a private session bus, each in its own PID namespace.
# Debian 12, run as root. Knobs (env):
#   EDITORS="orvane scite geany mousepad kate"  KEYS=2000  SIZE=50 (MB)  RUNS=1  TIMEOUT=600
#   IDLE_WAIT=90 (s to wait for idle before typing anyway)  QUIET_MS=20  INSTALL=1 (0: never apt-get)
#   ORVANE_BIN=path of the built orvane (default build/app/orvane of the current folder)  W=/tmp/typing-peers
#   SHOT=1 keeps a screenshot of each editor after the typing (runs/EDITOR.*/typed.png)
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
EDITORS=${EDITORS:-"orvane scite geany mousepad kate"} KEYS=${KEYS:-2000} SIZE=${SIZE:-50} RUNS=${RUNS:-1}
TIMEOUT=${TIMEOUT:-600} IDLE_WAIT=${IDLE_WAIT:-90} QUIET_MS=${QUIET_MS:-20} INSTALL=${INSTALL:-1}
W=${W:-/tmp/typing-peers}
ORVANE_BIN=$(readlink -f "${ORVANE_BIN:-build/app/orvane}" 2>/dev/null || true)
PY=/usr/bin/python3
mkdir -p "$W"; rm -rf "$W/runs" "$W/results"; mkdir -p "$W/runs" "$W/results"
. "$(dirname "${BASH_SOURCE[0]}")/peers_lib.sh"
peers_packages
peers_file

# ---------------------------------------------------------------- the probe
cat > "$W/typing_probe.py" <<'EOF'
"""typing_probe.py RUNDIR FILE TIMEOUT LABEL KEYS IDLE_WAIT QUIET_MS -- editor command...
Waits for the editor's window (titled with the file's name) and for the editor to go idle, types
KEYS keys at the end of the file, prints one JSON line."""
import os, subprocess, sys, time
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peers_probe
from peers_probe import X, XK, damage, error, xtest, combo, cpu_s, end, mapped, start, waiter, title, titles, tree_pids

rundir, path, timeout, label = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4]
nkeys, idle_wait, quiet = int(sys.argv[5]), float(sys.argv[6]), float(sys.argv[7]) / 1000
cmd = sys.argv[sys.argv.index('--') + 1:]
base = os.path.basename(path)
res = {'editor': label, 'file': base, 'bytes': os.path.getsize(path), 'keys': nkeys,
       'load1': float(open('/proc/loadavg').read().split()[0]), 'status': 'timeout'}

peers_probe.connect(res)
d = peers_probe.d

def keycode(ch):                                    # (keycode, needs Shift) of a character
    names = {'\n': 'Return', '\b': 'BackSpace', ' ': 'space', '(': 'parenleft', ')': 'parenright',
             ',': 'comma', ';': 'semicolon', '=': 'equal', '+': 'plus', '*': 'asterisk'}
    sym = XK.string_to_keysym(names.get(ch, ch))
    code = d.keysym_to_keycode(sym)
    return code, d.keycode_to_keysym(code, 0) != sym

SHIFT = d.keysym_to_keycode(XK.string_to_keysym('Shift_L'))
def send(code, shift):
    if shift: xtest.fake_input(d, X.KeyPress, SHIFT)
    xtest.fake_input(d, X.KeyPress, code); xtest.fake_input(d, X.KeyRelease, code)
    if shift: xtest.fake_input(d, X.KeyRelease, SHIFT)
    d.sync()

damaged = []
def pump(wait):                                     # handle X events, block <= wait s
    peers_probe.pump(wait, lambda ev: damaged.append(time.monotonic()))

p, deadline, now = start(cmd, rundir, timeout)

wait_for = waiter(p, deadline, pump)

class Stop(Exception): pass
try:
    win = wait_for(lambda: next((i for i in mapped if base in titles.get(i, '')), None))
    if not win: raise Stop
    res['t_visible'] = round(now(), 2)
    # Idle: less than 5% of a core over 0.5 s, as peers.sh has it.
    hist, res['t_idle'], give_up = [], None, time.monotonic() + idle_wait
    while time.monotonic() < min(give_up, deadline) and p.poll() is None:
        hist.append((now(), cpu_s(p.pid)))
        old = [h for h in hist if h[0] <= hist[-1][0] - 0.5]
        if old and hist[-1][1] - old[-1][1] < 0.025:
            res['t_idle'] = round(old[-1][0], 2); break
        pump(0.05)
    window = d.create_resource_object('window', win)
    window.set_input_focus(X.RevertToParent, X.CurrentTime); d.sync()
    combo('Control_L', 'End')
    wait_for(lambda: False, time.monotonic() + 1.0)
    # The editor left alone for 2 s: what it spends without keys.
    c0, w0 = cpu_s(p.pid), time.monotonic()
    wait_for(lambda: False, time.monotonic() + 2.0)
    res['bg_ms_per_s'] = round((cpu_s(p.pid) - c0) * 1000 / (time.monotonic() - w0), 1)
    # Damage on the window and every window inside it: toolkits draw into the top level or a child.
    def windows(w):
        out = [w]
        try:
            for c in w.query_tree().children: out += windows(c)
        except error.XError: pass
        return out
    watched = windows(window)
    damages = [w.damage_create(damage.DamageReportNonEmpty) for w in watched]
    def rearm():                                    # NonEmpty reports again once subtracted
        for dmg in damages: d.damage_subtract(dmg)
        d.sync()
    text = ('x = f(a, b);\n' * (nkeys // 13 + 1))[:nkeys]
    lat, misses, missed = [], 0, []
    c0, w0 = cpu_s(p.pid), time.monotonic()
    typed = 0
    for i, ch in enumerate(text):
        if time.monotonic() > deadline - 5:           # out of time: report the keys typed so far
            break
        typed += 1
        code, shift = keycode(ch)
        rearm(); pump(0); damaged.clear()
        sent = time.monotonic(); send(code, shift)
        got = wait_for(lambda: damaged[0] if damaged else None, sent + 1.0)
        if not got:                                 # perhaps drawn in a window made since
            misses += 1; missed.append(f'{i}:{ch!r}')
            known = {w.id for w in watched}
            for w in windows(window):
                if w.id not in known: watched.append(w); damages.append(w.damage_create(damage.DamageReportNonEmpty))
            continue
        lat.append(got - sent)
        # Quiet again before the next key, so that its repaint is not this one's tail.
        while time.monotonic() < sent + 1.0:
            n = len(damaged); rearm(); pump(quiet)
            if len(damaged) == n: break
    res['typing_s'] = round(time.monotonic() - w0, 2)
    res['typed'] = typed
    res['cpu_ms_per_key'] = round((cpu_s(p.pid) - c0) * 1000 / max(1, typed), 3)
    lat.sort()
    lat = lat or [float('nan')]
    res['repaint_median_ms'] = round(lat[len(lat) // 2] * 1000, 2)
    res['repaint_p99_ms'] = round(lat[int(len(lat) * 0.99)] * 1000, 2)
    res['repaint_max_ms'] = round(lat[-1] * 1000, 2)
    res['misses'] = misses
    res['missed'] = missed[:20]
    res['title'] = title(window)
    if os.environ.get('SHOT') == '1':                # to see what was typed
        subprocess.run(['import', '-window', 'root', os.path.join(rundir, 'typed.png')], check=False)
    res['status'] = 'ok'
except Stop:
    pass
finally:
    if p.poll() is not None: res['status'] = f'exited rc={p.returncode}'
    hwm = 0
    for pid in tree_pids(p.pid):
        try: hwm += next(int(l.split()[1]) for l in open(f'/proc/{pid}/status') if l.startswith('VmHWM:'))
        except (OSError, StopIteration): pass
    res['rss_mb'] = round(hwm / 1024, 1)
    end(p, res)
EOF

# ---------------------------------------------------------------- the editors' runs
peers_orvane_launcher
peers_user
# typing_run EDITOR: one run on a fresh copy of the file; appends a JSON line to results/typing.jsonl.
typing_run() {
  local ed=$1 R
  R=$(peers_new_run "$ed")
  SHOT=${SHOT:-0} peers_isolated "$R" "$PY" "$W/typing_probe.py" "$R" "$R/$(basename "$FILE")" "$TIMEOUT" "$ed" \
    "$KEYS" "$IDLE_WAIT" "$QUIET_MS" -- $AS_USER "$ed" "$R/$(basename "$FILE")" > "$R/result.json" || true
  if [ -s "$R/result.json" ]; then
    cat "$R/result.json" >> "$W/results/typing.jsonl"
    log "  $ed: $(cut -c1-220 "$R/result.json")"
  else
    log "  $ed: no result"
  fi
  rm -f "$R/$(basename "$FILE")"
}

start_xvfb 77; log "typing $KEYS keys on DISPLAY=$DISPLAY into:$EDITORS"
for ((r=1; r<=RUNS; r++)); do
  for ed in $EDITORS; do typing_run "$ed"; done
done
stop_xvfb

# ---------------------------------------------------------------- the table
$PY - "$W/results" "$KEYS" <<'EOF' | tee "$W/results/typing.md"
import json, os, statistics as st, subprocess, sys
rdir, keys = sys.argv[1], sys.argv[2]
def version(ed):
    if ed == 'orvane': return 'this build'
    r = subprocess.run(['dpkg-query', '-W', '-f=${Version}', ed], capture_output=True, text=True)
    return r.stdout or '-'
print(f"## Typing {keys} keys at the end of the file (median of runs)\n")
print(f"{os.cpu_count()} cores; load average at the end: {open('/proc/loadavg').read().split()[0]}\n")
print('| editor | version | file | idle before typing | keys typed | CPU ms/key | repaint median ms | repaint p99 ms | max ms | misses | bg CPU ms/s | peak RSS MB | ok/runs |')
print('|---|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|')
p = os.path.join(rdir, 'typing.jsonl')
rows = [json.loads(l) for l in open(p)] if os.path.exists(p) else []
med = lambda xs: st.median(xs) if xs else None
fmt = lambda x: '-' if x is None else f'{x:.2f}'
for ed in dict.fromkeys(r['editor'] for r in rows):
    rs = [r for r in rows if r['editor'] == ed]
    ok = [r for r in rs if r['status'] == 'ok']
    idle = ', '.join('never' if r.get('t_idle') is None else f"{r['t_idle']:.1f} s" for r in ok) or '-'
    print(f"| {ed} | {version(ed)} | {rs[0]['file']} | {idle} | {med([r.get('typed', r['keys']) for r in ok]) or '-'} | "
          f"{fmt(med([r['cpu_ms_per_key'] for r in ok]))} | "
          f"{fmt(med([r['repaint_median_ms'] for r in ok]))} | {fmt(med([r['repaint_p99_ms'] for r in ok]))} | "
          f"{fmt(med([r['repaint_max_ms'] for r in ok]))} | {fmt(med([r['misses'] for r in ok]))} | "
          f"{fmt(med([r['bg_ms_per_s'] for r in ok]))} | {fmt(med([r['rss_mb'] for r in rs]))} | {len(ok)}/{len(rs)} |")
skipped = os.path.join(rdir, 'skipped')
if os.path.exists(skipped):
    print('\nnot installed, skipped: ' + ', '.join(open(skipped).read().split()))
print("\nCPU ms/key = editor CPU (all its processes) over the typing / keys; repaint = key sent to the first "
      "XDamage event on the editor's windows; misses = keys without a repaint within 1 s (not in the repaint times); "
      "bg CPU = the editor's CPU per second left alone just before typing (included in CPU ms/key); "
      "idle = seconds from launch until it used < 5% of a core for 0.5 s.")
EOF
