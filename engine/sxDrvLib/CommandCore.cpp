// The command core: every SCSI command of the engine passes through here.
#include "sxDrvLib/ScsiDevice.h"

#include "sxASPI/Transport.h"
#include "sxConst/EngineTexts.h"
#include "sxDrvLib/CommandTrace.h"
#include "sxDrvLib/CompletionEvent.h"
#include "sxDrvLib/RequestErrorText.h"
#include "sxDrvLib/SenseData.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace zelvane {
namespace {

// Full tracing (every command, with the time) is a build-time switch.
constexpr bool kFullTrace = false;

std::string TimePiece()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%02d:%02d:%03d ", local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return buffer;
}

} // namespace

uint8_t TSCSIDevice::Execute(ZvSrbExec &srb, uint32_t timeoutMs)
{
    lastErrorText_.clear();
    busy_ = false;
    lastSense_.fill(0);
    if (!aspi::IsInitialized() || adapter_ == kNoDeviceAddress)
        return ZV_SS_ILLEGAL_MODE;

    std::unique_ptr<CompletionEvent> completion;
    srb.completion = nullptr;
    if (srb.flags & ZV_SRB_EVENT_NOTIFY) {
        completion = std::make_unique<CompletionEvent>();
        srb.completion = completion->Abi();
    }
    srb.command = ZV_SC_EXEC_SCSI_CMD;
    srb.target = target_;
    srb.adapter = adapter_;
    srb.lun = lun_;
    srb.sense_length = ZV_SENSE_LEN;
    srb.cdb[1] = static_cast<uint8_t>((srb.cdb[1] & 0x1F) | (lun_ << 5));

    const uint32_t submitted = aspi::SendCommand(&srb);

    // A provider that answers "pending" finishes later and signals. The wait
    // is never shorter than the minimum, whatever the command asked for.
    bool expired = false;
    if (submitted == ZV_SS_PENDING) {
        if (completion) {
            const std::chrono::milliseconds asked(std::max(timeoutMs, kMinimumCompletionWaitMs));
            const auto limit = waitPolicy_ ? waitPolicy_(asked) : asked;
            expired = !completion->WaitFor(limit);
        } else {
            expired = true;  // nothing to wait on
        }
    }
    if (expired || srb.status == ZV_SS_PENDING) {
        // No completion within the wait: the request counts as timed out and
        // the provider must not touch the block any more. No abort is sent.
        srb.status = ZV_SS_ERR;
        srb.ha_status = ZV_HASTAT_TIMEOUT;
    }
    if (expired && completion)
        CompletionEvent::Abandon(std::move(completion));

    if (srb.status != ZV_SS_COMP) {
        // Everything after this reads the fixed layout of the sense data.
        NormalizeSense(srb.sense);
        RecordFailure(srb);
    }
    TraceCommand(srb);

    if (reinterpret_cast<uintptr_t>(srb.data) % 4 != 0) {
        EmitDebug(std::string(texts::kMisalignedBuffer) +
                      std::to_string(reinterpret_cast<uintptr_t>(srb.data)),
                  0);
    }
    return ZV_SS_COMP;
}

void TSCSIDevice::RecordFailure(const ZvSrbExec &srb)
{
    std::memcpy(lastSense_.data(), srb.sense, lastSense_.size());
    RequestError error =
        DescribeFailedRequest(srb.status, srb.ha_status, srb.target_status, lastSense_);
    lastErrorText_ = std::move(error.text);
    busy_ = error.targetBusy;
}

void TSCSIDevice::TraceCommand(const ZvSrbExec &srb)
{
    if constexpr (kFullTrace) {
        EmitDebug(FormatTraceLine(srb, lastErrorText_, TimePiece()), 0);
        return;
    }
    // One trace per device: the first failure that is not routine.
    if (traceShotUsed_ || !IsTracedFailure(srb))
        return;
    traceShotUsed_ = true;
    EmitDebug(FormatTraceLine(srb, lastErrorText_, {}), 0);
}

} // namespace zelvane
