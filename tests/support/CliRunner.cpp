#include "CliRunner.h"

#include "CommandLine.h"
#include "ProgramDirectory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <sstream>

namespace vortalux::test {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

CliResult RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out)
{
    std::ostringstream err;
    CliResult result;
    result.code = cli::CommandLine(in, out, err).Run(args);
    result.err = err.str();
    SetProgramDirectory({});
    return result;
}

} // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::string& input)
{
    std::istringstream in(input);
    std::ostringstream out;
    CliResult result = RunCli(args, in, out);
    result.out = out.str();
    return result;
}

CliResult RunCli(const std::vector<std::string>& args, std::ostream& out)
{
    std::istringstream in;
    return RunCli(args, in, out);
}

CliProcess::CliProcess()
    : m_process(std::make_unique<QProcess>())
{
}

CliProcess::~CliProcess()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished();
    }
}

void CliProcess::Start(const std::vector<std::string>& args, const Options& options)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display, whatever the test's own environment has.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "VORTALUX_HOME"})
        environment.remove(QString::fromLatin1(name));
    if (!options.home.empty())
        environment.insert(QStringLiteral("VORTALUX_HOME"), Q(options.home.string()));
    for (const auto& [name, value] : options.environment) {
        if (value)
            environment.insert(Q(name), Q(*value));
        else
            environment.remove(Q(name));
    }
    m_process->setProcessEnvironment(environment);

    switch (options.output) {
    case Output::Captured:
        break;
    case Output::DevFull:
        m_process->setStandardOutputFile(QStringLiteral("/dev/full"));
        break;
    case Output::Closed:
        // Runs in the child between fork and exec: only async-signal-safe calls.
        m_process->setChildProcessModifier([] { ::close(STDOUT_FILENO); });
        break;
    case Output::PipeWithoutReader:
        m_process->setChildProcessModifier([] {
            int ends[2];
            if (::pipe(ends) == 0) {
                ::close(ends[0]);
                ::dup2(ends[1], STDOUT_FILENO);
                ::close(ends[1]);
            }
        });
        break;
    }

    QStringList arguments;
    for (const std::string& arg : args)
        arguments << Q(arg);
    m_program = options.program;
    m_process->start(QStringLiteral(VORTALUX_PROGRAM_DIR "/") + Q(options.program), arguments);
    ASSERT_TRUE(m_process->waitForStarted()) << m_process->errorString().toStdString();
    m_process->write(options.input.data(), static_cast<qint64>(options.input.size()));
    m_process->closeWriteChannel();
}

void CliProcess::Interrupt() { ::kill(static_cast<pid_t>(m_process->processId()), SIGINT); }

CliResult CliProcess::Finish(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    while (m_process->state() != QProcess::NotRunning && clock.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    CliResult result;
    if (m_process->state() != QProcess::NotRunning) {
        ADD_FAILURE() << m_program << " did not end within " << seconds << " s";
        m_process->kill();
        m_process->waitForFinished();
    }
    result.code = m_process->exitStatus() == QProcess::CrashExit ? 128 + m_process->exitCode()
                                                                 : m_process->exitCode();
    result.out = m_process->readAllStandardOutput().toStdString();
    result.err = m_process->readAllStandardError().toStdString();
    return result;
}

CliResult RunProgram(const std::vector<std::string>& args, const CliProcess::Options& options)
{
    CliProcess process;
    process.Start(args, options);
    return process.Finish();
}

} // namespace vortalux::test
