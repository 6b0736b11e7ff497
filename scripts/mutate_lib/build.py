"""The work folder of a run (build/mutate unless --work names another): the guard that refuses a
folder where the run would copy the tree into itself or over the checkout, the copy of the tree
in it (refreshed at every run, following no link), the mutant written into that copy and taken
out again, and the build folders made from it.

Owns: which parts of the checkout are copied, what the run makes in its work folder, and how each
stage's tree is configured and built.
Needs: programs.run for cmake; the checkout's folder and the work folder are passed in."""

import os
import shutil
import sys

from mutate_lib.programs import run

# What the builds and the tests need from the worktree (a unit test holds README.md to the
# program); the copy is refreshed from it at every run.
TREE_PARTS = ["CMakeLists.txt", "CMakePresets.json", "README.md", "cmake", "src", "standins",
              "host", "console", "tests", "bench", "fuzz"]
# What a run makes in its work folder besides the build folders: a link found in one of these
# places is removed, never written through.
WORK_ENTRIES = ["tree", "native", "sanitizer", "windows", "wine-prefix", "wine-registry",
                "wine-reset.txt", "wine-reset.out"]


def tree_folder(work):
    """The copy of the tree in the work folder, where the mutants are written and built."""
    return os.path.join(work, "tree")


def remove(path):
    """Removes a file, a link (not what it points to) or a folder with everything in it."""
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path)  # which removes the links inside and follows none
    elif os.path.lexists(path):
        os.remove(path)


def sync(source, target):
    """Makes target hold what source holds, writing only the files that differ. A link is copied
    as a link and one in target is replaced, never followed: nothing outside target is written to
    or removed."""
    if os.path.islink(source):
        link = os.readlink(source)
        if not os.path.islink(target) or os.readlink(target) != link:
            remove(target)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            os.symlink(link, target)
        return
    if not os.path.isdir(source):
        with open(source, "rb") as f:
            data = f.read()
        if os.path.islink(target) or os.path.isdir(target):
            remove(target)
        if not os.path.exists(target) or open(target, "rb").read() != data:
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as f:
                f.write(data)
        return
    if os.path.islink(target) or (os.path.lexists(target) and not os.path.isdir(target)):
        remove(target)
    os.makedirs(target, exist_ok=True)
    names = set(os.listdir(source))
    for name in os.listdir(target):
        if name not in names:
            remove(os.path.join(target, name))
    for name in names:
        sync(os.path.join(source, name), os.path.join(target, name))


def inside(path, folder):
    return path == folder or path.startswith(folder.rstrip(os.sep) + os.sep)


def work_folder_problem(work, root):
    """Why the run must not use the folder work, or None: it lies in a part of the tree that the
    run copies into it (which would copy itself, level after level), or the checkout root lies
    where the run writes its copy or its builds. Links on either path are followed to compare
    them."""
    real_work, real_root = os.path.realpath(work), os.path.realpath(root)
    folders = [p for p in TREE_PARTS if os.path.isdir(os.path.join(root, p))]
    for part in TREE_PARTS:
        if inside(real_work, os.path.realpath(os.path.join(root, part))):
            shown = part + "/" if part in folders else part
            return (f"it is inside {shown}, which the run copies into it; give a folder outside " +
                    ", ".join(p + "/" for p in folders) + " (build/mutate-2, say)")
    for name in WORK_ENTRIES:
        if inside(real_root, os.path.join(real_work, name)):
            return f"the run would put its {name} over this checkout, {root}"
    return None


def refresh_tree(root, work):
    """Makes the copy in work hold what the checkout's parts hold now, after removing any link
    where the run writes."""
    for name in WORK_ENTRIES:
        if os.path.islink(os.path.join(work, name)):
            os.remove(os.path.join(work, name))
    for part in TREE_PARTS:
        sync(os.path.join(root, part), os.path.join(tree_folder(work), part))


class Sources:
    """The sources of the tree copy: a mutant written into its file, and the file put back as it
    was before the next file's mutant or at the end of the run."""

    def __init__(self, work):
        self.tree = tree_folder(work)
        self.originals = {}

    def mutate(self, m):
        path = os.path.join(self.tree, m["file"])
        if m["file"] not in self.originals:
            self.restore()
            with open(path, encoding="utf-8") as f:
                self.originals[m["file"]] = f.read()
        lines = self.originals[m["file"]].split("\n")
        lines[m["line"] - 1] = m["mutated"]
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))

    def restore(self):
        for relative, text in self.originals.items():
            with open(os.path.join(self.tree, relative), "w", encoding="utf-8") as f:
                f.write(text)
        self.originals.clear()


class Build:
    """One build folder of the tree copy in the work folder, made with Ninja."""

    def __init__(self, work, name, options, targets):
        self.tree = tree_folder(work)
        self.folder = os.path.join(work, name)
        self.options = options
        self.targets = targets

    def configure(self):
        status, output = run(["cmake", "-S", self.tree, "-B", self.folder, "-G", "Ninja"] +
                             self.options, 600)
        if status != 0:
            sys.exit(f"scripts/mutate: cannot configure {self.folder}\n{output}")

    def build(self, limit):
        status, output = run(["cmake", "--build", self.folder, "-j2", "--target"] + self.targets,
                             limit)
        return status == 0, output


# The unit test programs that link what src/ builds, one per folder of tests/, the plug-in's own
# first: a mutant is most often killed there.
UNIT_TESTS = ["torvane_plugin_tests", "torvane_standins_tests", "torvane_console_terminal_tests",
              "torvane_console_session_tests", "torvane_console_drivers_tests",
              "torvane_console_options_tests", "torvane_readme_tests"]


def stage_builds(work):
    """The build of each stage, by stage name. The optimisation of the native and sanitize presets
    without their debug information, which only slows the link every mutant needs; only the
    test programs are built. The sanitizer stage makes the checks of the sanitize preset, which
    TORVANE_SANITIZE names in one place."""
    toolchain = os.path.join(tree_folder(work), "cmake", "mingw-w64-x86_64.cmake")
    return {
        "native": Build(work, "native", ["-DCMAKE_BUILD_TYPE=None", "-DCMAKE_CXX_FLAGS=-O2",
                                         "-DCMAKE_CXX_COMPILER=g++"],
                        UNIT_TESTS + ["torvane_runner"]),
        "sanitizer": Build(work, "sanitizer", ["-DCMAKE_BUILD_TYPE=None",
                                               "-DCMAKE_CXX_FLAGS=-O0",
                                               "-DCMAKE_CXX_COMPILER=g++", "-DTORVANE_SANITIZE=ON"],
                           UNIT_TESTS + ["torvane_runner"]),
        "wine": Build(work, "windows", ["-DCMAKE_BUILD_TYPE=Release",
                                        "-DCMAKE_TOOLCHAIN_FILE=" + toolchain],
                      ["Torvane", "TakeCmd", "torvane_runner"]),
    }
