#include "bookings/random_source.h"

namespace kolvaro {

SeededRandomSource::SeededRandomSource(std::uint64_t seed) {
    // Both halves of the seed count, so that no two calendar times share a
    // sequence.
    std::seed_seq sequence{static_cast<std::uint32_t>(seed & 0xFFFFFFFFu),
                           static_cast<std::uint32_t>(seed >> 32)};
    engine_.seed(sequence);
}

std::uint32_t SeededRandomSource::Next() {
    // The top 31 of the engine's 32 bits.
    return static_cast<std::uint32_t>(engine_() >> 1);
}

std::uint32_t DrawBelow(RandomSource& source, std::uint32_t limit) {
    if (limit == 0) {
        return 0;
    }
    return source.Next() % limit;
}

}  // namespace kolvaro
