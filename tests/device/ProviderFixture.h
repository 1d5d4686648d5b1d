// Test fixture: the scripted provider library loaded as the transport, with
// a small bus of drives that answer INQUIRY and scripted outcomes for every
// other command.
#pragma once

#include "ScriptedProvider.h"

#include "sxASPI/Transport.h"
#include "sxDrvLib/ScsiDevice.h"
#include "sxSPTI/SptiProvider.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using Address = std::tuple<uint8_t, uint8_t, uint8_t>;
using InquiryBytes = std::array<uint8_t, 36>;

inline InquiryBytes MakeInquiry(uint8_t type, const char *vendor, const char *product,
                                const char *revision)
{
    InquiryBytes bytes{};
    bytes[0] = type;
    bytes[4] = 31;
    auto put = [&bytes](std::size_t at, std::size_t width, const char *text) {
        for (std::size_t i = 0; i < width; ++i)
            bytes[at + i] = i < std::strlen(text) ? static_cast<uint8_t>(text[i]) : ' ';
    };
    put(8, 8, vendor);
    put(16, 16, product);
    put(32, 4, revision);
    return bytes;
}

// How the scripted drive ends the next non-INQUIRY command.
struct ScriptedOutcome {
    uint8_t status = ZV_SS_COMP;
    uint8_t haStatus = 0;
    uint8_t targetStatus = 0;
    std::array<uint8_t, ZV_SENSE_AREA> sense{};
    bool neverComplete = false;          // answer "pending" and never signal
    int completeAfterMs = -1;            // answer "pending", complete on a thread
    int signalOnlyAfterMs = -1;          // answer "pending", only signal on a thread
};

inline std::array<uint8_t, ZV_SENSE_AREA> FixedSense(uint8_t key, uint8_t asc, uint8_t ascq,
                                                     uint8_t additionalLength = 10)
{
    std::array<uint8_t, ZV_SENSE_AREA> sense{};
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = additionalLength;
    sense[12] = asc;
    sense[13] = ascq;
    return sense;
}

class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        emptyRoot_ = std::filesystem::temp_directory_path() /
                     ("zelvane-empty-" + std::to_string(::getpid()));
        std::filesystem::create_directories(emptyRoot_);
        zelvane::spti::SetRoots(emptyRoot_.string(), emptyRoot_.string());

        // Holding our own reference keeps the library (and its control
        // block) loaded while the transport unloads and loads it again.
        library_ = ::dlopen(SCRIPTED_PROVIDER_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << ::dlerror();
        auto state = reinterpret_cast<ScriptedProviderStateFn>(::dlsym(library_, "ScriptedProviderState"));
        ASSERT_NE(state, nullptr);
        control_ = state();
        *control_ = ScriptedProviderControl{};
        control_->send = [this](void *srb) { return Answer(srb); };
        control_->driveName = [this](uint8_t a, uint8_t t, uint8_t l) {
            const auto found = names.find({a, t, l});
            return found == names.end() ? std::string() : found->second;
        };
        ASSERT_TRUE(zelvane::aspi::Initialize(false, SCRIPTED_PROVIDER_PATH));
    }

    void TearDown() override
    {
        for (auto &worker : workers_)
            worker.join();
        zelvane::aspi::Unload();
        if (control_)
            *control_ = ScriptedProviderControl{};
        if (library_)
            ::dlclose(library_);
        std::filesystem::remove_all(emptyRoot_);
    }

    // A device selected on the first drive of the bus.
    std::unique_ptr<zelvane::TSCSIDevice> SelectedDevice(const std::string &id = "0:0:0")
    {
        auto device = std::make_unique<zelvane::TSCSIDevice>();
        device->OnDebugMessage = [this](zelvane::TSCSIDevice *, const std::string &message,
                                        uint8_t type) { debug.push_back({message, type}); };
        device->SelectDevice(id);
        return device;
    }

    uint32_t Answer(void *request)
    {
        auto *header = static_cast<ZvSrbHeader *>(request);
        ++requestCount;
        if (header->command == ZV_SC_HA_INQUIRY) {
            auto *srb = static_cast<ZvSrbHaInquiry *>(request);
            if (srb->adapter >= adapterCount && adapterCount != 0)
                return srb->status = ZV_SS_INVALID_HA;
            srb->adapter_count = adapterCount;
            std::memcpy(srb->manager_id, "SCRIPTED MANAGER", 16);
            std::memcpy(srb->adapter_id, "  BUS ", 6);
            srb->adapter_id[6] = static_cast<char>('0' + srb->adapter);
            return srb->status = ZV_SS_COMP;
        }
        if (header->command != ZV_SC_EXEC_SCSI_CMD)
            return header->status = ZV_SS_INVALID_CMD;

        auto *srb = static_cast<ZvSrbExec *>(request);
        seen.push_back(*srb);
        const auto drive = drives.find({srb->adapter, srb->target, srb->lun});
        if (drive == drives.end())
            return srb->status = ZV_SS_NO_DEVICE;
        if (srb->cdb[0] == 0x12 && !failInquiry) {
            std::memcpy(srb->data, drive->second.data(),
                        std::min<std::size_t>(srb->data_length, drive->second.size()));
            return srb->status = ZV_SS_COMP;
        }
        const ScriptedOutcome outcome = next;
        if (outcome.neverComplete)
            return srb->status = ZV_SS_PENDING;
        auto finish = [srb, outcome] {
            srb->ha_status = outcome.haStatus;
            srb->target_status = outcome.targetStatus;
            std::memcpy(srb->sense, outcome.sense.data(), outcome.sense.size());
            srb->status = outcome.status;
        };
        if (outcome.signalOnlyAfterMs >= 0) {
            // A provider that is late: once the wait has expired it must not
            // touch the block, but its completion signal may still come.
            ZvCompletion *completion = srb->completion;
            workers_.emplace_back([completion, delay = outcome.signalOnlyAfterMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                completion->signal(completion);
            });
            return srb->status = ZV_SS_PENDING;
        }
        if (outcome.completeAfterMs >= 0) {
            srb->status = ZV_SS_PENDING;
            ZvCompletion *completion = srb->completion;
            workers_.emplace_back([finish, completion, delay = outcome.completeAfterMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                finish();
                completion->signal(completion);
            });
            return ZV_SS_PENDING;
        }
        finish();
        return srb->status;
    }

    // Sends a command with the given opcode and data buffer.
    ZvSrbExec Send(zelvane::TSCSIDevice &device, uint8_t opcode, std::vector<uint8_t> *data = nullptr,
                   uint32_t timeoutMs = 10000)
    {
        ZvSrbExec srb{};
        srb.flags = ZV_SRB_EVENT_NOTIFY | (data ? ZV_SRB_DIR_IN : 0);
        srb.cdb_length = 10;
        srb.cdb[0] = opcode;
        if (data) {
            srb.data = data->data();
            srb.data_length = static_cast<uint32_t>(data->size());
        }
        device.Execute(srb, timeoutMs);
        return srb;
    }

    std::map<Address, InquiryBytes> drives{{{0, 0, 0}, MakeInquiry(5, "ZELVANE", "SCRIPTED DRIVE", "1.0")}};
    std::map<Address, std::string> names;
    uint8_t adapterCount = 1;
    bool failInquiry = false;
    ScriptedOutcome next;
    std::vector<ZvSrbExec> seen;
    int requestCount = 0;
    std::vector<std::pair<std::string, uint8_t>> debug;
    ScriptedProviderControl *control_ = nullptr;

private:
    void *library_ = nullptr;
    std::filesystem::path emptyRoot_;
    std::vector<std::thread> workers_;
};
