// Test provider library that lacks SendASPI32Command.
#include "aspi_abi.h"

extern "C" uint32_t GetASPI32SupportInfo(void)
{
    return 0x0101;
}
