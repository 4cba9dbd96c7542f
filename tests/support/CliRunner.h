#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QProcess;

namespace vortalux::test {

// What one run of the command line left behind.
struct CliResult {
    // The exit code; 128 + the signal's number when a signal ended the program, as a shell says.
    int code = -1;
    std::string out;
    std::string err;
};

// Runs `vortalux ARGS` in this process with its own streams, `input` as standard input. The
// program directory that --home sets is reset afterwards.
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = {});
// The same with standard output written to `out` (a stream that fails, say); the result's `out`
// stays empty.
CliResult RunCli(const std::vector<std::string>& args, std::ostream& out);

// The vortalux program itself (or another of the build's programs), as a user starts it
// without a display. While a test waits for
// it, the test's own Qt events keep running, so a ScriptedServer of the test answers it.
class CliProcess {
public:
    // Where the program's standard output goes.
    enum class Output {
        Captured, // a pipe the test reads
        DevFull, // /dev/full: every write fails with "no space left"
        Closed, // descriptor 1 is not open at all
        PipeWithoutReader, // a pipe whose reading end is closed: writes fail with "broken pipe"
    };
    struct Options {
        // The program of the build's program directory to run.
        std::string program = "vortalux";
        std::string input;
        Output output = Output::Captured;
        // VORTALUX_HOME; empty: not set.
        std::filesystem::path home;
        // Further variables: a value sets, nullopt removes.
        std::vector<std::pair<std::string, std::optional<std::string>>> environment;
    };

    CliProcess();
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void Start(const std::vector<std::string>& args, const Options& options);
    // Ctrl-C: SIGINT to the running program.
    void Interrupt();
    // Waits up to `seconds` (the program is killed past them and the test fails).
    CliResult Finish(double seconds = 20);

private:
    std::unique_ptr<QProcess> m_process;
    std::string m_program;
};

// Starts the program and waits for it.
CliResult RunProgram(const std::vector<std::string>& args, const CliProcess::Options& options);

} // namespace vortalux::test
