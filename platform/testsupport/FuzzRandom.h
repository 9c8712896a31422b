// The seeded choices of the generators of fuzz tests: one seed gives one
// file, so a failure names the file that shows it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace menvaro::test {

class TFuzzRandom {
public:
    explicit TFuzzRandom(std::uint64_t seed) : rng_(seed) {}

    // A whole number in [lo, hi].
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    // `text` with one to three bytes changed, put in or taken out; what is
    // put in is one of `bytes`.
    std::string Damage(std::string text, std::string_view bytes) {
        const int n = Pick(1, 3);
        for (int i = 0; i < n && !text.empty(); ++i) {
            const std::size_t at = static_cast<std::size_t>(Pick(0, static_cast<int>(text.size()) - 1));
            const char c = bytes[static_cast<std::size_t>(Pick(0, static_cast<int>(bytes.size()) - 1))];
            switch (Pick(0, 2)) {
                case 0: text[at] = c; break;
                case 1: text.insert(at, 1, c); break;
                default: text.erase(at, 1); break;
            }
        }
        return text;
    }

private:
    std::mt19937_64 rng_;
};

}  // namespace menvaro::test
