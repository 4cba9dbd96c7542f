#pragma once

#include "ExecProcess.h"
#include "ScriptObject.h"

#include <memory>

namespace vortalux::script {

// What WScript.Shell's Exec answers (ExecProcess runs the command):
//   StdOut, StdErr     streams for reading: ReadAll, ReadLine, Read(n), SkipLine, AtEndOfStream
//   StdIn              a stream for writing: Write, WriteLine (ends lines with LF), Close
//   Status             0 while the command runs, 1 once it has ended
//   ExitCode           its exit code once ended, 0 before
//   ProcessID          its process id
//   Terminate          ends it (its whole process group)
class ExecObject final : public ScriptObject {
public:
    explicit ExecObject(std::shared_ptr<ExecProcess> process);

    std::string TypeName() const override { return "IWshExec"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

private:
    std::shared_ptr<ExecProcess> m_process;
};

} // namespace vortalux::script
