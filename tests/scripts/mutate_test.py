#!/usr/bin/env python3
"""scripts/mutate without building: its exit status, the work folders it refuses, the tree copy
(what it holds, and next to links), and its programs ended with it by a signal."""

import ast
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "mutate")

# The script's modules, imported as it imports them: no cache of them is written into the checkout.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "scripts"))
from mutate_lib import build, report  # noqa: E402


def running(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


class MutateTest(unittest.TestCase):
    def test_exit_status(self):
        below = "the kill rate is below the goal of 95 %"
        for killed, survived, files, expected in [
            (19, 1, [], (0, "")),  # exactly the goal
            (18, 1, [], (1, below)),
            (1899, 100, [], (1, below)),  # 94.95 %, printed as 95.0 %
            (0, 0, [], (0, "")),  # nothing that counts
            (99, 1, ["src/keys"], (1, "1 mutant of the files asked for survived")),
        ]:
            self.assertEqual(report.verdict(killed, survived, files), expected,
                             (killed, survived, files))

    def test_work_folders(self):
        with tempfile.TemporaryDirectory() as top:
            checkout = os.path.join(top, "tree")
            os.makedirs(os.path.join(checkout, "src"))
            os.symlink(os.path.join(checkout, "src"), os.path.join(top, "link"))
            inside = "it is inside src/, which the run copies into it; give a folder outside src/"
            for work, expected in [
                ("tree/src/a", inside + " (build/mutate-2, say)"),
                ("link", inside + " (build/mutate-2, say)"),
                (".", f"the run would put its tree over this checkout, {checkout}"),
                ("tree/srcs", None),
                ("tree/build/mutate", None),
            ]:
                self.assertEqual(build.work_folder_problem(os.path.join(top, work), checkout),
                                 expected, work)

    def test_command_line(self):
        for arguments, status, expected in [
            (["--help"], 0, "\n  wine       the scenarios against the real Torvane.dll under"),
            (["--work", "tests/mutate-work", "--list"], 2,
             "mutate: error: --work tests/mutate-work: it is inside tests/, which the run copies "
             "into it; give a folder outside cmake/, src/, standins/, host/, console/, tests/, "
             "bench/, fuzz/ (build/mutate-2, say)\n"),
        ]:
            done = subprocess.run([SCRIPT] + arguments, cwd=ROOT, capture_output=True, text=True,
                                  timeout=60)
            self.assertEqual(done.returncode, status, arguments)
            self.assertIn(expected, done.stdout + done.stderr, arguments)

    def test_copy_holds_what_the_tests_read(self):
        # A test that reads a file of the checkout beside tests/ fails on the unmutated copy, and
        # so stops every run, unless the copy holds that file.
        read = set()
        for folder, _, names in os.walk(os.path.join(ROOT, "tests")):
            for name in (n for n in names if n.endswith((".cpp", ".h"))):
                with open(os.path.join(folder, name), encoding="utf-8") as f:
                    read.update(re.findall(r'TORVANE_TESTS_DIR "/\.\./([^/"]+)', f.read()))
        self.assertIn("README.md", read)
        self.assertEqual(sorted(read - set(build.TREE_PARTS)), [])

    def test_modules_import_one_way_down(self):
        order = ["report", "judge", "build", "select", "programs"]  # from the top down
        found = []
        for name in order:
            with open(os.path.join(ROOT, "scripts", "mutate_lib", name + ".py")) as f:
                tree = ast.parse(f.read())
            for node in ast.walk(tree):
                if isinstance(node, ast.ImportFrom) and node.module == "mutate_lib":
                    found += [(name, alias.name) for alias in node.names]
                elif isinstance(node, ast.ImportFrom) and node.module.startswith("mutate_lib."):
                    found.append((name, node.module.split(".")[1]))
                elif isinstance(node, ast.Import):
                    found += [(name, alias.name.split(".")[1]) for alias in node.names
                              if alias.name.startswith("mutate_lib.")]
        self.assertIn(("judge", "build"), found)
        self.assertEqual([(a, b) for a, b in found if order.index(b) <= order.index(a)], [])

    def test_copy_follows_no_link(self):
        with tempfile.TemporaryDirectory() as top:
            source, target, elsewhere = (os.path.join(top, n) for n in ("source", "target", "x"))
            for folder in (source, target, os.path.join(elsewhere, "kept")):
                os.makedirs(folder)
            files = {"source/file": "new", "x/victim": "victim", "x/kept/a": "a"}
            for name, text in files.items():
                with open(os.path.join(top, name), "w") as f:
                    f.write(text)
            os.symlink("file", os.path.join(source, "relative"))
            os.mkdir(os.path.join(source, "folder"))
            # Where the copy goes: a link to a file, one in place of a folder, one to remove.
            os.symlink(os.path.join(elsewhere, "victim"), os.path.join(target, "file"))
            os.symlink(elsewhere, os.path.join(target, "folder"))
            os.symlink(os.path.join(elsewhere, "kept"), os.path.join(target, "gone"))
            build.sync(source, target)
            for name, text in files.items():
                with open(os.path.join(top, name)) as f:
                    self.assertEqual(f.read(), text, name)
            self.assertEqual([(n, os.path.islink(os.path.join(target, n)))
                              for n in sorted(os.listdir(target))],
                             [("file", False), ("folder", False), ("relative", True)])
            self.assertEqual(os.readlink(os.path.join(target, "relative")), "file")

    def test_signal_ends_the_programs_started(self):
        with tempfile.TemporaryDirectory() as top:
            pid_file = os.path.join(top, "pid")
            child = subprocess.Popen([sys.executable, "-B", "-c", f"""
import signal, sys
sys.path.insert(0, {os.path.join(ROOT, "scripts")!r})
from mutate_lib import programs
signal.signal(signal.SIGTERM, programs.ended)
programs.run(["sh", "-c", "sleep 120 & echo $! >{pid_file}.part; mv {pid_file}.part {pid_file}; "
              "wait"], 300)
"""])
            deadline = time.time() + 30
            while not os.path.exists(pid_file) and time.time() < deadline:
                time.sleep(0.05)
            with open(pid_file) as f:
                grandchild = int(f.read())
            child.send_signal(signal.SIGTERM)
            self.assertEqual(child.wait(timeout=30), 128 + signal.SIGTERM)
            deadline = time.time() + 5
            while running(grandchild) and time.time() < deadline:
                time.sleep(0.05)
            self.assertFalse(running(grandchild))


if __name__ == "__main__":
    unittest.main()
