# Sourced by the scripts that run Wine: one persistent wineserver for each prefix they
# use, so that every process of the run starts fast and none meets a server still dying.

prefix_servers=()

# prefix_server PREFIX...: ends any server of each prefix and waits for it to go, starts
# a persistent one and Wine's own services (away from the caller's pipes, which they
# would hold open). They end when the script exits; a script with an EXIT trap of its own
# calls prefix_stop from it.
prefix_server() {
  local prefix
  for prefix in "$@"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w
    WINEPREFIX=$prefix wineserver -p
    WINEPREFIX=$prefix wine wineboot >/dev/null 2>&1 </dev/null
    prefix_servers+=("$prefix")
  done
  [ -n "$(trap -p EXIT)" ] || trap prefix_stop EXIT
}

# prefix_stop: ends the servers started by prefix_server, and waits for them to go.
prefix_stop() {
  local prefix
  for prefix in "${prefix_servers[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w
  done
}
