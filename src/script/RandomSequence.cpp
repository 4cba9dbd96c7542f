#include "RandomSequence.h"

#include <bit>

namespace vortalux::script {

namespace {

constexpr uint32_t Multiplier = 0x43FD43FD;
constexpr uint32_t Increment = 0xC39EC3;
constexpr uint32_t Mask = 0xFFFFFF;
constexpr float Range = 16777216.0F;

} // namespace

float RandomSequence::Next()
{
    m_seed = (m_seed * Multiplier + Increment) & Mask;
    return static_cast<float>(m_seed) / Range;
}

float RandomSequence::Last() const { return static_cast<float>(m_seed) / Range; }

float RandomSequence::Restart(float value)
{
    const auto bits = std::bit_cast<uint32_t>(value);
    m_seed = (bits + (bits >> 24)) & Mask;
    return Next();
}

void RandomSequence::Mix(double value)
{
    const auto high = static_cast<uint32_t>(std::bit_cast<uint64_t>(value) >> 32);
    const uint32_t middle = ((high ^ (high >> 16)) & 0xFFFF) << 8;
    m_seed = (m_seed & 0xFF0000FF) | middle;
}

} // namespace vortalux::script
