#include "ProfileNumber.h"

#include "NumberScanner.h"

#include <cmath>

namespace vortalux {

std::optional<double> ParseProfileNumber(std::string_view text)
{
    // Hexadecimal values read as their unsigned value ("&HFF" is 255, "&HFFFF" 65535).
    const std::optional<ScannedNumber> number = ScanNumber(text, NumberForms::Hexadecimal);
    if (!number)
        return std::nullopt;
    return number->value;
}

int64_t ProfileInteger(std::string_view text, int64_t minimum, int64_t maximum, int64_t outOfRange)
{
    const std::optional<double> number = ParseProfileNumber(text);
    if (!number)
        return 0;
    const double rounded = std::nearbyint(*number); // the default mode rounds half to even
    if (rounded < static_cast<double>(minimum) || rounded > static_cast<double>(maximum))
        return outOfRange;
    return static_cast<int64_t>(rounded);
}

} // namespace vortalux
