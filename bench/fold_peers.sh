#!/usr/bin/env bash
# fold_peers.sh - Fold All and Unfold All of a large C file, timed the same way in each editor's real
# window under Xvfb: the editor opens the same generated C file (50 MB) as in typing_peers.sh, goes
# idle, the caret goes to the top (Ctrl+Home), then the editor's fold-all key is sent through XTEST,
# then (once that is done) a Down key, then the unfold-all key. Per command:
#   first   key sent to the first repaint (XDamage) of the editor's windows
#   done    key sent to the last repaint after which the editor's processes stay under 5% of a core
#           for 0.3 s (IDLE_MS) - the end of the work as the user sees it
#   CPU     utime+stime of the editor's processes (/proc/PID/stat) from the key to that point
# Repaints the size of the small ones (under 40 px high) the editor made when left alone for 1.5 s
# just before the key (a caret or a hint blinking) count for the first repaint, not for the end of
# the work. Both editors' windows are set to 1200x800.
# A key typed right after the fold-all key cannot be told apart from the fold's own repaints (both
# editors handle it after the fold, in the same repaint), so the Down key goes once the fold is done:
# "key folded" is its time to the first repaint, in the folded text.
# Keys: orvane Ctrl+K, Ctrl+0 (fold all) and Ctrl+K, Ctrl+J (unfold all): the timing starts at the
# chord's second key; geany has no default keys for Document > Fold All / Unfold All, so its fresh
# configuration binds them (keybindings.conf: menu_foldall=Ctrl+Alt+1, menu_unfoldall=Ctrl+Alt+2).
# The first run of each editor keeps screenshots (runs/EDITOR.*/before.png, folded.png,
# unfolded.png) and compares them: the fold is "seen" when the folded picture differs from the one
# before in many pixels and the unfolded one is back near the one before.
# The editors run as in typing_peers.sh: as an unprivileged user with a fresh home, config and data
# folder per run and a private session bus, each in its own PID namespace. A benchmark: it never
# fails on a timing.
# Debian 12, run as root. Knobs (env):
#   EDITORS="orvane geany"  SIZE=50 (MB)  RUNS=3  TIMEOUT=600  IDLE_WAIT=90 (s to wait for idle)
#   CMD_LIMIT=120 (s for one command to finish)  IDLE_MS=300  DISPLAY_NUM=41 (first display tried)
#   INSTALL=1 (0: never apt-get)  ORVANE_BIN=path of the built orvane (default build/app/orvane)
#   W=/tmp/fold-peers  FOLD_TRACE=1 writes every repaint's rectangle to runs/EDITOR.*/trace.txt
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
EDITORS=${EDITORS:-"orvane geany"} SIZE=${SIZE:-50} RUNS=${RUNS:-3}
TIMEOUT=${TIMEOUT:-600} IDLE_WAIT=${IDLE_WAIT:-90} CMD_LIMIT=${CMD_LIMIT:-120} IDLE_MS=${IDLE_MS:-300}
DISPLAY_NUM=${DISPLAY_NUM:-41} INSTALL=${INSTALL:-1}
W=${W:-/tmp/fold-peers}
ORVANE_BIN=$(readlink -f "${ORVANE_BIN:-build/app/orvane}" 2>/dev/null || true)
PY=/usr/bin/python3
mkdir -p "$W"; rm -rf "$W/runs" "$W/results"; mkdir -p "$W/runs" "$W/results"
. "$(dirname "${BASH_SOURCE[0]}")/peers_lib.sh"
peers_packages imagemagick
peers_file

# ---------------------------------------------------------------- the probe
cat > "$W/fold_probe.py" <<'EOF'
"""fold_probe.py RUNDIR FILE TIMEOUT LABEL IDLE_WAIT CMD_LIMIT IDLE_MS SHOTS -- editor command...
Waits for the editor's window (titled with the file's name) and for the editor to go idle, then
times fold all, a key in the folded text and unfold all; prints one JSON line."""
import json, os, subprocess, sys, time
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peers_probe
from peers_probe import X, damage, error, combo, cpu_s, end, mapped, start, waiter, title, titles

