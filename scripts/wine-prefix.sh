#!/usr/bin/env bash
# Creates the Wine prefix of this build tree once: Windows version pinned, fonts installed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ ! -f "$WINEPREFIX/.quenlark-ready" ]; then
  mkdir -p "$WINEPREFIX"
  echo "Creating Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # Windows version pinned; a crashing program ends instead of waiting in the debugger (which would
  # stall a test run); test programs' windows are not handed to an X window manager, for which Wine
  # would otherwise wait on a bare virtual display each time a top-level window hides.
  settings="$WINEPREFIX/quenlark-settings.reg"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="win10"\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\r\n"Debugger"=-\r\n\r\n'
    for folder in framework dbaccess controls editor grid services app windows browser; do
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\test_%s.exe\\X11 Driver]\r\n"Managed"="N"\r\n\r\n' "$folder"
    done
  } > "$settings"
  wine regedit /S "$settings" >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/.quenlark-ready"
fi
