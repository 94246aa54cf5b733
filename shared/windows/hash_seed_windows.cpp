// Seeds on Windows: from the system's generator of random numbers (BCryptGenRandom).
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include <chrono>

#include "hash_seed.h"

namespace rt {

std::uint64_t RandomSeed() {
    std::uint64_t seed = 0;
    if (BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&seed), sizeof seed,
                                         BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return seed;
    // No source of randomness to be had: the clock still differs from run to run.
    std::uint64_t state = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return NextFromSeed(state);
}

}  // namespace rt
