"""The stages that try a mutant (native, sanitizer, wine), each only while the mutant survives the
ones before, and what killed it: the scenario or unit test that failed, with what a sanitizer
found; the unmutated tree checked first; the Wine prefix and its server kept for the whole run.

Owns: the stages and their order, the time limits, how a check runs and names what failed, and
each mutant's outcome (killed, survived, equivalent, did not build), printed as it is known.
Needs: build for the tree copy, its builds and the mutant written into it; select for the files
only the Windows build holds and the key of the equivalents list; programs.run."""

import os
import re
import shutil
import subprocess
import sys
import time
from collections import namedtuple

from mutate_lib.build import UNIT_TESTS, Sources, remove, stage_builds
from mutate_lib.programs import run
from mutate_lib.select import WINDOWS_ONLY, key_of

STAGES = ["native", "sanitizer", "wine"]
# Seconds for one test program or one scenario; a mutant that runs longer is killed by the limit.
LIMIT = {"native": 60, "sanitizer": 120, "wine": 90}


def scenarios(tree):
    folder = os.path.join(tree, "tests", "scenarios")
    return sorted(os.path.join(folder, name) for name in os.listdir(folder)
                  if name.endswith(".txt"))


def scenario_name(path):
    return os.path.splitext(os.path.basename(path))[0]


def sanitizer_finding(output):
    """The kind of fault a sanitizer reported, in a few words; empty when none did."""
    found = re.search(r"ERROR: (AddressSanitizer|LeakSanitizer): ([\w-]+(?: [\w-]+)*)", output)
    if found:
        return f"{found.group(1)}: {found.group(2)}"
    found = re.search(r"runtime error: ([^\n]{0,60})", output)
    return f"UndefinedBehaviorSanitizer: {found.group(1)}" if found else ""


def native_check(build, env=None, limit=60):
    """What killed the tree as built in build (a scenario or a unit test), or None."""
    out = os.path.join(build.folder, "mutate-scenarios")
    remove(out)
    os.makedirs(out)
    runner = os.path.join(build.folder, "torvane_runner")
    # The scenarios first: all of them take a fraction of the unit tests' time. In the order of
    # their names, as one marked "#! after NAME" starts from the registry NAME left behind.
    for path in scenarios(build.tree):
        name = scenario_name(path)
        status, output = run([runner, path, os.path.join(out, name + ".txt")], limit, env=env)
        if status != 0:
            return f"scenario {name}" + (" (time limit)" if status is None else ""), output
    for program in UNIT_TESTS:
        status, output = run([os.path.join(build.folder, program), "--gtest_fail_fast",
                              "--gtest_brief=1"], limit, env=env)
        if status != 0:
            break
    if status == 0:
        return None, output
    failed = re.search(r"\[  FAILED  \] (\S+)", output)
    what = "unit test " + failed.group(1) if failed else "unit tests"
    return what + (" (time limit)" if status is None else ""), output


