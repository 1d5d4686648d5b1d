/*
 * The request interface between the engine and a SCSI provider.
 *
 * A provider exposes two C entry points:
 *   uint32_t GetASPI32SupportInfo(void);   status in bits 15..8, adapter count in bits 7..0
 *   uint32_t SendASPI32Command(void *srb); submits one request block, returns its status
 *
 * Every request block begins with the same header (command code, status,
 * adapter, flags). The command code selects the layout of the rest. The
 * fields keep the classic ASPI order; pointers and handles use the natural
 * alignment of the platform.
 *
 * Completion: a provider either finishes a request before SendASPI32Command
 * returns (status already final), or returns with status ZV_SS_PENDING and
 * later sets the final status and then calls completion->signal(completion)
 * when the block carries ZV_SRB_EVENT_NOTIFY and a completion object. Once
 * the caller's wait has expired it owns the block again: a provider that has
 * not completed by then must never touch that block afterwards.
 *
 * This header is plain C so that provider libraries written in either
 * language include the same definitions as the engine.
 */
#ifndef ZELVANE_ASPI_ABI_H
#define ZELVANE_ASPI_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Command codes. */
enum {
    ZV_SC_HA_INQUIRY = 0x00,
    ZV_SC_GET_DEV_TYPE = 0x01,
    ZV_SC_EXEC_SCSI_CMD = 0x02,
    ZV_SC_ABORT_SRB = 0x03,
    ZV_SC_GET_DISK_INFO = 0x06
};

/* Request status values. */
enum {
    ZV_SS_PENDING = 0x00,
    ZV_SS_COMP = 0x01,
    ZV_SS_ABORTED = 0x02,
    ZV_SS_ABORT_FAIL = 0x03,
    ZV_SS_ERR = 0x04,
    ZV_SS_INVALID_CMD = 0x80,
    ZV_SS_INVALID_HA = 0x81,
    ZV_SS_NO_DEVICE = 0x82,
    ZV_SS_INVALID_SRB = 0xE0,
    ZV_SS_BUFFER_ALIGN = 0xE1,
    ZV_SS_ILLEGAL_MODE = 0xE2,
    ZV_SS_NO_ASPI = 0xE3,
    ZV_SS_FAILED_INIT = 0xE4,
    ZV_SS_ASPI_IS_BUSY = 0xE5,
    ZV_SS_BUFFER_TO_BIG = 0xE6,
    ZV_SS_NO_ADAPTERS = 0xE8
};

/* Request flags. */
enum {
    ZV_SRB_DIR_IN = 0x08,
    ZV_SRB_DIR_OUT = 0x10,
    ZV_SRB_EVENT_NOTIFY = 0x40
};

/* Host adapter status values. */
enum {
    ZV_HASTAT_OK = 0x00,
    ZV_HASTAT_TIMEOUT = 0x09,
    ZV_HASTAT_COMMAND_TIMEOUT = 0x0B,
    ZV_HASTAT_MESSAGE_REJECT = 0x0D,
    ZV_HASTAT_BUS_RESET = 0x0E,
    ZV_HASTAT_PARITY_ERROR = 0x0F,
    ZV_HASTAT_REQUEST_SENSE_FAILED = 0x10,
    ZV_HASTAT_SEL_TO = 0x11,
    ZV_HASTAT_DO_DU = 0x12,
    ZV_HASTAT_BUS_FREE = 0x13
};

/* SCSI target status values. */
enum {
    ZV_STATUS_GOOD = 0x00,
    ZV_STATUS_CHKCOND = 0x02,
    ZV_STATUS_BUSY = 0x08,
    ZV_STATUS_RESCONF = 0x18,
    ZV_STATUS_QUEUE_FULL = 0x28
};

#define ZV_SENSE_LEN 24      /* sense bytes a request asks for */
#define ZV_SENSE_AREA 33     /* size of the sense area of a request block */
#define ZV_CDB_MAX 16

/* Completion object handed to asynchronous providers. */
typedef struct ZvCompletion {
    void (*signal)(struct ZvCompletion *self);
    void *context;
} ZvCompletion;

/* Fields every request block starts with. */
typedef struct ZvSrbHeader {
    uint8_t command;
    uint8_t status;
    uint8_t adapter;
    uint8_t flags;
    uint32_t reserved;
} ZvSrbHeader;

/* Command 0: host adapter inquiry. */
typedef struct ZvSrbHaInquiry {
    uint8_t command;
    uint8_t status;
    uint8_t adapter;
    uint8_t flags;
    uint32_t reserved;
    uint8_t adapter_count;
    uint8_t host_id;
    char manager_id[16];
    char adapter_id[16];
    uint8_t unique[16]; /* [0..1] alignment mask, [3] max targets, [4..7] max transfer length */
    uint16_t reserved2;
} ZvSrbHaInquiry;

/* Command 1: device type of an address. */
typedef struct ZvSrbGetDevType {
    uint8_t command;
    uint8_t status;
    uint8_t adapter;
    uint8_t flags;
    uint32_t reserved;
    uint8_t target;
    uint8_t lun;
    uint8_t device_type;
    uint8_t reserved2;
} ZvSrbGetDevType;

/* Command 2: execute one SCSI command. */
typedef struct ZvSrbExec {
    uint8_t command;
    uint8_t status;
    uint8_t adapter;
    uint8_t flags;
    uint32_t reserved;
    uint8_t target;
    uint8_t lun;
    uint16_t reserved2;
    uint32_t data_length;
    void *data;
    uint8_t sense_length;
    uint8_t cdb_length;
    uint8_t ha_status;
    uint8_t target_status;
    ZvCompletion *completion;
    uint8_t reserved3[20];
    uint8_t cdb[ZV_CDB_MAX];
    uint8_t sense[ZV_SENSE_AREA];
} ZvSrbExec;

/* Command 6: disk information (drive number of an address). */
typedef struct ZvSrbDiskInfo {
    uint8_t command;
    uint8_t status;
    uint8_t adapter;
    uint8_t flags;
    uint32_t reserved;
    uint8_t target;
    uint8_t lun;
    uint8_t drive_flags;
    uint8_t drive_number;
    uint8_t heads;
    uint8_t sectors;
    uint8_t reserved2[10];
} ZvSrbDiskInfo;

typedef uint32_t (*ZvGetSupportInfoFn)(void);
typedef uint32_t (*ZvSendCommandFn)(void *srb);

/* Optional third entry point: the name under which the user knows the drive
 * at an address (a device path, or a virtual drive's name). Writes a
 * NUL-terminated text of at most size - 1 bytes into buf and returns
 * ZV_SS_COMP, or returns ZV_SS_NO_DEVICE for an unknown address. A provider
 * without this export has drives without names ("?:" in the drive list). */
typedef uint32_t (*ZvGetDriveNameFn)(uint8_t adapter, uint8_t target, uint8_t lun,
                                     char *buf, size_t size);

#define ZV_ENTRY_SUPPORT_INFO "GetASPI32SupportInfo"
#define ZV_ENTRY_SEND_COMMAND "SendASPI32Command"
#define ZV_ENTRY_DRIVE_NAME "GetASPI32DriveName"
#define ZV_PROVIDER_LIBRARY "libwnaspi32.so"

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ZELVANE_ASPI_ABI_H */
