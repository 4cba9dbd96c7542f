// vortalux-native-host: the browsers' way into the engine. A browser starts it for its extension
// and speaks the native-messaging protocol on its standard input and output.
#include "EngineQueue.h"
#include "EngineWorker.h"
#include "MessageFront.h"
#include "VTL.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <string_view>

namespace {

// Standard output carries frames only. The front keeps the browser's descriptors for itself
// (closed on exec) and points descriptors 0 and 1 at /dev/null and standard error, so that
// nothing else printed, by a library or a program a definition starts, can break a frame or
// take the browser's input.
bool TakeStandardStreams(int& input, int& output)
{
    input = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    output = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0 || output < 0 || nothing < 0)
        return false;
    return ::dup2(nothing, STDIN_FILENO) >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) >= 0
        && ::close(nothing) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string_view(argv[1]) == vortalux::EngineWorker::Argument)
        return vortalux::RunEngineQueue(argc, argv);

    // The browser passes its own arguments (the caller's origin or the manifest and extension);
    // none of them changes what the host does.
    ::signal(SIGPIPE, SIG_IGN);
    int input = -1;
    int output = -1;
    if (!TakeStandardStreams(input, output))
        return 1;
    vortalux::EngineWorker worker;
    return vortalux::RunMessageFront(input, output, vortalux::VTL().Version(), worker);
}
