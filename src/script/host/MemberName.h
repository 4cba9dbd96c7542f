#pragma once

#include <cstddef>
#include <string_view>

namespace vortalux::script {

// Whether the member name a script spelled is `lowerLetters` in any letter case. Host objects that
// a loop calls on every pass name their members with this instead of EqualsNoCase: `lowerLetters`
// holds lower-case ASCII letters only, and for those setting bit 0x20 folds the case of a letter
// while no other byte turns into one, so the test is exact without a case table.
constexpr bool IsMemberName(std::string_view name, std::string_view lowerLetters)
{
    if (name.size() != lowerLetters.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) | 0x20u) != static_cast<unsigned char>(lowerLetters[i]))
            return false;
    }
    return true;
}

} // namespace vortalux::script
