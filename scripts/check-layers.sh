#!/bin/bash
# Fails when a runtime file includes a header from a layer above its own, or
# when a plain-C++ layer includes a Windows header; and when the application's
# rooms break their rules (below). Checks the tree given, else this checkout.
# Layers, bottom up:
LAYERS=(base pictures core forms units commands entry app)
PLAIN=(base pictures)   # built natively too: no Windows headers
set -euo pipefail
ROOT="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
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

# The application's rooms (app/<room>/): what each may include of the others,
# no include circle between files or rooms, and only the entry and its start-up
# at the root of app/.
python3 - <<'PYEOF' || bad=1
import os, re, sys
may_not = {
    "poster": {"render", "platform", "window", "batch", "forms", "resources", "skin", "."},
    "platform": {"poster", "render", "window", "batch", "forms", "resources", "skin", "."},
    "render": {"window", "batch", "forms", "resources", "skin", "."},
    "window": {"batch", "."},
}
plain = {"poster"}
max_root_files = 2  # the entry and its start-up
windows = re.compile(r'^#\s*include\s*<(windows|winuser|wingdi|objidl|gdiplus|shlobj|commctrl|ole2|commdlg|shellapi)[^>]*>', re.M)
include = re.compile(r'^#\s*include\s*"(app/[^"]+)"', re.M)
files, bad = {}, False
for d, _, fs in os.walk("app"):
    for f in fs:
        if f.endswith((".cpp", ".h")):
            p = os.path.join(d, f)
            files[p] = open(p, encoding="utf-8", errors="replace").read()
def room(p):
    parts = p.split("/")
    return parts[1] if len(parts) > 2 else "."
unit_edges, room_edges = {}, {}
for p, text in sorted(files.items()):
    r = room(p)
    if r in plain and windows.search(text):
        print(f"{p}: the {r} room is plain C++ but includes a Windows header"); bad = True
    for q in include.findall(text):
        if q not in files: continue
        s = room(q)
        if s != r and s in may_not.get(r, ()):
            print(f"{p}: the {r} room includes {q} of the {s} room"); bad = True
        if s != r: room_edges.setdefault(r, set()).add(s)
        u, v = p.rsplit(".", 1)[0], q.rsplit(".", 1)[0]
        if u != v: unit_edges.setdefault(u, set()).add(v)
def circles(edges):
    state, stack, found = {}, [], []
    def visit(n):
        state[n] = 1; stack.append(n)
        for m in sorted(edges.get(n, ())):
            if state.get(m) == 1: found.append(stack[stack.index(m):] + [m])
            elif m not in state: visit(m)
        stack.pop(); state[n] = 2
    for n in sorted(edges):
        if n not in state: visit(n)
    return found
for c in circles(room_edges) + circles(unit_edges):
    print("include circle: " + " -> ".join(c)); bad = True
root = sorted(f for f in os.listdir("app") if f.endswith((".cpp", ".h")))
if len(root) > max_root_files:
    print(f"app/ holds {len(root)} source files at its root ({', '.join(root)}): each belongs in a room"); bad = True
sys.exit(1 if bad else 0)
PYEOF

[ "$bad" = 0 ] && echo "layers: every include points to the same layer or below, the rooms keep their rules"
exit "$bad"
