#include "CommandLine.h"
#include "FileDescriptorBuffer.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>

namespace {

extern "C" void IgnorePipeSignal(int) { }

// Standard descriptors that the caller left closed are taken by /dev/null, opened so that reading
// ends at once and writing fails: otherwise the next file opened (a rule, say) would get the
// number and the output would be written into it. A reader that goes away makes writes fail with
// EPIPE, reported like any failed write, instead of ending the program silently with SIGPIPE. A
// handler, not SIG_IGN, so that programs started by definitions get the usual SIGPIPE again.
void PrepareStandardStreams()
{
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1)
            continue;
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != descriptor) {
            ::dup2(opened, descriptor);
            ::close(opened);
        }
    }
    struct sigaction action { };
    action.sa_handler = IgnorePipeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    PrepareStandardStreams();
    std::ios::sync_with_stdio(false);
    vortalux::cli::FileDescriptorBuffer outputBuffer(STDOUT_FILENO);
    std::ostream output(&outputBuffer);
    vortalux::cli::CommandLine commandLine(std::cin, output, std::cerr);
    return commandLine.Run(std::vector<std::string>(argv + 1, argv + argc));
}
