// Start-up: the host's generation, found once when the plug-in starts, the settings, the banner.
#pragma once

#include <cstdint>

#include "keys/key_tables.h" // extendedKeys, which start-up sets from HostVersion

// The host's major version: 8 to 100, or 0 when the host gave no usable number.
extern int32_t HostVersion;

// Finds the host's generation, loads the settings and greets the user unless told not to.
void StartPlugin();
