#pragma once

#include <cstddef>
#include <string_view>

namespace vortalux {

// The length of the valid UTF-8 sequence that starts at `at` (1 for an ASCII byte), or 0 when
// the byte there does not start one: a stray continuation byte, an overlong form, a surrogate, a
// code point past U+10FFFF or a sequence cut short.
size_t Utf8SequenceLength(std::string_view bytes, size_t at);

} // namespace vortalux
