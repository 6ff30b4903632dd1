# peers_lib.sh - what the benchmarks running other editors beside Orvane in real windows share
# (typing_peers.sh, fold_peers.sh); sourced, not run. The caller sets EDITORS, SIZE, INSTALL, TIMEOUT,
# W, PY and ORVANE_BIN first. Debian 12, as root.

log() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }
# The probes' shared Python part goes beside them.
cp "$(dirname "${BASH_SOURCE[0]}")/peers_probe.py" "$W/"

# ---------------------------------------------------------------- packages
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
pkg_of() { case $1 in orvane) echo "";; *) echo "$1";; esac; }
# peers_packages [PACKAGE...]: what the runs need (and the caller's extra packages) and the editors,
# installed unless INSTALL=0; EDITORS keeps those installed, the others go to results/skipped.
peers_packages() {
  local need="" p ed ran=""
  for p in xvfb x11-utils dbus procps util-linux passwd python3 python3-xlib "$@" libc6-dev zlib1g-dev xtrans-dev; do
    installed "$p" || need="$need $p"
  done
  for ed in $EDITORS; do p=$(pkg_of "$ed"); [ -z "$p" ] || installed "$p" || need="$need $p"; done
  if [ -n "$need" ] && [ "$INSTALL" = 1 ]; then
    log "installing:$need"
    apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null ||
      log "some packages did not install"
  fi
  for ed in $EDITORS; do
    p=$(pkg_of "$ed")
    if [ -z "$p" ] || installed "$p"; then ran="$ran $ed"; else log "skipping $ed: not installed"; echo "$ed" >> "$W/results/skipped"; fi
  done
  EDITORS=$ran
  installed python3-xlib || { log "python3-xlib is needed (apt-get install python3-xlib)"; exit 1; }
}

# ---------------------------------------------------------------- the file
# peers_file: FILE, made as peers.sh makes it: glibc headers and a few example .c files, repeated,
# cut at a line end. Leaves the shell in $W.
peers_file() {
  cd "$W"
  { dpkg -L libc6-dev | grep '\.h$'; ls /usr/include/X11/Xtrans/*.c /usr/share/doc/zlib1g-dev/examples/*.c 2>/dev/null; } |
    LC_ALL=C sort > seeds.txt
  FILE=$W/peers_${SIZE}MB.c
  SIZE=$SIZE $PY - "$FILE" <<'EOF'
import os, sys
seed = b''.join(b'/* ---- %s ---- */\n' % p.encode() + open(p, 'rb').read()
               for p in open('seeds.txt').read().split() if os.path.isfile(p))
n = int(os.environ['SIZE']) * 10**6
d = (seed * (n // len(seed) + 1))[:n]
open(sys.argv[1], 'wb').write(d[:d.rfind(b'\n') + 1])
EOF
  log "file: $FILE $(stat -c %s "$FILE") bytes"
}

# ---------------------------------------------------------------- the display
# start_xvfb N: an Xvfb on the first free display from :N, as DISPLAY; stopped on exit.
start_xvfb() {
  local n=$1
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n+1)); done
  Xvfb :$n -screen 0 1600x1000x24 -nolisten tcp -noreset >"$W/xvfb.log" 2>&1 &
  XVFB_PID=$!; export DISPLAY=:$n
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  log "Xvfb did not start"; exit 1
}
stop_xvfb() { kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null || true; XVFB_PID=; }
XVFB_PID=
cleanup() { [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; true; }
trap cleanup EXIT

# ---------------------------------------------------------------- the editors' runs
# peers_orvane_launcher: a launcher on PATH that gives the editor, in the fresh folders of each run,
# the settings peers.sh uses (no hand-off of large files, no question before colouring, no tip of
# the day).
peers_orvane_launcher() {
  [[ " $EDITORS " == *" orvane "* ]] || return 0
  [ -x "$ORVANE_BIN" ] || { log "no orvane executable at '$ORVANE_BIN' (set ORVANE_BIN)"; exit 1; }
  rm -rf "$W/app"; cp -r "$(dirname "$ORVANE_BIN")" "$W/app"   # a copy the unprivileged user can run
  chmod -R a+rX "$W/app"; ORVANE_BIN=$W/app/$(basename "$ORVANE_BIN")
  mkdir -p "$W/bin"
  cat > "$W/bin/orvane" <<WRAP
#!/bin/bash
for d in "\$XDG_CONFIG_HOME/orvane" "\$XDG_DATA_HOME/orvane"; do
  mkdir -p "\$d"
  printf 'PromptWarningLargeFile=0\\r\\nOpenFileInThirdPartyEditor=0\\r\\nShowTip=0\\r\\n' > "\$d/settings.ini"
done
exec "$ORVANE_BIN" "\$@"
WRAP
  chmod 755 "$W/bin" "$W/bin/orvane"; export PATH="$W/bin:$PATH"
}

# peers_user: the unprivileged user the editors run as.
peers_user() {
  BUSER=peersbench
  id -u $BUSER >/dev/null 2>&1 || useradd -r -M -s /usr/sbin/nologin $BUSER
  export AS_USER="setpriv --reuid=$BUSER --regid=$BUSER --init-groups"
}

# peers_new_run EDITOR: prints a fresh run folder (home, config, data, cache, runtime) holding a copy
# of the file.
peers_new_run() {
  local ed=$1 R
  R=$(mktemp -d "$W/runs/$ed.XXXX"); mkdir -p "$R"/{home,cfg,data,cache,rt}; chmod 700 "$R/rt"
  cp "$FILE" "$R/"
  if [ "$ed" = kate ]; then                         # no "start clangd?" LSP prompt
    mkdir -p "$R/data/kate"; printf '[Kate Plugins]\nlspclientplugin=false\n' > "$R/data/kate/anonymous.katesession"
  fi
  echo "$R"
}

# peers_isolated RUNDIR COMMAND...: the command (a probe that starts the editor as $AS_USER) with the
# run folder as home and XDG folders, a private session bus, in its own PID namespace.
peers_isolated() {
  local R=$1; shift
  chown -R $BUSER: "$R"
  HOME=$R/home XDG_CONFIG_HOME=$R/cfg XDG_DATA_HOME=$R/data XDG_RUNTIME_DIR=$R/rt \
  XDG_CACHE_HOME=$R/cache NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS= \
  timeout -s KILL $((TIMEOUT + 60)) unshare --pid --fork --kill-child --mount-proc bash -c '
      export DBUS_SESSION_BUS_ADDRESS=$($AS_USER dbus-daemon --session --fork --print-address=1)
      exec "$@"' peers "$@"
}
