#!/usr/bin/env python3
"""Fails when files under a folder lean on each other in a circle.

A file stands for its header and its source together (plasma.h with plasma.cpp), and
it leans on every file whose header it includes. A circle means that neither file can
be read, changed or tested without the other.

    python3 check_no_cycles.py ROOT FOLDER
"""
import re
import sys
from pathlib import Path

root, folder = Path(sys.argv[1]), sys.argv[2]
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def unit(path):
    return str(path.with_suffix(''))


edges = {}
for path in sorted((root / folder).rglob('*')):
    if path.suffix not in ('.h', '.cpp'):
        continue
    me = unit(path.relative_to(root))
    for name in include.findall(path.read_text(errors='replace')):
        other = unit(Path(name))
        if other != me and other.startswith(folder + '/'):
            edges.setdefault(me, set()).add(other)

state, stack, circles = {}, [], []


def visit(node):
    state[node] = 'open'
    stack.append(node)
    for nxt in sorted(edges.get(node, ())):
        if state.get(nxt) == 'open':
            circles.append(stack[stack.index(nxt):] + [nxt])
        elif nxt not in state:
            visit(nxt)
    stack.pop()
    state[node] = 'done'


for node in sorted(edges):
    if node not in state:
        visit(node)
for circle in circles:
    print('FAIL: a circle: ' + ' -> '.join(circle))
print(f'{"FAIL" if circles else "PASS"}: {len(edges)} files of {folder}/ checked, {len(circles)} circles')
sys.exit(1 if circles else 0)
