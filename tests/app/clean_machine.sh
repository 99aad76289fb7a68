#!/bin/bash
# The downloads on a machine that has never seen the build: a fresh Wine
# prefix (no fonts, settings or files of ours), the portable zip unpacked into
# a folder with a Chinese name and a space, the installer and uninstaller run
# silently. Bad input: the zip read-only, an older version installed first,
# the installer run again, while the program runs, and into a folder holding
# files of its own. test_app's Package cases drive the program.
set -u
TEST_EXE="$1" DIST="$(cd "$2" 2>/dev/null && pwd)"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
zip=$(ls "$DIST"/Imprinta-*-win32.zip 2>/dev/null | head -1)
setup=$(ls "$DIST"/Imprinta-*-setup.exe 2>/dev/null | head -1)
if [ -z "$zip" ] || [ -z "$setup" ]; then echo "no packages in $DIST (bash scripts/package.sh)"; exit 77; fi
zip_version=$(basename "$zip" | sed 's/^Imprinta-\(.*\)-win32\.zip$/\1/')
setup_version=$(basename "$setup" | sed 's/^Imprinta-\(.*\)-setup\.exe$/\1/')

scratch=$(mktemp -d /tmp/imprinta-clean.XXXXXX)
# The build's own prefix (other fonts installed, mapped and replaced), for a comparison.
TEST_PREFIX="${IMPRINTA_BUILD:-$ROOT/build}/wineprefix"
export WINEPREFIX="$scratch/prefix" WINEARCH=win32 WINEDEBUG=-all LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
# No Gecko or Mono download prompts, and no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
readonly_dir=""
cleanup() {
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  [ -n "$readonly_dir" ] && { chattr -R -i "$readonly_dir" 2>/dev/null; chmod -R u+w "$readonly_dir"; }
  rm -rf "$scratch"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
win() { printf 'C:%s' "$(echo "${1#$WINEPREFIX/drive_c}" | tr / '\\')"; }
run_tests() {  # filter, then VAR=value pairs for the test's environment
  local filter="$1"; shift
  env "$@" wine "$TEST_EXE" --gtest_filter="$filter" --gtest_color=no </dev/null || fail "$filter"
}
start=$SECONDS
wineboot -i </dev/null >/dev/null 2>&1
C="$WINEPREFIX/drive_c"
# Wine links the profile's Desktop and Documents to the host's home: shortcuts
# the installer makes stay inside the prefix.
for d in "$C/users/$(id -un)"/*; do [ -L "$d" ] && rm "$d" && mkdir "$d"; done
echo "prefix ready in $((SECONDS - start)) s"

# The portable folder.
unpacked="$C/海报 工具"
mkdir -p "$unpacked" && unzip -q "$zip" -d "$unpacked" || fail "unzip"
folder="$unpacked/Imprinta-$zip_version"
run_tests 'Package.VersionsAgree:Package.PortableFolder' \
  IMPRINTA_PACKAGE_FOLDER="$(win "$folder")\\" IMPRINTA_PACKAGE_VERSIONS="$zip_version $setup_version"

# A poster in a bundled font, drawn from the program's fonts folder on this
# machine, which has none of them installed, equals the one the same folder
# draws in the build's test prefix, whose installed fonts differ; without the
# folder the text comes out otherwise.
fonts_case() {
  local t="$scratch/fonts-case" bare="$C/无字体副本" out
  zpath() { printf 'Z:%s' "$(echo "$1" | tr / '\\')"; }
  mkdir -p "$t/templates" "$bare"
  convert -size 480x360 xc:white "$t/templates/a.png"
  printf '[配置]\r\n标题字体名称=霞鹜文楷\r\n文案字体名称=文泉驿微米黑\r\n标题大小=60\r\n文案大小=30\r\n' |
    iconv -f UTF-8 -t GBK > "$t/kai.ini"
  cp "$folder/Imprinta.exe" "$bare/"
  draw() {  # Wine prefix, program folder, output name
    (cd "$2" && WINEPREFIX="$1" wine Imprinta.exe --batch --settings "$(zpath "$t/kai.ini")" \
      --templates "$(zpath "$t/templates")" --out "$(zpath "$t/$3")" --title "霞鹜文楷标题" --body "文泉驿微米黑" \
      </dev/null >"$t/$3.log" 2>&1) || fail "fonts case $3: $(cat "$t/$3.log")"
    out=$(find "$t/$3" -name '*.png' 2>/dev/null | head -1)
    [ -n "$out" ] && convert "$out" "RGBA:$t/$3.rgba" || fail "fonts case $3: no poster"
  }
  draw "$WINEPREFIX" "$folder" bundled
  draw "$WINEPREFIX" "$bare" system-fonts
  draw "$TEST_PREFIX" "$folder" test-prefix
  cmp -s "$t/bundled.rgba" "$t/test-prefix.rgba" || fail "the bundled fonts' poster differs between two machines"
  cmp -s "$t/bundled.rgba" "$t/system-fonts.rgba" && fail "the poster without the bundled fonts looks the same"
  rm -rf "$bare"
}
fonts_case

# The same zip where nothing can be written.
readonly_dir="$C/只读 光盘"
mkdir -p "$readonly_dir" && unzip -q "$zip" -d "$readonly_dir"
chmod -R a-w "$readonly_dir"; chattr -R +i "$readonly_dir" 2>/dev/null
if touch "$readonly_dir/probe" 2>/dev/null; then
  echo "cannot make a read-only folder here: read-only case not run"
else
  run_tests 'Package.ReadOnlyFolder' IMPRINTA_PACKAGE_READONLY="$(win "$readonly_dir/Imprinta-$zip_version")\\"
fi

# An older version first, then this one over it, then this one again.
older="$scratch/Imprinta-0.0.1-setup.exe"
stage="$(dirname "$DIST")/package/Imprinta-$setup_version"
makensis -V1 -INPUTCHARSET UTF8 -DVERSION=0.0.1 -DSTAGE="$stage" -DOUTFILE="$older" \
  -DICON="$ROOT/app/resources/imprinta.ico" -DSIZE_KB=1 "$ROOT/scripts/installer.nsi" || fail "older installer"
wine "$older" /S </dev/null || fail "older installer exit $?"
installed="$C/users/$(id -un)/AppData/Local/Programs/Imprinta"
[ -f "$installed/Imprinta.exe" ] || { fail "no per-user install in $installed"; exit 1; }
# The user's own settings: the shipped ones and a line of theirs.
mine="$scratch/pz.ini"
{ cat "$stage/pz.ini"; printf '备注=我的\r\n' | iconv -t GBK; } > "$mine"
cp "$mine" "$installed/pz.ini"
wine "$setup" /S </dev/null || fail "installer over the older one: exit $?"
wine "$setup" /S </dev/null || fail "installer run twice: exit $?"
cmp -s "$mine" "$installed/pz.ini" || fail "the user's pz.ini was replaced"
run_tests 'Package.InstalledShortcut' IMPRINTA_INSTALLED_VERSION="$setup_version"

# While the program runs, the installer refuses and changes nothing.
wine "$installed/Imprinta.exe" </dev/null >/dev/null 2>&1 &
running=$!
sleep 4  # its window up
before=$(md5sum "$installed/Imprinta.exe")
wine "$setup" /S </dev/null; code=$?
[ "$code" = 3 ] || fail "installer while the program runs: exit $code, not 3"
[ "$before" = "$(md5sum "$installed/Imprinta.exe")" ] || fail "the running program's file was changed"
kill "$running" 2>/dev/null; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null

# Uninstalled: the program's files, shortcuts and entry gone, the user's kept.
wine "$installed/Uninstall.exe" /S </dev/null || fail "uninstaller exit $?"
wineserver -w
left=$(cd "$installed" 2>/dev/null && find . -mindepth 1 -maxdepth 1 | LC_ALL=C sort | tr '\n' ' ')
expected="./1.png ./pz.ini ./公众号Brightquill 关注获取更多项目和软件.png ./模板 "
[ "$left" = "$expected" ] || fail "left in the install folder: [$left], expected [$expected]"
[ -z "$(find "$C/users" -name 'Imprinta*.lnk')" ] || fail "shortcuts left: $(find "$C/users" -name 'Imprinta*.lnk')"
wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Imprinta' >/dev/null 2>&1 &&
  fail "the uninstall entry is left"

# Into a folder that holds files of its own: installed beside them, and they
# stay when it is uninstalled.
# (/D= must come last and unquoted; wine quotes an argument with a space.)
own="$C/已有文件夹"
mkdir -p "$own" && echo mine > "$own/mine.txt" && printf '[配置]\r\n' > "$own/pz.ini"
wine "$setup" /S "/D=$(win "$own")" </dev/null || fail "installer into an existing folder: exit $?"
[ -f "$own/Imprinta.exe" ] && [ -f "$own/模板/海报-蓝.png" ] || fail "not installed into the chosen folder"
wine "$own/Uninstall.exe" /S </dev/null; wineserver -w
left=$(cd "$own" && find . -mindepth 1 -maxdepth 1 | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = "./1.png ./mine.txt ./pz.ini ./模板 " ] || fail "left in the existing folder: [$left]"
[ "$(cat "$own/mine.txt")" = mine ] && [ "$(cat "$own/pz.ini")" = "$(printf '[配置]\r')" ] ||
  fail "the folder's own files changed"

echo "clean-machine test: $((SECONDS - start)) s"
exit $failed
