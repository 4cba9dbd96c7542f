#pragma once

#include <string>

namespace vortalux {

class EngineWorker;

// The side of the host the browser talks to, free of Qt so that it answers quickly: reads the
// messages on `input`, answers each on `output` as soon as it is checked (the extension wants
// to know at once whether its links were taken; the engine's windows may stay open for
// minutes), and passes what the engine has to do to `worker`. Ends at the end of the input, or
// after answering a message that cannot be delimited; then waits for the worker to run what it
// was given. Returns the exit code: 0, or 1 when the input could not be delimited.
int RunMessageFront(int input, int output, const std::string& version, EngineWorker& worker);

} // namespace vortalux
