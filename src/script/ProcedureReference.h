#pragma once

#include "ClassInstance.h"
#include "ScriptObject.h"

#include <memory>

namespace vortalux::script {

// What GetRef answers: a Sub or Function the script defined, callable as the object's default
// member (`f(1)`, `f 1`) by scripts and by host objects that take callbacks.
class ProcedureReference final : public ScriptObject {
public:
    ProcedureReference(const Procedure& procedure, std::shared_ptr<InterpreterLink> link)
        : m_procedure(procedure)
        , m_link(std::move(link))
    {
    }

    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

private:
    const Procedure& m_procedure;
    std::shared_ptr<InterpreterLink> m_link;
};

} // namespace vortalux::script
