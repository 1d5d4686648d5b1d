#include "FakeDrive.h"

#include "aspi_abi.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace fakedrive {
namespace {

struct Drive {
    std::mutex lock;
    Handler handler;
    std::vector<Request> requests;
    char vendor[9] = "ZELVANE ";
    char product[17] = "SCRIPTED DVD-RW ";
};

Drive &TheDrive()
{
    static Drive drive;
    return drive;
}

void Fill(ZvSrbExec &srb, const std::vector<uint8_t> &bytes)
{
    if (!srb.data || bytes.empty() || !(srb.flags & ZV_SRB_DIR_IN))
        return;
    std::memcpy(srb.data, bytes.data(), std::min<size_t>(bytes.size(), srb.data_length));
}

std::vector<uint8_t> InquiryAnswer(const Drive &drive)
{
    std::vector<uint8_t> data(96, 0);
    data[0] = 5; // CD/DVD device
    data[1] = 0x80;
    data[4] = 91;
    std::memcpy(&data[8], drive.vendor, 8);
    std::memcpy(&data[16], drive.product, 16);
    std::memcpy(&data[32], "1.00", 4);
    return data;
}

uint32_t Execute(ZvSrbExec &srb)
{
    Drive &drive = TheDrive();
    std::lock_guard guard(drive.lock);
    if (srb.adapter != 0 || srb.target != 0 || srb.lun != 0) {
        srb.status = ZV_SS_NO_DEVICE;
        return srb.status;
    }
    Request request;
    request.cdb.assign(srb.cdb, srb.cdb + std::min<int>(srb.cdb_length, ZV_CDB_MAX));
    request.flags = srb.flags;
    request.dataLength = srb.data_length;
    if ((srb.flags & ZV_SRB_DIR_OUT) && srb.data)
        request.dataOut.assign(static_cast<uint8_t *>(srb.data),
                               static_cast<uint8_t *>(srb.data) + srb.data_length);
    Answer answer;
    if (srb.cdb[0] == 0x12)
        answer = Answer::Good(InquiryAnswer(drive));
    else if (drive.handler)
        answer = drive.handler(request);
    else
        answer = Answer::Check(5, 0x20);
    drive.requests.push_back(std::move(request));

    if (answer.ok) {
        Fill(srb, answer.data);
        srb.status = ZV_SS_COMP;
        srb.ha_status = 0;
        srb.target_status = 0;
    } else {
        std::memset(srb.sense, 0, sizeof srb.sense);
        srb.sense[0] = 0x70;
        srb.sense[2] = answer.senseKey;
        srb.sense[7] = 10;
        srb.sense[12] = answer.asc;
        srb.sense[13] = answer.ascq;
        srb.status = ZV_SS_ERR;
        srb.ha_status = 0;
        srb.target_status = ZV_STATUS_CHKCOND;
    }
    return srb.status;
}

} // namespace

void SetHandler(Handler handler)
{
    std::lock_guard guard(TheDrive().lock);
    TheDrive().handler = std::move(handler);
}

void SetIdentification(const char *vendor8, const char *product16)
{
    std::lock_guard guard(TheDrive().lock);
    std::memset(TheDrive().vendor, ' ', 8);
    std::memset(TheDrive().product, ' ', 16);
    std::memcpy(TheDrive().vendor, vendor8, std::min<size_t>(8, std::strlen(vendor8)));
    std::memcpy(TheDrive().product, product16, std::min<size_t>(16, std::strlen(product16)));
}

const std::vector<Request> &Requests() { return TheDrive().requests; }

void ClearRequests()
{
    std::lock_guard guard(TheDrive().lock);
    TheDrive().requests.clear();
}

} // namespace fakedrive

extern "C" {

__attribute__((visibility("default"))) uint32_t GetASPI32SupportInfo(void)
{
    return (uint32_t(ZV_SS_COMP) << 8) | 1u;
}

__attribute__((visibility("default"))) uint32_t SendASPI32Command(void *request)
{
    auto *header = static_cast<ZvSrbHeader *>(request);
    switch (header->command) {
    case ZV_SC_HA_INQUIRY: {
        auto *inquiry = static_cast<ZvSrbHaInquiry *>(request);
        inquiry->adapter_count = 1;
        std::memcpy(inquiry->manager_id, "FAKE DRIVE      ", 16);
        std::memcpy(inquiry->adapter_id, "SCRIPTED        ", 16);
        inquiry->status = ZV_SS_COMP;
        return ZV_SS_COMP;
    }
    case ZV_SC_EXEC_SCSI_CMD:
        return fakedrive::Execute(*static_cast<ZvSrbExec *>(request));
    default:
        header->status = ZV_SS_INVALID_CMD;
        return ZV_SS_INVALID_CMD;
    }
}

} // extern "C"
