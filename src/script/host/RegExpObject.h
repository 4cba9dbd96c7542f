#pragma once

#include "CompiledPattern.h"
#include "ScriptObject.h"

#include <memory>
#include <string>

namespace vortalux::script {

// "VBScript.RegExp" (what `New RegExp` makes), on the engine's own pattern layer so that rules
// and scripts share one dialect:
//   Pattern, IgnoreCase, Global, Multiline        read and write; "", False, False, False at first
//   Test(text)                                     whether the pattern matches
//   Execute(text)                                  a Matches collection: the first match, or every
//                                                  match with Global
//   Replace(text, replacement)                     "$1".."$99", "$&", "$`", "$'", "$$"
// The pattern is compiled when first used after a change, or taken from the patterns its thread
// compiled last (RegExpPatternCache); an invalid one raises 5017 "Syntax error in regular
// expression" or the more precise 5018-5021. A run that exceeds the pattern layer's
// limits raises 28 "Out of stack space" rather than passing for no match.
class RegExpObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "IRegExp2"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

private:
    const CompiledPattern& Compiled();
    Variant Execute(Variant& text);
    Variant Replace(const Variant& text, const Variant& replacement);

    std::string m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiline = false;
    // Dropped whenever the pattern or an option changes; may be shared with the thread's cache.
    std::shared_ptr<const CompiledPattern> m_compiled;
};

} // namespace vortalux::script
