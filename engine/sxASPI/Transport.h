// The process-wide SCSI transport: either the built-in SG_IO provider or a
// provider library (libwnaspi32.so) loaded at run time. Both answer the two
// entry points of the request interface (aspi_abi.h); the device class only
// talks to them through the functions below.
//
// The transport state is shared by every device object of the process and
// is not guarded: initialise it on the main thread before commands run.
#pragma once

#include "sxASPI/aspi_abi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelvane::aspi {

// Makes one transport active. With preferSpti the built-in provider is tried
// first when it finds at least one drive; otherwise (or when it finds none)
// the provider library is loaded: libraryPath when not empty, then
// libwnaspi32.so beside the running program, then the dynamic loader's
// search path. When no library can be used the built-in provider is the
// fallback. Returns whether a transport is active.
bool Initialize(bool preferSpti, const std::string &libraryPath);

// Unloads the active transport and initialises again with the remembered
// preference and no library path. Built-in drive handles are opened afresh.
bool Reinitialize();

// Frees the provider library (if any) and deactivates the transport.
void Unload();

bool IsInitialized();

// "WNASPI32.DLL" for the library, "SXASPI32" for the built-in provider,
// empty when none is active.
std::string ProviderName();

// True when the active transport is the built-in SG_IO provider.
bool IsBuiltinActive();

// Entry points of the active transport. Without one, support info answers
// ZV_SS_NO_ASPI in its status byte and a command is refused with
// ZV_SS_NO_ASPI.
uint32_t GetSupportInfo();
uint32_t SendCommand(void *srb);

// Name of a drive as the provider library tells it (optional export
// GetASPI32DriveName), or as the built-in provider knows it (its device
// path). Empty when unknown.
std::string DriveName(uint8_t adapter, uint8_t target, uint8_t lun);

// Built-in provider only: close a drive's handle after each request.
void SetCloseAfterCommand(bool on);

// Why the last initialisation could not use a provider library (for the
// debug log); empty when it could or did not try.
std::string LastLoadMessage();

// The library files tried for a given path, in order.
std::vector<std::string> LibraryCandidates(const std::string &libraryPath);

} // namespace zelvane::aspi
