#pragma once

#include "ExecProcess.h"
#include "ScriptObject.h"

#include <memory>

namespace vortalux::script {

// StdOut, StdErr or StdIn of an Exec, as a "TextStream". Reading waits for the command's output
// (until the script's deadline); ReadLine takes LF or CR LF as a line end. ReadLine and Read past
// the end raise 62 "Input past end of file"; ReadAll at the end answers "". A member of the other
// direction raises 54 "Bad file mode".
class ExecStreamObject final : public ScriptObject {
public:
    enum class Which { Out, Err, In };

    ExecStreamObject(std::shared_ptr<ExecProcess> process, Which which);

    std::string TypeName() const override { return "TextStream"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

private:
    ExecProcess::Stream Stream() const;
    std::string TakeLine();

    std::shared_ptr<ExecProcess> m_process;
    Which m_which;
};

} // namespace vortalux::script
