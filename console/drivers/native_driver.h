// The plug-in of this build, called in-process over the stand-in host and the stand-ins for the
// Windows services.
#pragma once

#include <memory>

#include "console/session/driver.h"

// A driver whose host output also goes to output (nowhere else when it is empty).
std::unique_ptr<PluginDriver> MakeNativeDriver(HostOutputSink output = nullptr);
