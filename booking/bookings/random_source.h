#pragma once

// Where the booking generator takes its chance from. The window seeds one
// with the calendar time in whole seconds at every generation; tests script
// the values to reach every minute of a window on purpose.

#include <cstdint>
#include <random>

namespace kolvaro {

// A source of non-negative 31-bit integers (0 … 2^31 − 1).
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual std::uint32_t Next() = 0;
};

// Uniform values from a Mersenne twister, the same sequence for the same seed.
class SeededRandomSource : public RandomSource {
  public:
    explicit SeededRandomSource(std::uint64_t seed);
    std::uint32_t Next() override;

  private:
    std::mt19937 engine_;
};

// A draw below `limit`: the next value modulo `limit`, and 0 without taking a
// value from the source when `limit` is 0.
std::uint32_t DrawBelow(RandomSource& source, std::uint32_t limit);

}  // namespace kolvaro
