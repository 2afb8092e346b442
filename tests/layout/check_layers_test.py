#!/usr/bin/env python3
"""The layer check on small fixture trees: a clean tree passes; an include against the layer order, a window
including the main window, an include of the tests and an include circle fail, each naming where."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts', 'check_layers.py')


def make_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'w', encoding='utf-8') as f:
            f.write(text)


CLEAN = {
    'platform/clock.h': '#pragma once\n',
    'platform/widgets/box.h': '#include "platform/clock.h"\n',
    'transport/net/socket.h': '#include "platform/clock.h"\n#include <QString>\n',
    'transport/smtp/client.h': '#include "transport/net/socket.h"\n',
    'core/base/host.h': '#include "platform/widgets/box.h"\n',
    'core/project/files.cpp': '#include "core/base/host.h"\n#include "transport/smtp/client.h"\n',
    'core/sending/window.cpp': '#include "core/project/files.cpp"\n',
    'core/frame/main_form.h': '#include "core/sending/window.cpp"\n',
    'lists/editor.cpp': '#include "core/sending/window.cpp"\n',
    'app/main.cpp': '#include "core/frame/main_form.h"\n#include "lists/editor.cpp"\n',
}


class CheckLayersTest(unittest.TestCase):
    def run_checker(self, extra):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, {**CLEAN, **extra})
            done = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
            return done.returncode, done.stdout

    def test_clean_tree_passes(self):
        code, out = self.run_checker({})
        self.assertEqual(code, 0, out)

    def test_breaches_fail_naming_file_and_line(self):
        cases = [
            ('upward', 'core/base/late.cpp', '// x\n#include "core/sending/window.cpp"\n',
             'core/base/late.cpp:2: core/base may not include core/sending/window.cpp'),
            ('main_window', 'core/dialogs/about.cpp', '#include "core/frame/main_form.h"\n',
             'core/dialogs/about.cpp:1: core/dialogs may not include core/frame/main_form.h'),
            ('side_layers', 'core/logs/log.cpp', '#include "core/schedule/task.h"\n',
             'core/logs/log.cpp:1: core/logs may not include core/schedule/task.h'),
            ('lists_editor', 'lists/tool.cpp', '#include "core/frame/main_form.h"\n',
             'lists/tool.cpp:1: lists may not include core/frame/main_form.h'),
            ('transport_up', 'transport/net/dns.cpp', '#include "core/base/host.h"\n',
             'transport/net/dns.cpp:1: transport/net may not include core/base/host.h'),
            ('dbase_widgets', 'dbase/table.cpp', '#include "platform/widgets/box.h"\n',
             'dbase/table.cpp:1: dbase may not include platform/widgets/box.h'),
        ]
        for name, path, text, expected in cases:
            with self.subTest(name):
                files = {path: text, 'core/schedule/task.h': '#pragma once\n'}
                code, out = self.run_checker(files)
                self.assertEqual(code, 1, out)
                self.assertIn(expected, out)

    def test_include_circle_fails(self):
        code, out = self.run_checker({
            'core/project/a.h': '#include "core/project/b.h"\n',
            'core/project/b.h': '#include "core/project/a.h"\n',
        })
        self.assertEqual(code, 1, out)
        self.assertIn('include circle: core/project/a -> core/project/b', out)

    def test_header_and_source_of_one_class_are_no_circle(self):
        code, out = self.run_checker({
            'core/project/a.h': '#pragma once\n',
            'core/project/a.cpp': '#include "core/project/a.h"\n',
        })
        self.assertEqual(code, 0, out)


if __name__ == '__main__':
    unittest.main()
