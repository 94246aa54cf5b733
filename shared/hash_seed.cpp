#include "hash_seed.h"

#include <chrono>
#include <random>

namespace rt {

std::uint64_t RandomSeed() {
    try {
        std::random_device device;
        return (std::uint64_t{device()} << 32) ^ device();
    } catch (...) {
        // No source of randomness to be had: the clock still differs from run to run.
        std::uint64_t state = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        return NextFromSeed(state);
    }
}

}  // namespace rt
