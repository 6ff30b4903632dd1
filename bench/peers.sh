#!/usr/bin/env bash
# The side-by-side measurement of the editors (the shared peers.sh) run against this build.
# The benchmark runs the program as a user who cannot write the build folder, so the program keeps
# its settings in $XDG_CONFIG_HOME/orvane: the launcher written here puts the benchmark's settings
# there (no hand-off of large files, no question before colouring, no tip of the day).
# Knobs are peers.sh's own (EDITORS, SIZES, RUNS, PART, TIMEOUT, W); BUILD is the build folder.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
peers=${PEERS:-}
for candidate in "$here/../shared/bench/peers.sh" "$here/../../shared/bench/peers.sh"; do
  [ -z "$peers" ] && [ -f "$candidate" ] && peers=$candidate
done
[ -n "$peers" ] || { echo "peers.sh not found (set PEERS)" >&2; exit 1; }
[ -x "$build/app/orvane" ] || { echo "no $build/app/orvane: build it first" >&2; exit 1; }
cat > "$build/app/orvane-bench" <<'EOF'
#!/bin/bash
mkdir -p "$XDG_CONFIG_HOME/orvane"
printf 'PromptWarningLargeFile=0\r\nOpenFileInThirdPartyEditor=0\r\nShowTip=0\r\n' > "$XDG_CONFIG_HOME/orvane/settings.ini"
exec "$(dirname "$0")/orvane" "$@"
EOF
chmod 755 "$build/app/orvane-bench"
export ORVANE_BIN=$build/app/orvane-bench PART=${PART:-gui}
exec bash "$peers"
