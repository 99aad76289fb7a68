#!/usr/bin/env python3
"""Names the tests of a ctest run that failed and then passed on a repeat
(--repeat until-pass:N), from the run's Testing/Temporary/LastTest.log.

ctest's own summary counts such a test as passed; the log keeps one block per
run of a test, each ending with its result line before '"NAME" end time:'.
  ctest-retries.py LastTest.log   -> one name a line, in the order they passed
"""
import re
import sys

start = re.compile(r'^\d+/\d+ Testing: (.+)$')
runs = {}      # name -> results in run order (True: passed)
order = []
name = None
in_output = False
previous = ''
with open(sys.argv[1], encoding='utf-8', errors='replace') as log:
    for line in log:
        line = line.rstrip('\n')
        if in_output:  # the test's own output may hold anything
            in_output = line != '<end of output>'
            continue
        m = start.match(line)
        if m:
            name = m.group(1)
        elif line == 'Output:':
            in_output = True
        elif name and line.startswith(f'"{name}" end time:'):
            runs.setdefault(name, []).append(previous == 'Test Passed.')
            if name not in order:
                order.append(name)
            name = None
        previous = line

for n in order:
    results = runs[n]
    if results[-1] and not all(results):
        print(n)
