// Start-up state: the host's generation, found once by InitializePlugin.
#pragma once

#include <cstdint>

#include "keys/key_tables.h" // extendedKeys, which start-up sets from HostVersion

// The host's major version: 8 to 100, or 0 when the host gave no usable number.
extern int32_t HostVersion;
