// Feeds arbitrary bytes to the VBScript host: lexer, parser and a short bounded run of the
// global statements and of a procedure named Main, with the host objects that touch nothing
// outside the process (`Scripting.Dictionary`, `VBScript.RegExp`; never the shell or the file
// system). What Main answers is then used as host code uses it (its default member, a release
// after the interpreter went), which exercises class instances, their Class_Terminate and GetRef
// references.
#include "DictionaryObject.h"
#include "MessageBox.h"
#include "RegExpObject.h"
#include "ScriptError.h"
#include "ScriptHost.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace {

class SilentPresenter final : public vortalux::MessagePresenter {
public:
    vortalux::MessageAnswer Present(const vortalux::MessageRequest& request) override
    {
        return vortalux::DefaultAnswer(request);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentPresenter presenter;
    static const bool installed = (vortalux::SetMessagePresenter(&presenter), true);
    (void)installed;

    vortalux::script::ScriptHost host;
    host.RegisterObjectFactory(
        "Scripting.Dictionary", [] { return std::make_shared<vortalux::script::DictionaryObject>(); });
    host.RegisterObjectFactory(
        "VBScript.RegExp", [] { return std::make_shared<vortalux::script::RegExpObject>(); });
    host.SetTimeLimit(std::chrono::milliseconds(20));
    host.SetMaxCallDepth(40);
    host.SetMemoryLimit(size_t {64} << 20);
    const std::string_view code(reinterpret_cast<const char*>(data), size);
    if (host.AddCode(code)) {
        std::vector<vortalux::script::Variant> args;
        vortalux::script::Variant result;
        // A script error is an answer like any other here: only crashes and leaks count.
        [[maybe_unused]] const bool ran = host.Run("Main", args, &result);
        if (result.IsObject() && result.AsObject()) {
            const vortalux::script::ObjectRef object = result.AsObject();
            result = vortalux::script::Variant();
            for (int round = 0; round < 2; ++round) {
                std::vector<vortalux::script::Variant> none;
                try {
                    object->GetProperty("", none);
                } catch (const std::exception&) {
                    // Errors are answers here too.
                }
                // The second round meets an object whose interpreter is gone.
                host.Reset();
            }
        }
    }
    return 0;
}
