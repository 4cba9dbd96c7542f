#pragma once

#include "ScriptObject.h"

#include <cstdint>
#include <string>

namespace vortalux::script {

class ScriptError;

// The script's `Err` object: the last error caught by `On Error Resume Next`, `Clear`, and
// `Raise number[, source[, description[, helpfile[, helpcontext]]]]`. Its default property is
// Number.
class ErrObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "ErrObject"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

    void Set(const ScriptError& error);
    void Clear();
    int32_t Number() const { return m_number; }
    const std::string& Description() const { return m_description; }
    const std::string& Source() const { return m_source; }

private:
    [[noreturn]] void Raise(std::vector<Variant>& args);

    int32_t m_number = 0;
    std::string m_description;
    std::string m_source;
    std::string m_helpFile;
    int32_t m_helpContext = 0;
};

} // namespace vortalux::script
