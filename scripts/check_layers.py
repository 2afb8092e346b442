#!/usr/bin/env python3
"""Layer check: every #include "..." of the program's sources must point to a folder its own folder may use,
and no two modules may include each other in a circle. Prints each breach as FILE:LINE and exits 1.

Usage: check_layers.py [ROOT]   (ROOT: the source tree, default the folder above this script)
"""
import os
import re
import sys

# Folder -> the folders it may include (besides itself). The most specific folder of a file holds.
CORE_BELOW = ['platform', 'platform/widgets', 'transport', 'controls']
CORE_ORDER = [
    ('core/base', []),
    ('core/settings', ['core/base']),
    ('core/language', ['core/base', 'core/settings']),
    ('core/dialogs', ['core/base', 'core/settings', 'core/language']),
    ('core/project', ['core/base', 'core/settings', 'core/language', 'core/dialogs']),
]
PROJECT_AND_BELOW = ['core/base', 'core/settings', 'core/language', 'core/dialogs', 'core/project']
SIDE_LAYERS = ['core/preferences', 'core/schedule', 'core/verify', 'core/logs']
UP_TO_SENDING = PROJECT_AND_BELOW + SIDE_LAYERS + ['core/sending']

ALLOWED = {
    'platform': [],
    'platform/widgets': ['platform'],
    'transport/net': ['platform'],
    'transport/mime': ['platform'],
    'transport/smtp': ['platform', 'transport/net', 'transport/mime'],
    'transport/pop3': ['platform', 'transport/net', 'transport/mime'],
    'dbase': ['platform'],
    'controls': ['platform', 'platform/widgets'],
    'lists': ['platform', 'platform/widgets', 'transport', 'dbase', 'controls'] + UP_TO_SENDING,
    'app': None,      # anything
    'bench': None,
    'fuzz': None,
}
for folder, below in CORE_ORDER:
    ALLOWED[folder] = CORE_BELOW + below
for folder in SIDE_LAYERS:
    ALLOWED[folder] = CORE_BELOW + PROJECT_AND_BELOW
ALLOWED['core/sending'] = CORE_BELOW + PROJECT_AND_BELOW + SIDE_LAYERS
ALLOWED['core/editor'] = CORE_BELOW + UP_TO_SENDING
ALLOWED['core/frame'] = CORE_BELOW + UP_TO_SENDING + ['core/editor']
# The web engine's module, loaded by the program on demand: it implements core/editor's engine interface and
# sees nothing else, and nothing of the program includes it.
ALLOWED['core/editor/html_engine'] = ['core/editor']

SOURCE = re.compile(r'\.(h|cpp)$')
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    """The most specific folder of the table that holds path, or None for files outside the table."""
    best = None
    for folder in ALLOWED:
        if path == folder or path.startswith(folder + '/'):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def may_include(source_folder, target):
    allowed = ALLOWED[source_folder]
    if allowed is None:
        return True
    target_folder = folder_of(target)
    if target_folder is None:
        return not target.startswith('tests/')
    if target_folder == source_folder:
        return True
    # A folder of the table names itself only; any other name ("transport") names every folder below it.
    return any(target_folder == a or (a not in ALLOWED and target_folder.startswith(a + '/')) for a in allowed)


def sources(root):
    for top in sorted({folder.split('/')[0] for folder in ALLOWED}):
        base = os.path.join(root, top)
        for folder, dirs, files in os.walk(base):
            dirs.sort()
            for name in sorted(files):
                if SOURCE.search(name):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, '/')


def includes(root, path):
    with open(os.path.join(root, path), encoding='utf-8', errors='replace') as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m and '/' in m.group(1):
                yield number, m.group(1)


# Classes split over two files that include each other: each group counts as one module.
ONE_MODULE = {
    'transport/smtp/smtp_relay_worker': 'transport/smtp/smtp_relay',   # the relay and the workers it runs
}


def module(path):
    """A class split over a header and its source is one module."""
    stem = SOURCE.sub('', path)
    return ONE_MODULE.get(stem, stem)


def circles(edges):
    """Strongly connected components with more than one module (Tarjan, iterative)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]
    for start in sorted(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return found


def check(root):
    breaches = []
    edges = {}
    for path in sources(root):
        folder = folder_of(path)
        for number, target in includes(root, path):
            if not os.path.exists(os.path.join(root, target)):
                continue   # a system or generated header
            if not may_include(folder, target):
                breaches.append(f'{path}:{number}: {folder} may not include {target}')
            if module(target) != module(path):
                edges.setdefault(module(path), set()).add(module(target))
    for component in circles(edges):
        breaches.append('include circle: ' + ' -> '.join(component))
    return breaches


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    breaches = check(root)
    for breach in breaches:
        print(breach)
    if breaches:
        print(f'layer check: {len(breaches)} breach(es)')
        return 1
    print('layer check: every include follows the layer order')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
