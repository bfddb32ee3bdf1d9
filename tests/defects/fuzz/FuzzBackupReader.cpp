#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return RunFuzzInput(&FuzzBackupReader, data, size);
}
