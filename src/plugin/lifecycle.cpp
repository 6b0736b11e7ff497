#include "plugin/lifecycle.h"

int32_t HostVersion = 0;
bool extendedKeys = false;
