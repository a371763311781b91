# Sourced by the scripts that run Windows programs under Wine.
# lullwick_wine_env DIR: use DIR/wineprefix and a virtual X display of DIR's own,
# creating both on first use.

lullwick_start_xvfb() { # DIR -> sets DISPLAY
  local dir=$1 pidfile=$1/xvfb.pid dispfile=$1/xvfb.display
  if [[ -f $pidfile && -f $dispfile ]] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
    DISPLAY=:$(cat "$dispfile"); export DISPLAY; return
  fi
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  # -noreset: a display left by its last client keeps its screen-saver setting, so a
  # check after the program has ended sees what the program left, not the default.
  setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  echo $! >"$pidfile"
  local num; read -r -t 20 num <"$fifo" || { echo "Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  echo "$num" >"$dispfile"
  DISPLAY=:$num; export DISPLAY
}

lullwick_prepare_prefix() { # VIRTUAL: creates the prefix once, with Japanese fonts mapped
  local virtual=$1
  [[ -f $WINEPREFIX/.lullwick-ready ]] && return
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  local reg; reg=$(mktemp --suffix=.reg)
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "MS PGothic" "ＭＳ Ｐゴシック" "ＭＳ ゴシック"; do
      printf '"%s"="IPAPGothic"\r\n' "$face"
    done
    if [[ $virtual == 1 ]]; then
      # A virtual display has no window manager: Wine draws the frames itself (so the
      # close box is where the program expects it) and does not wait for one.
      printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n"Managed"="N"\r\n'
    fi
  } | iconv -f UTF-8 -t UTF-16 >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  wineserver -w
  rm -f "$reg"
  touch "$WINEPREFIX/.lullwick-ready"
}

lullwick_wine_env() { # DIR
  local dir=$1
  mkdir -p "$dir"
  # LULLWICK_DLL_OVERRIDES adds overrides of a test's own (a library made to fail).
  # LULLWICK_WINEDEBUG lets a test ask for a trace of its own (a relay of chosen calls).
  export WINEPREFIX=$dir/wineprefix WINEARCH=win64 WINEDEBUG=${LULLWICK_WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=${LULLWICK_DLL_OVERRIDES:+;$LULLWICK_DLL_OVERRIDES}"
  exec 9>"$dir/wine-env.lock"
  flock 9
  local virtual=1
  if [[ ${LULLWICK_USE_DISPLAY:-} == 1 && -n ${DISPLAY:-} ]]; then virtual=0; else lullwick_start_xvfb "$dir"; fi
  lullwick_prepare_prefix "$virtual"
  flock -u 9
  exec 9>&-
}

lullwick_stop_wine() { # DIR: ends the prefix's wineserver and the display
  local dir=$1
  WINEPREFIX=$dir/wineprefix wineserver -k 2>/dev/null || true
  if [[ -f $dir/xvfb.pid ]]; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true; rm -f "$dir/xvfb.pid"; fi
}
