// The command lines the console runs once the session hands them back. It is a stand-in for the
// host, not a shell: it knows the plug-in's command, help and usage, host variables, echo, cls and
// exit, and shows every other line as not run.
#pragma once

#include <string>

#include "console/session/session.h"

// Runs one command line as the host would run it; then shows what the plug-in showed beside its
// output meanwhile.
void RunCommandLine(Session& session, const std::u16string& line);

// The built-in commands by name, in the order help lists them: "torvane, help torvane, ...".
std::u16string BuiltInCommandNames();
