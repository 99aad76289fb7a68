#!/bin/bash
# Fails when a runtime file includes a header from a layer above its own, or
# when a plain-C++ layer includes a Windows header. Layers, bottom up:
LAYERS=(base pictures core forms units commands entry app)
PLAIN=(base pictures)   # built natively too: no Windows headers
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

rank() {
  local i
  for i in "${!LAYERS[@]}"; do [ "${LAYERS[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

bad=0
for layer in "${LAYERS[@]}"; do
  [ "$layer" = app ] && continue
  own=$(rank "$layer")
  for file in runtime/"$layer"/*.h runtime/"$layer"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS= read -r line; do
      target=$(sed -E 's/^[0-9]+:#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
      case "$target" in
        runtime/*/*) up=$(cut -d/ -f2 <<<"$target") ;;
        app/*) up=app ;;
        *) continue ;;
      esac
      r=$(rank "$up")
      if [ "$r" -gt "$own" ]; then
        echo "$file:${line%%:*}: $layer includes $target from the higher layer $up"
        bad=1
      fi
    done < <(grep -nE '^#[[:space:]]*include[[:space:]]*"' "$file" || true)
  done
done

for layer in "${PLAIN[@]}"; do
  if hits=$(grep -nE '^#[[:space:]]*include[[:space:]]*<(windows|winuser|wingdi|objidl|gdiplus|shlobj|commctrl|ole2)[^>]*>' \
            runtime/"$layer"/*.h runtime/"$layer"/*.cpp); then
    echo "$hits" | sed "s/\$/: Windows header in the plain-C++ layer $layer/"
    bad=1
  fi
done

[ "$bad" = 0 ] && echo "layers: every include points to the same layer or below"
exit "$bad"
