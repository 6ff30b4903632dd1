"""peers_probe.py - what the probes of typing_peers.sh and fold_peers.sh share: the X connection with
its DAMAGE events, the editors' windows and titles, keys through XTEST, the editor started and its
processes' CPU. Imported by a probe, which gives the editor's result dict for the early exits."""
import json, os, select, signal, subprocess, sys, time
from Xlib import X, XK, display, error
from Xlib.ext import xtest, damage

def connect(res):
    """Opens the display; prints res with a status and exits when it has no DAMAGE extension."""
    global d, DAMAGE_EVENT, root, A_NAME, A_UTF8
    d = display.Display()
    d.set_error_handler(lambda *a, **k: None)           # windows may vanish under us
    if not d.has_extension('DAMAGE'):
        print(json.dumps(dict(res, status='no DAMAGE extension'))); sys.exit(0)
    d.damage_query_version()
    DAMAGE_EVENT = d.extension_event.DamageNotify
    root = d.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    A_NAME, A_UTF8 = d.intern_atom('_NET_WM_NAME'), d.intern_atom('UTF8_STRING')
    d.sync()

def title(w):
    try:
        p = w.get_full_property(A_NAME, A_UTF8)
        v = p.value if p and p.value else (w.get_wm_name() or '')
        return v.decode('utf-8', 'replace') if isinstance(v, bytes) else str(v)
    except error.XError:
        return ''

def combo(*names):
    codes = [d.keysym_to_keycode(XK.string_to_keysym(k)) for k in names]
    for c in codes: xtest.fake_input(d, X.KeyPress, c)
    for c in reversed(codes): xtest.fake_input(d, X.KeyRelease, c)
    d.sync()

mapped, titles = set(), {}
def pump(wait, on_damage):                          # handle X events, block <= wait s
    if not d.pending_events():
        select.select([d], [], [], max(0.0, wait))
    while d.pending_events():
        ev = d.next_event()
        if ev.type == DAMAGE_EVENT:
            on_damage(ev); continue
        w = getattr(ev, 'window', None)
        if ev.type in (X.CreateNotify, X.MapNotify):
            w.change_attributes(event_mask=X.PropertyChangeMask)
            titles[w.id] = title(w)
            if ev.type == X.MapNotify: mapped.add(w.id)
        elif ev.type in (X.UnmapNotify, X.DestroyNotify):
            mapped.discard(w.id)
        elif ev.type == X.PropertyNotify:
            titles[w.id] = title(w)

def tree_pids(top):                                 # the editor and its descendants
    kids = {}
    for e in os.listdir('/proc'):
        if e.isdigit():
            try: kids.setdefault(int(open(f'/proc/{e}/stat').read().rsplit(')', 1)[1].split()[1]), []).append(int(e))
            except (OSError, IndexError): pass
    out, todo = [], [top]
    while todo:
        p = todo.pop(); out.append(p); todo += kids.get(p, [])
    return out

def cpu_s(top):                                     # utime + stime of the editor's processes
    t = 0
    for pid in tree_pids(top):
        try: f = open(f'/proc/{pid}/stat').read().rsplit(')', 1)[1].split(); t += int(f[11]) + int(f[12])
        except (OSError, IndexError): pass
    return t / os.sysconf('SC_CLK_TCK')

def start(cmd, rundir, timeout):
    """Starts the editor, its output in RUNDIR/editor.log; returns (process, deadline, now)."""
    log = open(os.path.join(rundir, 'editor.log'), 'wb')
    t0 = time.monotonic()
    p = subprocess.Popen(cmd, stdout=log, stderr=log, stdin=subprocess.DEVNULL)
    return p, t0 + timeout, lambda: time.monotonic() - t0

def end(p, res):
    """Kills the editor's processes (by PID; the PID namespace takes the rest) and prints res."""
    for pid in reversed(tree_pids(p.pid)):
        try: os.kill(pid, signal.SIGKILL)
        except OSError: pass
    p.wait()
    print(json.dumps(res), flush=True)

def waiter(p, deadline, pump):
    """wait_for(pred, until): pumps events until pred() is true, the editor ends or until (the deadline)."""
    def wait_for(pred, until=None):
        until = until or deadline
        while time.monotonic() < until and p.poll() is None:
            r = pred()
            if r: return r
            pump(min(0.05, until - time.monotonic()))
        return pred()
    return wait_for
