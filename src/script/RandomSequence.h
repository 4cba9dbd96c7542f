#pragma once

#include <cstdint>

namespace vortalux::script {

// The numbers of Rnd and Randomize: VBScript's 24-bit linear congruential generator, so that a
// script seeded as on Windows sees the numbers it sees there.
class RandomSequence {
public:
    // The next number in [0, 1).
    float Next();
    // The last number again (Rnd 0).
    float Last() const;
    // Restarts from a seed taken from `value` and returns the number after it (Rnd with a
    // negative argument): the same argument always gives the same number.
    float Restart(float value);
    // Mixes `value` into the seed (Randomize): the sequence then depends on both.
    void Mix(double value);

private:
    // Windows starts every script from this seed.
    uint32_t m_seed = 0x50000;
};

} // namespace vortalux::script
