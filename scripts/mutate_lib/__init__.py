"""The stages of scripts/mutate, one module each, from the top down:

  report    the printed sample and summary, the report file, the exit status
  judge     the stages that try each mutant, what killed it, the Wine prefix
  build     the work folder and its guard, the tree copy, the mutant written into it, the builds
  select    the mutant population, the sample drawn from a seed, the equivalents list
  programs  running a program in its own process group, ended with the run by a signal

The script reads the options and calls select, build, judge and report in turn. Each module
imports only modules below it here, and none keeps state another reads: the checkout, the work
folder, the options and the results are passed from the script."""