class Wine:
    """A Wine prefix of the work folder, its server kept running for the whole run, and the
    scenarios run in it against the real Torvane.dll. Before each check the settings keys are
    removed and the modifier keys released; after a check that ran out of time the server is
    restarted with the registry as wineboot left it."""

    def __init__(self, build, work):
        self.build = build
        self.work = work
        self.prefix = os.path.join(work, "wine-prefix")
        self.saved = os.path.join(work, "wine-registry")
        self.reset = os.path.join(work, "wine-reset.txt")
        self.wine = next((c for c in ("wine", "wine64") if shutil.which(c)), None)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C")
        # No display: message boxes cannot wait for a click.
        for name in ("DISPLAY", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        self.running = False

    def stop(self):
        if self.running or os.path.isdir(self.prefix):
            run(["wineserver", "-k"], 30, env=self.env)
            run(["wineserver", "-w"], 30, env=self.env)
        self.running = False

    def start(self):
        """A persistent server on the registry as wineboot left it; false when it cannot run."""
        self.stop()
        for name in os.listdir(self.saved):
            shutil.copy2(os.path.join(self.saved, name), self.prefix)
        # The server goes on in the background: it must not hold a pipe of this script open.
        subprocess.run(["wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        self.running = True
        # The first program after a server's start waits for the prefix's services.
        done = os.path.join(self.work, "wine-reset.out")
        return self.scenario(self.reset, done, False, 300)[0] == 0

    def prepare(self):
        if self.wine is None or shutil.which("script") is None:
            sys.exit("scripts/mutate: the wine stage needs wine and script (util-linux); "
                     "scripts/setup test installs them, or leave it out with "
                     "--stages native,sanitizer")
        self.stop()
        remove(self.prefix)
        status, output = run([self.wine, "wineboot", "--init"], 600, env=self.env)
        # wineboot returns before the prefix's set-up has ended (setupapi, a second wineboot):
        # the registry is saved once the server has nothing left to run, not cut off.
        if status == 0:
            run(["wineserver", "-w"], 120, env=self.env)
        self.stop()
        if status != 0:
            sys.exit("scripts/mutate: cannot make the Wine prefix\n" + output)
        remove(self.saved)
        os.makedirs(self.saved)
        for name in os.listdir(self.prefix):
            if name.endswith(".reg"):
                shutil.copy2(os.path.join(self.prefix, name), self.saved)
        # No settings key under either root and no modifier key held, as a fresh prefix has it.
        with open(self.reset, "w", encoding="utf-8") as f:
            f.write("> reg-clear HKCU\n> reg-clear HKLM\n> mods 0\nmods sent 3 held 0\n")
        if not self.start():
            sys.exit("scripts/mutate: the scenario runner does not run under Wine")

    def scenario(self, path, transcript, pty, limit):
        """Runs one scenario file: (exit status or None after the limit, output)."""
        runner = os.path.join(self.build.folder, "torvane_runner.exe")
        command = ["timeout", "-k", "5", str(limit), self.wine, runner, "Z:" + path,
                   "Z:" + transcript]
        if pty:
            # Inside a pseudo-terminal, where Wine gives the program a console.
            command = ["script", "-qec", " ".join(map(shlex_quote, command)), "/dev/null"]
        status, output = run(command, limit + 30, env=self.env)
        if status is not None and status >= 124:
            status = None  # stopped by timeout, or killed
        if status == 0 and not os.path.exists(transcript):
            status = 1
        return status, output

    def check(self, limit=90):
        """What killed the built DLL under Wine (a scenario), or None."""
        out = os.path.join(self.build.folder, "mutate-scenarios")
        remove(out)
        os.makedirs(out)
        if not self.running or self.scenario(self.reset, os.path.join(out, "reset.txt"), False,
                                             limit)[0] != 0:
            if not self.start():
                sys.exit("scripts/mutate: the Wine prefix cannot be reset")
        for path in scenarios(self.build.tree):
            name = scenario_name(path)
            with open(path, encoding="utf-8") as f:
                pty = "#! pty" in f.read().split("\n")
            status, output = self.scenario(path, os.path.join(out, name + ".txt"), pty, limit)
            if status is None:
                self.stop()  # a program may be left hanging: the next check starts afresh
            if status != 0:
                return f"scenario {name}" + (" (time limit)" if status is None else ""), output
        return None, ""


def shlex_quote(word):
    return word if re.fullmatch(r"[\w@%+=:,./-]+", word) else "'" + word.replace("'", "'\\''") + "'"




class Checks:
    """The builds of a run's work folder and the check of each stage on them."""

    def __init__(self, work):
        self.builds = stage_builds(work)
        self.sanitizer_env = dict(os.environ, ASAN_OPTIONS="detect_leaks=1:halt_on_error=1",
                                  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=0")
        self.wine = Wine(self.builds["wine"], work)

    def check(self, stage):
        """What killed the tree as the stage built it, or None; and the output of the check."""
        if stage == "native":
            return native_check(self.builds["native"], limit=LIMIT["native"])
        if stage == "sanitizer":
            what, output = native_check(self.builds["sanitizer"], self.sanitizer_env,
                                        LIMIT["sanitizer"])
            finding = sanitizer_finding(output)
            return (f"{what}: {finding}" if what and finding else what), output
        return self.wine.check(LIMIT["wine"])

    def check_unmutated(self, stages):
        """Ends the run unless the unmutated tree builds and passes every stage."""
        for stage in stages:
            began = time.time()
            self.builds[stage].configure()
            ok, output = self.builds[stage].build(3600)
            if not ok:
                sys.exit(f"scripts/mutate: the unmutated tree does not build ({stage})\n{output}")
            built = time.time() - began
            if stage == "wine":
                self.wine.prepare()
            began = time.time()
            what, output = self.check(stage)
            if what:
                sys.exit(f"scripts/mutate: the unmutated tree fails the {stage} stage: {what}\n"
                         + output[-3000:])
            print(f"unmutated tree: {stage} built in {built:.0f}s, checked in "
                  f"{time.time() - began:.0f}s", flush=True)

    def try_mutant(self, m, stages):
        """(outcome, the stage that ended the tries, what killed the mutant or None) of the
        mutant written into the tree: "killed" by the first stage whose check fails, "did not
        build" in the first stage that cannot build it, else "survived"."""
        outcome, stage, what = "survived", "", ""
        for stage in stages:
            if stage != "wine" and m["file"] in WINDOWS_ONLY:
                continue
            built, _ = self.builds[stage].build(1800)
            if not built:
                outcome = "did not build"
                break
            what, _ = self.check(stage)
            if what:
                outcome = "killed"
                break
        return outcome, stage, what


# What a run found: the mutants by outcome (the killed ones by stage), each tried mutant's outcome
# by id(), whether the budget stopped the run, and when the first mutant was tried.
Judged = namedtuple("Judged", "results outcomes stopped started")


def judge(work, stages, sample, equivalents, budget):
    """Checks the unmutated tree, then tries the sample's mutants one after the other in the
    tree copy until the budget (minutes, 0 for none) is spent, printing each outcome. The copy's
    sources are put back and the Wine server stopped however the run ends."""
    checks = Checks(work)
    sources = Sources(work)
    results = {"killed": {stage: [] for stage in stages}, "survived": [],
               "did not build": [], "equivalent": []}
    outcomes = {}
    stopped = False
    try:
        checks.check_unmutated(stages)
        started = time.time()
        for number, m in enumerate(sample, 1):
            if budget and time.time() - started > budget * 60:
                print(f"budget of {budget:g} minutes spent after {number - 1} mutants")
                stopped = True
                break
            began = time.time()
            sources.mutate(m)
            outcome, stage, what = checks.try_mutant(m, stages)
            if outcome == "survived" and key_of(m) in equivalents:
                outcome = "equivalent"
                m["reason"] = equivalents[key_of(m)]
            outcomes[id(m)] = outcome
            if outcome == "killed":
                results["killed"][stage].append(m)
                shown = f"killed    {stage:9}"
            else:
                results[outcome].append(m)
                shown = f"{outcome:19}"
            print(f"[{number}/{len(sample)}] {shown} {time.time() - began:4.0f}s "
                  f"{m['file']}:{m['line']} {m['mutated'].strip()}", flush=True)
            if what:
                print(f"    by {what}", flush=True)
    finally:
        sources.restore()
        if "wine" in stages:
            checks.wine.stop()
    return Judged(results, outcomes, stopped, started)
