#!/usr/bin/env python3
"""Checks the links of the project's Markdown pages (the top-level *.md and
docs/): a relative link must name a file or folder of the tree, and a
'#fragment' a heading (as GitHub makes its anchor) or an id/name in the page it
points to. Web addresses are not fetched (the tests run offline).
  check-links.py [root]   -> exit 1 and one line per broken link
"""
import os
import re
import sys
import urllib.parse

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))

FENCE = re.compile(r'^\s*(```|~~~)')
CODE_SPAN = re.compile(r'(`+).*?\1')
INLINE = re.compile(r'!?\[(?:[^\[\]]|\[[^\]]*\])*\]\(\s*<?([^()\s>]*(?:\([^()\s]*\)[^()\s>]*)*)>?(?:\s+"[^"]*")?\s*\)')
REFERENCE = re.compile(r'^\s{0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s+.*)?$')
HTML_TARGET = re.compile(r'<(?:a|img)\s[^>]*?(?:href|src)="([^"]+)"', re.I)
HTML_ANCHOR = re.compile(r'<[a-z]+\s[^>]*?(?:id|name)="([^"]+)"', re.I)
HEADING = re.compile(r'^\s{0,3}(#{1,6})\s+(.*?)\s*#*\s*$')


def prose_lines(path):
    """The page's lines outside fenced and indented code blocks, with code spans blanked."""
    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    fenced = False
    previous_blank = True
    in_indented = False
    for number, line in enumerate(lines, 1):
        if FENCE.match(line):
            fenced = not fenced
            continue
        if fenced:
            continue
        blank = not line.strip()
        if line.startswith(('    ', '\t')) and (previous_blank or in_indented) and not re.match(r'\s*([-*+]|\d+\.)\s', line):
            in_indented = True
            previous_blank = blank
            continue
        in_indented = in_indented and blank
        previous_blank = blank
        yield number, CODE_SPAN.sub('', line)


def slug(text):
    """GitHub's anchor of a heading: the visible text, lower case, without
    punctuation, spaces made hyphens."""
    text = re.sub(r'!?\[([^\]]*)\]\([^)]*\)', r'\1', text)
    text = re.sub(r'<[^>]+>', '', text)
    text = text.replace('`', '')
    text = text.strip().lower()
    text = re.sub(r'[^\w\- ]', '', text)
    return text.replace(' ', '-')


anchors_cache = {}


def anchors(path):
    if path not in anchors_cache:
        found = set()
        seen = {}
        for _, line in prose_lines(path):
            m = HEADING.match(line)
            if m:
                base = slug(m.group(2))
                count = seen.get(base, 0)
                seen[base] = count + 1
                found.add(base if count == 0 else f'{base}-{count}')
            found.update(HTML_ANCHOR.findall(line))
        anchors_cache[path] = found
    return anchors_cache[path]


def pages(root):
    for name in sorted(os.listdir(root)):
        if name.endswith('.md'):
            yield os.path.join(root, name)
    for folder, dirs, files in os.walk(os.path.join(root, 'docs')):
        dirs.sort()
        for name in sorted(files):
            if name.endswith('.md'):
                yield os.path.join(folder, name)


def check(page):
    broken = []
    for number, line in prose_lines(page):
        targets = INLINE.findall(line) + HTML_TARGET.findall(line)
        m = REFERENCE.match(line)
        if m:
            targets.append(m.group(1))
        for target in targets:
            where = f'{os.path.relpath(page, ROOT)}:{number}: {target}'
            if not target:
                broken.append(f'{where}(empty link)')
                continue
            if re.match(r'^[a-z][a-z0-9+.-]*:', target, re.I):
                continue  # http:, https:, mailto: and the like
            file_part, _, fragment = target.partition('#')
            file_part = urllib.parse.unquote(file_part)
            if file_part.startswith('/'):
                broken.append(f'{where} (absolute path: GitHub reads it from the site root)')
                continue
            dest = os.path.normpath(os.path.join(os.path.dirname(page), file_part)) if file_part else page
            if not (dest == ROOT or dest.startswith(ROOT + os.sep)):
                broken.append(f'{where} (outside the repository)')
            elif not os.path.exists(dest):
                broken.append(f'{where} (no such file)')
            elif fragment and dest.endswith('.md') and urllib.parse.unquote(fragment) not in anchors(dest):
                broken.append(f'{where} (no such heading in {os.path.relpath(dest, ROOT)})')
    return broken


def main():
    broken = []
    count = 0
    for page in pages(ROOT):
        count += 1
        broken += check(page)
    for line in broken:
        print('broken link:', line)
    print(f'links: {count} pages checked, {len(broken)} broken')
    return 1 if broken else 0


if __name__ == '__main__':
    sys.exit(main())
