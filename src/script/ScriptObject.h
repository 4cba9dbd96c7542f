#pragma once

#include "ScriptEnumerator.h"
#include "Variant.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::script {

// What a host object (one made by CreateObject, or added by name to a host) implements.
// Member names arrive as the script spells them: compare them without regard to case.
// An empty name is the object's default member. Failures are reported by throwing
// ScriptError (438 "Object doesn't support this property or method" for an unknown name);
// any other exception reaches the script as error 440 with the exception's text.
// Objects are shared: `Set` copies the reference, `Nothing` drops it, `Is` compares identity.
// The arguments of a call are the call's own values, which nobody reads after it: a member may
// move from them (keep a long text without copying it).
class ScriptObject {
public:
    virtual ~ScriptObject() = default;

    // What TypeName answers for the object.
    virtual std::string TypeName() const { return "Object"; }

    // A member read in an expression: `x = obj.Name`, `x = obj.Item(1)`. By default this is a
    // method call, so that methods returning a value need only CallMethod.
    virtual Variant GetProperty(std::string_view name, std::vector<Variant>& args);
    // `obj.Name = value`, `obj.Item(1) = value`, and `Set obj.Name = other`.
    virtual void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value);
    // A member called as a statement: `obj.Name a, b` or `Call obj.Name(a, b)`.
    virtual Variant CallMethod(std::string_view name, std::vector<Variant>& args);
    // For Each over the object: fills `items` and answers true, or answers false when the
    // object is not a collection.
    virtual bool Enumerate(std::vector<Variant>& items);
    // For Each over a collection that makes its items as they are visited: an enumerator, or
    // nullptr (the default) to have Enumerate list every item before the loop starts.
    virtual std::unique_ptr<ScriptEnumerator> Enumerator();
};

} // namespace vortalux::script
