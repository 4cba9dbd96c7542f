#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vortalux {

// Numbers stored in profile files: decimal with an optional sign, fraction and exponent
// ("1", "-2", "1.0", "2e1"), or "&H" hexadecimal, with blanks around them, "." as the decimal
// mark whatever the process locale. Anything else is not a number. Files written by hand or
// downloaded may hold any text, and a stray value must never stop a load, so every reader below
// turns "not a number" into 0.
[[nodiscard]] std::optional<double> ParseProfileNumber(std::string_view text);

// The value rounded half to even, as the old numeric conversions did ("1.5" -> 2, "2.5" -> 2).
// Not a number -> 0; out of [minimum, maximum] -> `outOfRange`.
[[nodiscard]] int64_t ProfileInteger(
    std::string_view text, int64_t minimum, int64_t maximum, int64_t outOfRange);

} // namespace vortalux
