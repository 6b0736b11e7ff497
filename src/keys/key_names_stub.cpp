// Temporary: replaced by the key tables.
#include "keys/key_names.h"
int32_t ParseExtendedKeyName(const char16_t*) { return 0; }
