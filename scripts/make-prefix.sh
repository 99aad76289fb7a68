#!/bin/bash
# Creates the project's Wine prefix (code page 936, CJK font names, unmanaged
# windows, Wine's bundled "Light" visual style) once per build tree, behind a
# marker file; a new marker name remakes older prefixes.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export IMPRINTA_BUILD="${1:-${IMPRINTA_BUILD:-$ROOT/build}}"
source "$ROOT/scripts/wine-env.sh"
MARK="$WINEPREFIX/.imprinta-v2"
[ -f "$MARK" ] && exit 0
rm -rf "$WINEPREFIX"
mkdir -p "$BUILD"
wineboot -i </dev/null >/dev/null 2>&1 || true
wineserver -w
FONTS="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$FONTS"
cp /usr/share/wine/fonts/*.ttf "$FONTS/" 2>/dev/null || true

REG="$BUILD/imprinta-prefix.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="Y"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for f in 宋体 新宋体 黑体 微软雅黑 楷体 仿宋 SimSun SimHei "Microsoft YaHei" KaiTi; do
    printf '"%s"="WenQuanYi Zen Hei"\r\n' "$f"
  done
  # The visual style winecfg's Desktop Integration page turns on: file
  # dialogs, message boxes and other standard controls look current.
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]\r\n'
  printf '"ThemeActive"="1"\r\n'
  printf '"DllName"="C:\\\\windows\\\\resources\\\\themes\\\\light\\\\light.msstyles"\r\n'
  printf '"ColorName"="Blue"\r\n"SizeName"="NormalSize"\r\n'
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  for f in "MS Shell Dlg" "MS Shell Dlg 2"; do
    printf '"%s"="WenQuanYi Zen Hei Sharp"\r\n' "$f"
  done
} | iconv -f UTF-8 -t UTF-16 > "$REG"
wine regedit /S "$REG" </dev/null >/dev/null 2>&1
wineserver -w
touch "$MARK"
echo "prefix: $WINEPREFIX ready"
