// Test provider library: forwards the request interface to the functions a
// test put into its control block.
#include "ScriptedProvider.h"

#include "aspi_abi.h"

#include <cstring>

extern "C" {

ScriptedProviderControl *ScriptedProviderState()
{
    static ScriptedProviderControl control;
    return &control;
}

uint32_t GetASPI32SupportInfo(void)
{
    ++ScriptedProviderState()->supportInfoCalls;
    return ScriptedProviderState()->supportInfo;
}

uint32_t SendASPI32Command(void *srb)
{
    auto &send = ScriptedProviderState()->send;
    if (!send) {
        static_cast<ZvSrbHeader *>(srb)->status = ZV_SS_NO_DEVICE;
        return ZV_SS_NO_DEVICE;
    }
    return send(srb);
}

uint32_t GetASPI32DriveName(uint8_t adapter, uint8_t target, uint8_t lun, char *buf, size_t size)
{
    auto &driveName = ScriptedProviderState()->driveName;
    const std::string name = driveName ? driveName(adapter, target, lun) : std::string();
    if (name.empty() || size == 0)
        return ZV_SS_NO_DEVICE;
    const size_t length = name.size() < size - 1 ? name.size() : size - 1;
    std::memcpy(buf, name.data(), length);
    buf[length] = '\0';
    return ZV_SS_COMP;
}

} // extern "C"
