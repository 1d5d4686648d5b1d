// A provider library for tests: the engine loads it through the normal
// library path, and the test scripts its answers through the control block
// it exports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct ScriptedProviderControl {
    uint32_t supportInfo = 0x0101;
    // Answers one request block and returns its status.
    std::function<uint32_t(void *srb)> send;
    // Name of the drive at an address; empty for "unknown".
    std::function<std::string(uint8_t adapter, uint8_t target, uint8_t lun)> driveName;
    int supportInfoCalls = 0;
};

extern "C" ScriptedProviderControl *ScriptedProviderState();
using ScriptedProviderStateFn = ScriptedProviderControl *(*)();
