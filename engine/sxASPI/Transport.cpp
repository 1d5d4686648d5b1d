// The process-wide transport: which provider answers the request interface.
#include "sxASPI/Transport.h"

#include "sxConst/EngineTexts.h"
#include "sxSPTI/SptiProvider.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace zelvane::aspi {
namespace {

struct LibraryCloser {
    void operator()(void *handle) const { ::dlclose(handle); }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

struct TransportState {
    bool initialized = false;
    bool builtin = false;
    bool preferSpti = false;
    std::string providerName;
    LibraryHandle library;
    ZvGetSupportInfoFn supportInfo = nullptr;
    ZvSendCommandFn sendCommand = nullptr;
    ZvGetDriveNameFn driveName = nullptr;
    std::string lastLoadMessage;
};

TransportState &State()
{
    static TransportState state;
    return state;
}

// Whether the built-in provider's table holds at least one drive (the scan
// itself runs only once until the table is released).
bool BuiltinHasDrives()
{
    spti::Scan();
    return spti::AdapterCount() > 0;
}

void ActivateBuiltin(TransportState &state)
{
    state.initialized = true;
    state.builtin = true;
    state.providerName = std::string(texts::kBuiltinProviderName);
    state.supportInfo = &spti::GetSupportInfo;
    state.sendCommand = &spti::SendCommand;
    state.driveName = nullptr;
}

std::string Format(std::string_view pattern, const std::string &first, const std::string &second)
{
    std::string text(pattern);
    for (const std::string *value : {&first, &second}) {
        const auto at = text.find("%s");
        if (at == std::string::npos)
            break;
        text.replace(at, 2, *value);
    }
    return text;
}

// Loads the first provider library that exists. A library that lacks one
// of the two entry points is not used: the transport stays inactive and the
// reason is kept for the debug log.
bool LoadLibraryProvider(TransportState &state, const std::string &libraryPath)
{
    for (const std::string &candidate : LibraryCandidates(libraryPath)) {
        LibraryHandle handle(::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL));
        if (!handle)
            continue;
        auto supportInfo =
            reinterpret_cast<ZvGetSupportInfoFn>(::dlsym(handle.get(), ZV_ENTRY_SUPPORT_INFO));
        auto sendCommand =
            reinterpret_cast<ZvSendCommandFn>(::dlsym(handle.get(), ZV_ENTRY_SEND_COMMAND));
        if (!supportInfo || !sendCommand) {
            state.lastLoadMessage = Format(texts::kProviderMissingEntry, candidate,
                                           supportInfo ? ZV_ENTRY_SEND_COMMAND : ZV_ENTRY_SUPPORT_INFO);
            return false;
        }
        state.driveName =
            reinterpret_cast<ZvGetDriveNameFn>(::dlsym(handle.get(), ZV_ENTRY_DRIVE_NAME));
        state.supportInfo = supportInfo;
        state.sendCommand = sendCommand;
        state.library = std::move(handle);
        state.initialized = true;
        state.builtin = false;
        state.providerName = std::string(texts::kLibraryProviderName);
        return true;
    }
    return false;
}

} // namespace

std::vector<std::string> LibraryCandidates(const std::string &libraryPath)
{
    std::vector<std::string> candidates;
    if (!libraryPath.empty())
        candidates.push_back(libraryPath);
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        candidates.push_back((program.parent_path() / ZV_PROVIDER_LIBRARY).string());
    candidates.push_back(ZV_PROVIDER_LIBRARY);
    return candidates;
}

bool Initialize(bool preferSpti, const std::string &libraryPath)
{
    TransportState &state = State();
    if (state.initialized)
        Unload();
    state.lastLoadMessage.clear();

    if (preferSpti && BuiltinHasDrives())
        ActivateBuiltin(state);
    if (!state.initialized)
        LoadLibraryProvider(state, libraryPath);
    if (!state.initialized && BuiltinHasDrives())
        ActivateBuiltin(state);
    if (state.initialized)
        state.supportInfo();
    state.preferSpti = preferSpti;
    return state.initialized;
}

bool Reinitialize()
{
    TransportState &state = State();
    if (state.initialized && state.builtin) {
        state.initialized = false;
        spti::Release();
    }
    Unload();
    return Initialize(state.preferSpti, std::string());
}

void Unload()
{
    TransportState &state = State();
    state.library.reset();
    state.initialized = false;
    state.builtin = false;
    state.providerName.clear();
    state.supportInfo = nullptr;
    state.sendCommand = nullptr;
    state.driveName = nullptr;
}

bool IsInitialized()
{
    return State().initialized;
}

std::string ProviderName()
{
    return State().providerName;
}

bool IsBuiltinActive()
{
    return State().initialized && State().builtin;
}

uint32_t GetSupportInfo()
{
    const TransportState &state = State();
    if (!state.initialized)
        return static_cast<uint32_t>(ZV_SS_NO_ASPI) << 8;
    return state.supportInfo();
}

uint32_t SendCommand(void *srb)
{
    const TransportState &state = State();
    if (!state.initialized)
        return ZV_SS_NO_ASPI;
    return state.sendCommand(srb);
}

std::string DriveName(uint8_t adapter, uint8_t target, uint8_t lun)
{
    const TransportState &state = State();
    if (!state.initialized)
        return {};
    if (state.builtin)
        return spti::DrivePath(adapter, target, lun);
    if (!state.driveName)
        return {};
    char name[256] = {};
    if (state.driveName(adapter, target, lun, name, sizeof(name)) != ZV_SS_COMP)
        return {};
    return std::string(name, ::strnlen(name, sizeof(name) - 1));
}

void SetCloseAfterCommand(bool on)
{
    spti::SetCloseAfterCommand(on);
}

std::string LastLoadMessage()
{
    return State().lastLoadMessage;
}

} // namespace zelvane::aspi
