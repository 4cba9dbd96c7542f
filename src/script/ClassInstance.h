#pragma once

#include "Ast.h"
#include "ScriptObject.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::script {

class Interpreter;

// What the objects a script makes (class instances, GetRef references) keep of the interpreter
// that runs their code: the interpreter while it lives, null once it is gone.
struct InterpreterLink {
    Interpreter* interpreter = nullptr;
};

// An instance of a class the script defined. Script code and host code reach its members alike
// through the ScriptObject interface; the interpreter runs them. Instances are made by
// Interpreter::NewInstance only: the deleter of the references it hands out gives the instance
// back to the interpreter, which runs Class_Terminate (once) before freeing it.
class ClassInstance final : public ScriptObject {
public:
    ClassInstance(std::shared_ptr<const ClassDefinition> definition, std::shared_ptr<InterpreterLink> link);
    ~ClassInstance() override;
    ClassInstance(const ClassInstance&) = delete;
    ClassInstance& operator=(const ClassInstance&) = delete;

    std::string TypeName() const override { return m_definition->name; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

    const ClassDefinition& Definition() const { return *m_definition; }
    Variant& Field(int index) { return m_fields[static_cast<size_t>(index)]; }
    std::vector<Variant>& Fields() { return m_fields; }
    // The interpreter that made the instance, or null once it is gone.
    Interpreter* Owner() const { return m_link->interpreter; }
    // A reference to the instance itself (`Me`), empty while it is being freed.
    ObjectRef Self() const { return m_self.lock(); }
    void SetSelf(const ObjectRef& self) { m_self = self; }

    // The deleter of every reference to an instance.
    static void Release(ScriptObject* object);

private:
    std::shared_ptr<const ClassDefinition> m_definition;
    std::shared_ptr<InterpreterLink> m_link;
    std::vector<Variant> m_fields;
    std::weak_ptr<ScriptObject> m_self;
    bool m_terminateDue = true;
};

} // namespace vortalux::script
