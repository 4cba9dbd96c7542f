#pragma once

#include <QString>

#include <string_view>

namespace vortalux {

// How a window shows a byte string from a page, a rule or a file: as UTF-8 when it is valid
// UTF-8, else as Windows-1252, the code page such texts were written in.
QString DisplayText(std::string_view bytes);

} // namespace vortalux
