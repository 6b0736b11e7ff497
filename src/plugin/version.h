// The plug-in's version: the banner, the settings report, the long help, the identity record, the
// version resource and the package all read it from here, and so do the tests' expected texts.
#pragma once

#define TORVANE_VERSION_MAJOR 1
#define TORVANE_VERSION_MINOR 0
#define TORVANE_VERSION_BUILD 1
#define TORVANE_VERSION_REVISION 1

// The version as text: the three numbers the banner and the settings report show ("1.0.1"), and
// all four, as the version resource and the long help show them ("1.0.1.1").
#define TORVANE_QUOTE(x) #x
#define TORVANE_TEXT(x) TORVANE_QUOTE(x)
#define TORVANE_VERSION_TEXT                                                                       \
    TORVANE_TEXT(TORVANE_VERSION_MAJOR)                                                            \
    "." TORVANE_TEXT(TORVANE_VERSION_MINOR) "." TORVANE_TEXT(TORVANE_VERSION_BUILD)
#define TORVANE_FILE_VERSION_TEXT TORVANE_VERSION_TEXT "." TORVANE_TEXT(TORVANE_VERSION_REVISION)
