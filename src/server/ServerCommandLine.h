#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vortalux::server {

// vortalux-server's commands, with the program name left out of `arguments`:
//   serve --root DIR --listen ADDRESS:PORT [--db FILE] [--tls-cert FILE --tls-key FILE]
//         [--max-body BYTES] [--reports-per-minute N] [--trusted-proxy ADDRESS]
//   reports --db FILE [--json]
// "serve" needs a QCoreApplication and runs its event loop until the process is stopped.
// Returns the exit status.
int RunServerCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace vortalux::server