rundir, path, timeout, label = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4]
idle_wait, cmd_limit, idle_s, shots = float(sys.argv[5]), float(sys.argv[6]), float(sys.argv[7]) / 1000, sys.argv[8] == '1'
learn_s, win_w, win_h = 1.5, 1200, 800           # a caret blinks in under 1.5 s; the windows' size
cmd = sys.argv[sys.argv.index('--') + 1:]
base = os.path.basename(path)
res = {'editor': label, 'file': base, 'bytes': os.path.getsize(path),
       'load1': float(open('/proc/loadavg').read().split()[0]), 'status': 'timeout'}
# The editors' fold-all and unfold-all keys: each a list of key combinations, timed from the last.
KEYS = {'orvane': ([('Control_L', 'k'), ('Control_L', '0')], [('Control_L', 'k'), ('Control_L', 'j')]),
        'geany': ([('Control_L', 'Alt_L', '1')], [('Control_L', 'Alt_L', '2')])}
if label not in KEYS:
    print(json.dumps(dict(res, status='no fold keys known for ' + label))); sys.exit(0)

peers_probe.connect(res)
d = peers_probe.d

# Damage as raw rectangles, so that a caret blinking (always the same rectangle) can be told from work.
damaged = []
trace = [] if os.environ.get('FOLD_TRACE') == '1' else None
def on_damage(ev):
    damaged.append((time.monotonic(), ev.area.width, ev.area.height))
    if trace is not None: trace.append((round(time.monotonic() * 1000, 1), ev.drawable, ev.area.x, ev.area.y, ev.area.width, ev.area.height))
def pump(wait):                                     # handle X events, block <= wait s
    peers_probe.pump(wait, on_damage)

p, deadline, now = start(cmd, rundir, timeout)

wait_for = waiter(p, deadline, pump)

def shot(name):
    if shots:
        subprocess.run(['import', '-window', 'root', os.path.join(rundir, name + '.png')], check=False)

def timed(keys):
    """Sends the key combinations (timing from the last) and follows the work: repaints and CPU until
    no repaint and under 5% of a core for idle_s. Returns first/done/cpu in ms, or a reason.
    Repaints the size of those under 40 px high the editor made when left alone just before (a caret
    or a hint blinking) count for the first repaint, not for the end of the work."""
    damaged.clear()
    wait_for(lambda: False, time.monotonic() + learn_s)
    idle_like = {(w, h) for _, w, h in damaged if h < 40}   # a line or a status bar, not a page
    for k in keys[:-1]:                             # a chord's first key: let its echo settle
        combo(*k)
        wait_for(lambda: False, time.monotonic() + idle_s)
    pump(0); damaged.clear()
    if trace is not None: trace.clear()
    c0 = cpu_s(p.pid)
    samples = []
    sent = time.monotonic(); combo(*keys[-1])
    if trace is not None: trace.append(('sent', round(sent * 1000, 1)))
    until = min(sent + cmd_limit, deadline - 5)
    work = lambda: [t for t, w, h in damaged if (w, h) not in idle_like]
    while time.monotonic() < until and p.poll() is None:
        pump(0.01)
        t, c = time.monotonic(), cpu_s(p.pid)
        samples.append((t, c))
        done = work()
        ref = done[-1] if done else sent
        if t - ref < idle_s: continue
        since = next(s for s in samples if s[0] >= ref) if samples[0][0] < ref else (sent, c0)
        if c - since[1] <= 0.05 * (t - since[0]):
            if not damaged: return {'why': 'no repaint'}
            if trace is not None: open(os.path.join(rundir, 'trace.txt'), 'a').write(repr(keys) + ' ' + repr(idle_like) + ' ' + repr(trace) + '\n')
            first = damaged[0][0]
            return {'first_ms': round((first - sent) * 1000, 1), 'done_ms': round(((done or [first])[-1] - sent) * 1000, 1),
                    'cpu_ms': round((c - c0) * 1000, 1), 'repaints': len(damaged)}
    return {'why': 'not done in %g s' % (until - sent)}

def wait_idle(limit):                               # less than 5% of a core over 0.5 s, as in typing_peers.sh
    hist, give_up = [], time.monotonic() + limit
    while time.monotonic() < min(give_up, deadline) and p.poll() is None:
        hist.append((now(), cpu_s(p.pid)))
        old = [h for h in hist if h[0] <= hist[-1][0] - 0.5]
        if old and hist[-1][1] - old[-1][1] < 0.025:
            return round(old[-1][0], 2)
        pump(0.05)
    return None

