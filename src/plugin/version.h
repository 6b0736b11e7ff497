// The plug-in's version: the banner, the settings report, the long help, the identity record, the
// version resource and the package all read it from here.
#pragma once

#define TORVANE_VERSION_MAJOR 1
#define TORVANE_VERSION_MINOR 0
#define TORVANE_VERSION_BUILD 1
#define TORVANE_VERSION_REVISION 1
