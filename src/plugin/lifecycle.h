// Start-up state: the host's generation, found once by InitializePlugin.
#pragma once

#include <cstdint>

// The host's major version: 8 to 100, or 0 when the host gave no usable number.
extern int32_t HostVersion;

// Set when HostVersion is 24 or more: selects the extended key table and name-based key reports.
extern bool extendedKeys;