class Stop(Exception): pass
try:
    win = wait_for(lambda: next((i for i in mapped if base in titles.get(i, '')), None))
    if not win: raise Stop
    res['t_visible'] = round(now(), 2)
    res['t_idle'] = wait_idle(idle_wait)
    # Both editors in a window of the same size: what a repaint costs depends on it.
    window = d.create_resource_object('window', win)
    window.configure(x=0, y=0, width=win_w, height=win_h); d.sync()
    wait_for(lambda: False, time.monotonic() + 0.5); wait_idle(10)
    window.set_input_focus(X.RevertToParent, X.CurrentTime); d.sync()
    combo('Control_L', 'Home')
    wait_for(lambda: False, time.monotonic() + 1.0)
    # Damage on the window and every window inside it: toolkits draw into the top level or a child.
    def windows(w):
        out = [w]
        try:
            for c in w.query_tree().children: out += windows(c)
        except error.XError: pass
        return out
    damages = [w.damage_create(damage.DamageReportRawRectangles) for w in windows(window)]
    d.sync()
    fold_keys, unfold_keys = KEYS[label]
    shot('before')
    res['fold'] = timed(fold_keys)
    shot('folded')
    res['key_folded'] = timed([('Down',)])
    res['unfold'] = timed(unfold_keys)
    shot('unfolded')
    res['title'] = title(window)
    res['status'] = 'ok'
except Stop:
    pass
finally:
    if p.poll() is not None: res['status'] = f'exited rc={p.returncode}'
    end(p, res)
EOF

# ---------------------------------------------------------------- the editors' runs
peers_orvane_launcher
peers_user
# fold_run EDITOR SHOTS: one run on a fresh copy of the file; appends a JSON line to results/fold.jsonl.
fold_run() {
  local ed=$1 shots=$2 R
  R=$(peers_new_run "$ed")
  if [ "$ed" = geany ]; then                        # its Document menu's Fold All / Unfold All, on keys
    mkdir -p "$R/cfg/geany"
    printf '[Bindings]\nmenu_foldall=<Primary><Alt>1\nmenu_unfoldall=<Primary><Alt>2\n' > "$R/cfg/geany/keybindings.conf"
  fi
  peers_isolated "$R" "$PY" "$W/fold_probe.py" "$R" "$R/$(basename "$FILE")" "$TIMEOUT" "$ed" "$IDLE_WAIT" \
    "$CMD_LIMIT" "$IDLE_MS" "$shots" -- $AS_USER "$ed" "$R/$(basename "$FILE")" > "$R/result.json" || true
  if [ -s "$R/result.json" ]; then
    # The screenshots' verdict: pixels that differ between before and folded, and before and unfolded.
    if [ -f "$R/before.png" ] && [ -f "$R/folded.png" ] && [ -f "$R/unfolded.png" ]; then
      local f u
      f=$(compare -metric AE -fuzz 10% "$R/before.png" "$R/folded.png" null: 2>&1 || true)
      u=$(compare -metric AE -fuzz 10% "$R/before.png" "$R/unfolded.png" null: 2>&1 || true)
      $PY - "$R/result.json" "$f" "$u" <<'EOF' || log "  $ed: the screenshots could not be compared: $f $u"
import json, sys
r = json.load(open(sys.argv[1]))
r['shots'] = {'dir': sys.argv[1].rsplit('/', 1)[0], 'folded_px': float(sys.argv[2].split()[0]),
              'unfolded_px': float(sys.argv[3].split()[0])}
open(sys.argv[1], 'w').write(json.dumps(r) + '\n')
EOF
    fi
    cat "$R/result.json" >> "$W/results/fold.jsonl"
    log "  $ed: $(cut -c1-400 "$R/result.json")"
  else
    log "  $ed: no result"
  fi
  rm -f "$R/$(basename "$FILE")"
}

start_xvfb "$DISPLAY_NUM"; log "fold all / unfold all on DISPLAY=$DISPLAY in:$EDITORS"
for ((r=1; r<=RUNS; r++)); do
  for ed in $EDITORS; do fold_run "$ed" $((r == 1)); done
