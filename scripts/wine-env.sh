# Sourced: the Wine test environment. A prefix of its own under build/, the
# Chinese locale, a virtual display, one persistent wineserver, a virtual
# desktop of a fixed size, and a browser that only records what it is handed.
#
#   QQ_ENV     name of the environment (default "wine"): build/$QQ_ENV
#   QQ_DISPLAY X display number (default 91)
#   QQ_USER_DISPLAY  1: the caller's own $DISPLAY in ordinary windows instead
#              (no Xvfb, no virtual desktop, the real browser)
#
#   wine_env_start / wine_env_stop
#   $QQ_RECORDER_LOG  the file the browser recorder appends each URL to

QQ_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QQ_ENV="${QQ_ENV:-wine}"
QQ_ENV_DIR="$QQ_ROOT/build/$QQ_ENV"
export WINEPREFIX="$QQ_ENV_DIR/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8
[ "${QQ_USER_DISPLAY:-0}" = 1 ] || export DISPLAY=":${QQ_DISPLAY:-91}"
export QQ_RECORDER_LOG="$QQ_ENV_DIR/browser.log"
export QQ_DESKTOP_SIZE="${QQ_DESKTOP_SIZE:-1024x768}"

wine_env_start() {
  mkdir -p "$QQ_ENV_DIR"
  local number="${DISPLAY#:}"
  if [ "${QQ_USER_DISPLAY:-0}" != 1 ] && ! pgrep -f "^Xvfb $DISPLAY( |\$)" >/dev/null; then
    # A server that died without cleaning up leaves its lock and socket behind.
    rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
    Xvfb "$DISPLAY" -screen 0 2048x1536x24 -nolisten tcp >"$QQ_ENV_DIR/xvfb.log" 2>&1 &
    echo $! >"$QQ_ENV_DIR/xvfb.pid"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$QQ_ENV_DIR/wineboot.log" 2>&1 || true
  fi
  # The recorder stands in for the browser.
  cat >"$QQ_ENV_DIR/recorder.sh" <<REC
#!/bin/sh
printf '%s\n' "\$1" >> "$QQ_RECORDER_LOG"
REC
  chmod +x "$QQ_ENV_DIR/recorder.sh"
  local browsers="\"$QQ_ENV_DIR/recorder.sh\"" desktop='"Default"'
  [ "${QQ_USER_DISPLAY:-0}" = 1 ] && browsers=- desktop=-
  cat >"$QQ_ENV_DIR/env.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"=$browsers

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"=$desktop

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$QQ_DESKTOP_SIZE"
REG
  wine regedit /S "$QQ_ENV_DIR/env.reg" >/dev/null 2>&1 || true
  # A desktop made before these settings keeps its old size while its
  # server lives: start a fresh one, persistent, so that later wine starts
  # cost a second, not several. Then bring the desktop and Wine's services up
  # here, with their output going nowhere: started by a test, they would hold
  # its output pipe open and keep CTest waiting.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  wine regedit /S "$QQ_ENV_DIR/env.reg" >/dev/null 2>&1 || true
  : >"$QQ_RECORDER_LOG"
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  if [ -f "$QQ_ENV_DIR/xvfb.pid" ]; then
    kill "$(cat "$QQ_ENV_DIR/xvfb.pid")" 2>/dev/null || true
    rm -f "$QQ_ENV_DIR/xvfb.pid"
  fi
}
