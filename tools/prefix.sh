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
    # The desktop's process lives while any program of the prefix runs, and the first
    # program to show a window would start it holding that program's output and folder:
    # ctest then waits for the whole run to end that one test. A program that lives as
    # long as the server starts it here, away from both.
    (cd / && WINEPREFIX=$prefix wine cmd /c "ping -n 86400 127.0.0.1 >nul" >/dev/null 2>&1 </dev/null &)
    (cd / && WINEPREFIX=$prefix wine rundll32 user32.dll,GetDesktopWindow >/dev/null 2>&1 </dev/null)
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