done
stop_xvfb

# ---------------------------------------------------------------- the table
$PY - "$W/results" <<'EOF' | tee "$W/results/fold.md"
import json, os, statistics as st, subprocess, sys
rdir = sys.argv[1]
def version(ed):
    if ed == 'orvane': return 'this build'
    r = subprocess.run(['dpkg-query', '-W', '-f=${Version}', ed], capture_output=True, text=True)
    return r.stdout or '-'
p = os.path.join(rdir, 'fold.jsonl')
rows = [json.loads(l) for l in open(p)] if os.path.exists(p) else []
med = lambda xs: st.median(xs) if xs else None
fmt = lambda x: '-' if x is None else f'{x:.0f}'
def col(rs, cmd, key):
    return med([r[cmd][key] for r in rs if r.get('status') == 'ok' and key in r.get(cmd, {})])
print("## Fold all / unfold all in the editor's window (median of runs, ms from the key)\n")
print(f"{os.cpu_count()} cores; load average at the end: {open('/proc/loadavg').read().split()[0]}; "
      f"file: {rows[0]['file'] if rows else '-'} ({rows[0]['bytes'] if rows else 0} bytes)\n")
print('| editor | version | fold all: first repaint | fold all: done | fold all: CPU | key folded | '
      'unfold all: first repaint | unfold all: done | unfold all: CPU | ok/runs |')
print('|---|---|---:|---:|---:|---:|---:|---:|---:|---:|')
eds = list(dict.fromkeys(r['editor'] for r in rows))
done = {}
for ed in eds:
    rs = [r for r in rows if r['editor'] == ed]
    ok = [r for r in rs if r.get('status') == 'ok' and 'done_ms' in r.get('fold', {}) and 'done_ms' in r.get('unfold', {})]
    done[ed] = (col(rs, 'fold', 'done_ms'), col(rs, 'unfold', 'done_ms'))
    print(f"| {ed} | {version(ed)} | {fmt(col(rs, 'fold', 'first_ms'))} | {fmt(done[ed][0])} | {fmt(col(rs, 'fold', 'cpu_ms'))} | "
          f"{fmt(col(rs, 'key_folded', 'first_ms'))} | {fmt(col(rs, 'unfold', 'first_ms'))} | {fmt(done[ed][1])} | "
          f"{fmt(col(rs, 'unfold', 'cpu_ms'))} | {len(ok)}/{len(rs)} |")
if 'orvane' in done and 'geany' in done:
    ratio = lambda a, b: '-' if a is None or not b else f'{a / b:.2f}'
    print(f"\nOrvane/Geany (done): fold all {ratio(done['orvane'][0], done['geany'][0])}, "
          f"unfold all {ratio(done['orvane'][1], done['geany'][1])}")
print()
for r in rows:                                      # what went wrong, and what the pictures show
    for cmd in ('fold', 'key_folded', 'unfold'):
        if 'why' in r.get(cmd, {}): print(f"{r['editor']}: {cmd}: {r[cmd]['why']}")
    if r.get('status') != 'ok': print(f"{r['editor']}: {r['status']}")
    s = r.get('shots')
    if s:
        seen = s['folded_px'] > 20000 and s['unfolded_px'] < s['folded_px'] / 4
        print(f"{r['editor']}: screenshots {s['dir']}/{{before,folded,unfolded}}.png: folded differs from before in "
              f"{s['folded_px']:.0f} px, unfolded in {s['unfolded_px']:.0f} px: "
              + ('the fold is seen and undone' if seen else 'NO FOLD SEEN (look at the pictures)'))
skipped = os.path.join(rdir, 'skipped')
if os.path.exists(skipped):
    print('\nnot installed, skipped: ' + ', '.join(open(skipped).read().split()))
print("\nfirst repaint = key to the first XDamage event on the editor's windows; done = key to the last repaint "
      "after which the editor's processes stayed under 5% of a core for 0.3 s; CPU = the editor's processes from "
      "the key until then; key folded = a Down key typed in the folded text, to its first repaint. A key typed "
      "right after the fold-all key is not timed: its repaint cannot be told from the fold's.")
EOF
