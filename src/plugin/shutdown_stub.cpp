// Temporary until the lifecycle exports land.
#include "plugin/host.h"
#include "recall/recall.h"
extern "C" int ShutdownPlugin() {
    ReleaseSavedArgs();
    return 0;
}
