#pragma once

#include "ScriptObject.h"

namespace vortalux::script {

// WScript.Shell's Environment("PROCESS") (ProcessContext keeps what a script changes):
//   Item(name)            the default member: the value, "" when not set
//   Item(name) = value    sets it (an empty value removes it)
//   Remove(name), Count
//   For Each              each variable as "NAME=value"
class EnvironmentObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "IWshEnvironment"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;
    bool Enumerate(std::vector<Variant>& items) override;
};

} // namespace vortalux::script
