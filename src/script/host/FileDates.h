#pragma once

#include <ctime>

namespace vortalux::script {

// A file time as a VBScript Date: days since 1899-12-30 in local time, as Windows gives a
// file's dates to scripts (whole seconds).
double LocalOleDate(std::time_t time);

} // namespace vortalux::script
