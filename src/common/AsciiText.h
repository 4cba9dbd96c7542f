#pragma once

#include <string>
#include <string_view>

namespace vortalux {

// Byte-string helpers. Data files and wire texts are single-byte text: only ASCII letters fold.
char AsciiLower(char c);
std::string AsciiLowerCopy(std::string_view text);
std::string AsciiUpperCopy(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Negative, zero or positive as `a` sorts before, with or after `b` when case is ignored.
// Letters fold to upper case, the order in which NTFS lists names (so "_" sorts after "Z").
int CompareNoCase(std::string_view a, std::string_view b);

// Replaces every occurrence of `what` in `text` by `with`, scanning left to right.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with);

// The value of a hexadecimal digit (either letter case), -1 for any other byte.
int HexValue(char c);

// The blanks every reader of our files and texts trims: space, tab, CR, LF, vertical tab and
// form feed (what isspace() answers in the C locale, whatever the process locale is). Formats
// that trim another set say so where they do.
bool IsAsciiBlank(char c);
// `text` without blanks at either end.
std::string_view TrimAsciiBlanks(std::string_view text);
// `text` without the bytes of `blanks` at either end, for formats with a set of their own.
std::string_view TrimBytes(std::string_view text, std::string_view blanks);

// A control byte (0x00 to 0x1F, or DEL): never allowed into a request line or a header.
bool IsAsciiControl(char c);
// `text` with every control byte and blank (0x20) as "%XX" (upper-case hex), and every byte
// above 0x7F too unless they are kept; every other byte, "%" included, stays as it is. For
// addresses that go on a request line.
enum class HighBytes { Encode, Keep };
std::string PercentEncodeUnsafeBytes(std::string_view text, HighBytes highBytes = HighBytes::Encode);

} // namespace vortalux
