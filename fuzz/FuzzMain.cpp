// One libFuzzer program per target: CORVIN_FUZZ_TARGET names the function (see FuzzTargets.h).
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    corvin::fuzz::CORVIN_FUZZ_TARGET(data, size);
    return 0;
}
