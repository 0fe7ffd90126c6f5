#pragma once

#include <cstdint>

namespace shopkeeper::generator {

// splitmix64: the same sequence on every platform and standard library, unlike <random>'s
// distributions, so a seed always gives the same sample files.
class SplitMix64
{
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }

private:
    std::uint64_t state_;
};

} // namespace shopkeeper::generator
