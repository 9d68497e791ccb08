#!/usr/bin/env bash
# One-time settings for a fresh test prefix (runs inside a session, with WINEPREFIX and TARVOLIN_WINE set).
set -eu
# Wine draws captions and frames itself on a bare X display (no window manager), so screenshots
# show them; this also drops a 2 s delay Wine otherwise adds when a visible window closes.
"$TARVOLIN_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
# Captions and dialogs need a font with Hangul: point the Korean UI fonts at Nanum Gothic.
for face in Gulim GulimChe Dotum DotumChe Batang "MS Shell Dlg" "MS Shell Dlg 2" Tahoma; do
  "$TARVOLIN_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d NanumGothic /f
done
