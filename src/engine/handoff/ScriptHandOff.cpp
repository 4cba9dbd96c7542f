#include "ScriptHandOff.h"

#include "HostObjects.h"
#include "MessageBox.h"
#include "ScriptArray.h"

#include <exception>
#include <new>

namespace vortalux {

using script::Variant;

ScriptHandOff::ScriptHandOff()
{
    script::RegisterHostObjects(m_host);
    // One allowance for the whole hand-off: the global statements and the procedure share it.
    m_host.SetTimeLimit(TimeLimit);
    m_host.SetTimeLimitScope(script::TimeLimitScope::UntilReset);
}

bool ScriptHandOff::RunAddLink(
    const ManagerStore& store, int position, const std::string& referer, const Link& link)
{
    std::vector<Variant> args
        = {Variant::FromString(referer), Variant::FromString(link.url), Variant::FromString(link.name)};
    return RunManagerScript(store, position, "AddLink", args);
}

bool ScriptHandOff::RunAddList(
    const ManagerStore& store, int position, const std::string& referer, const std::vector<Link>& links)
{
    // The script's list is flat: URL, name, URL, name, ...
    std::vector<Variant> elements;
    elements.reserve(links.size() * 2);
    for (const Link& link : links) {
        elements.push_back(Variant::FromString(link.url));
        elements.push_back(Variant::FromString(link.name));
    }
    std::vector<Variant> args = {Variant::FromString(referer),
        Variant::FromArray(script::ScriptArray::FromElements(std::move(elements)))};
    return RunManagerScript(store, position, "AddList", args);
}

bool ScriptHandOff::RunManagerScript(
    const ManagerStore& store, int position, std::string_view procedure, std::vector<Variant>& args)
{
    script::ScriptErrorInfo error;
    bool handedOver = false;
    try {
        m_host.Reset();
        const auto& definitions = store.Definitions();
        if (position < 0 || static_cast<size_t>(position) >= definitions.size()) {
            // Not the script's failure: the message carries the empty error.
        } else if (!m_host.AddCode(definitions[static_cast<size_t>(position)].ScriptText)) {
            error = m_host.Error();
        } else if (!m_host.Run(procedure, args)) {
            error = m_host.Error();
        } else {
            handedOver = true;
        }
    } catch (const std::bad_alloc&) {
        error = {7, std::string(script::StandardErrorDescription(7)), {}, 0, 0};
    } catch (const std::exception& failure) {
        // A host object that failed outside the language's errors: still one message, and the
        // caller goes on.
        error = {51, std::string(script::StandardErrorDescription(51)) + ": " + failure.what(), {}, 0, 0};
    }
    if (!handedOver) {
        MessageRequest request;
        request.caption = "Vortalux";
        request.text = ErrorText(error);
        request.icon = MessageIcon::None;
        request.buttons = MessageButtons::Ok;
        ShowMessage(request);
    }
    return handedOver;
}

std::string ScriptHandOff::ErrorText(const script::ScriptErrorInfo& error)
{
    return "Script Syntax Error : " + std::to_string(error.number) + ": " + error.description + " at line "
        + std::to_string(error.line) + " column " + std::to_string(error.column);
}

} // namespace vortalux
