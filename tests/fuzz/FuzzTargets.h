#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The entry points that libFuzzer drives and the corpus replay test runs: each takes arbitrary
// bytes, must never crash, and traps when a property of the reader does not hold.
struct FuzzTarget {
    const char *name;  // also the corpus folder's name
    int (*run)(const std::uint8_t *data, std::size_t size);
};

const std::vector<FuzzTarget> &fuzzTargets();
