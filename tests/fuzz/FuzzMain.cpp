// One libFuzzer program per target; ORVANE_FUZZ_TARGET names it.
#include "FuzzTargets.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const FuzzTarget *target = [] {
        for (const FuzzTarget &t : fuzzTargets())
            if (std::strcmp(t.name, ORVANE_FUZZ_TARGET) == 0)
                return &t;
        std::abort();
    }();
    return target->run(data, size);
}
