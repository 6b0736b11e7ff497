"""What a run tells: the sample it drew (and, for --list, each mutant of it), the summary at the
end with the kill rate beside its goal and every survivor, the per-file report (--report), and the
exit status with the reason for a 1.

Owns: the goal, the exit status, and every line printed about the sample and the results.
Needs: programs.run for git; the sample, the results and the options are passed in."""

import datetime
import time

from mutate_lib.programs import run

# The least kill rate, in per cent of the mutants that built and are not equivalent.
GOAL = 95


def git(root, *arguments):
    status, output = run(["git", "-C", root] + list(arguments), 60)
    return output.strip() if status == 0 else ""


def tested_commit(root):
    """The commit the tree copy is taken from, and whether src/ or tests/ differed from it."""
    commit = git(root, "rev-parse", "--short", "HEAD") or "unknown"
    if git(root, "status", "--porcelain", "--", "src", "tests"):
        commit += " with uncommitted changes in src/ or tests/"
    return commit


def below_goal(killed, survived):
    """Whether the kill rate is below the goal; exact, where the printed rate is rounded."""
    return 100 * killed < GOAL * (killed + survived)


def verdict(killed, survived, files):
    """The run's exit status and, when it is 1, why: the kill rate is below the goal, or a run
    of the mutants of some files (--files) left any of them alive."""
    if files and survived:
        return 1, (f"{survived} mutant{'s' if survived > 1 else ''} of the files asked for "
                   f"survived")
    if below_goal(killed, survived):
        return 1, f"the kill rate is below the goal of {GOAL} %"
    return 0, ""


def write_report(path, options, sample, population, results, outcomes, stopped):
    files = sorted({m["file"] for m in sample})
    columns = ["killed", "equivalent", "survived", "did not build"]
    table = {f: {c: 0 for c in ["mutants"] + columns} for f in files}
    for m in (m for m in sample if id(m) in outcomes):
        table[m["file"]]["mutants"] += 1
        table[m["file"]][outcomes[id(m)]] += 1
    totals = {c: sum(row[c] for row in table.values()) for c in ["mutants"] + columns}
    killed, survived = totals["killed"], totals["survived"]
    counted = killed + survived
    width = max(len("total"), *(len(f) for f in files))
    lines = [
        "# Mutation testing of src/ by scripts/mutate; refresh this file with the command below",
        "# (README.md says how long it takes).",
        "",
        "command  scripts/mutate " + " ".join(options.argv),
        "date     " + datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "commit   " + options.commit,
        "seed     " + ("none: every mutant" if options.all else str(options.seed)),
        f"mutants  {len(sample)} of {population}; stages " + ", ".join(options.stages),
    ]
    if stopped:
        lines.append(f"stopped  by the budget after {len(outcomes)} mutants")
    lines += ["", f"{'file':<{width}}  mutants  killed  equivalent  survived  did not build"]
    for f in files + ["total"]:
        row = totals if f == "total" else table[f]
        lines.append(f"{f:<{width}}  {row['mutants']:7}  {row['killed']:6}  "
                     f"{row['equivalent']:10}  {row['survived']:8}  {row['did not build']:13}")
    by_stage = ", ".join(f"{stage} {len(results['killed'][stage])}" for stage in options.stages)
    rate = 100.0 * killed / counted if counted else 0.0
    lines += ["", f"killed by stage: {by_stage}",
              f"kill rate: {rate:.1f} % ({killed} of the {counted} mutants that built and are not "
              f"equivalent); the goal is {GOAL} %"]
    if results["survived"]:
        lines += ["", "survivors:"]
        for m in results["survived"]:
            lines.append(f"  {m['file']}:{m['line']}  {m['mutated'].strip()}")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")




def print_sample(options, sample, population, stale):
    """The sample drawn, the entries of the equivalents list that match nothing, and with --list
    each mutant of the sample."""
    if options.all:
        print(f"every mutant: {len(sample)}; stages " + ", ".join(options.stages))
    else:
        print(f"{len(sample)} mutants sampled from {population} (seed {options.seed}; "
              f"--seed {options.seed} draws this sample again); stages " +
              ", ".join(options.stages))
    for k in stale:
        print(f"note: no mutant of the sources matches this line of tests/mutate-equivalent.txt "
              f"(its source line changed?): {k[0]}: {k[2]}")
    if options.list:
        for m in sample:
            print(f"  {m['file']}:{m['line']} [{m['kind']}]\n    - {m['original'].strip()}\n"
                  f"    + {m['mutated'].strip()}")


def summary(options, sample, population, judged):
    """Prints the results and writes the report asked for; the run's exit status."""
    results = judged.results
    killed = sum(len(group) for group in results["killed"].values())
    survived = len(results["survived"])
    counted = killed + survived
    by_stage = ", ".join(f"{stage} {len(results['killed'][stage])}" for stage in options.stages)
    print()
    print(f"did not build {len(results['did not build'])}, equivalent "
          f"{len(results['equivalent'])}, killed {killed} ({by_stage}), survived {survived}")
    rate = 100.0 * killed / counted if counted else 0.0
    seed = "" if options.all else f"; seed {options.seed}"
    status, why = verdict(killed, survived, options.files)
    goal = f"below the goal of {GOAL} %" if below_goal(killed, survived) else f"goal {GOAL} %"
    print(f"kill rate {rate:.1f} % ({killed} of {counted} mutants that built and are not known "
          f"to be equivalent), {goal}{seed}; {(time.time() - judged.started) / 60:.0f} minutes")
    for title, group in (("survivors", results["survived"]),
                         ("equivalent", results["equivalent"])):
        if group:
            print(f"\n{title}:")
        for m in group:
            print(f"  {m['file']}:{m['line']} [{m['kind']}]")
            print(f"    - {m['original'].strip()}")
            print(f"    + {m['mutated'].strip()}")
            if "reason" in m:
                print(f"    ({m['reason']})")
    if options.report:
        write_report(options.report, options, sample, population, results, judged.outcomes,
                     judged.stopped)
        print(f"\nreport written to {options.report}")
    if status:
        print(f"\nscripts/mutate: {why}", flush=True)
    return status
