// Start-up: the host's generation, found once when the plug-in starts, the settings, the banner.
#pragma once

#include <cstdint>

// The host's major version, kLowestUsableHostVersion to kHighestUsableHostVersion (plugin/host.h),
// or 0 when the host gave no usable number. Start-up sets extendedKeys (keys/key_tables.h) from it.
extern int32_t HostVersion;

// Finds the host's generation, loads the settings and greets the user unless told not to.
void StartPlugin();
