#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vortalux {

// "vortalux fetch [--verbose] URL": downloads the page as the engine does for page-search rules
// and writes its bytes to `out`. With --verbose the progress texts go to `err`, one a line.
// Ctrl-C ends the wait and writes what has arrived, as Esc does in the engine's window.
// `args` are the words after "fetch". Answers 0 for a page, 1 when the page is empty (the
// download failed) and 2 for a wrong command line. Creates a QCoreApplication if there is none.
int RunFetchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vortalux
