#include "host/console_wine.h"

const PluginDriver* WinePlugin(std::string* problem) {
    *problem = "not available yet";
    return nullptr;
}
