// One libFuzzer target; QUELM_FUZZ_ENTRY names its entry function.
#include "entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return quelm::fuzz::QUELM_FUZZ_ENTRY(data, size);
}
