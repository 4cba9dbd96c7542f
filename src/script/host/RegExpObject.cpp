#include "RegExpObject.h"

#include "AsciiText.h"
#include "HostArguments.h"
#include "MatchCollectionObject.h"
#include "MatchData.h"
#include "RunBudget.h"

namespace vortalux::script {

namespace {

// VBScript's numbers for a pattern its RegExp refuses.
int32_t ErrorNumberOf(PatternFault fault)
{
    switch (fault) {
    case PatternFault::UnexpectedQuantifier:
        return 5018;
    case PatternFault::MissingBracket:
        return 5019;
    case PatternFault::MissingParenthesis:
        return 5020;
    case PatternFault::InvalidRange:
        return 5021;
    default:
        return 5017;
    }
}

// A run the pattern layer cut short (backtracking without end, or more matches than it keeps)
// must not pass for "no match".
[[noreturn]] void RaiseRunTooLarge() { Raise(errc::OutOfStackSpace); }

} // namespace

const CompiledPattern& RegExpObject::Compiled()
{
    if (!m_compiled) {
        PatternOptions options = PatternOptions::None;
        if (m_ignoreCase)
            options = options | PatternOptions::IgnoreCase;
        if (m_multiline)
            options = options | PatternOptions::Multiline;
        PatternFault fault = PatternFault::None;
        m_compiled = CompiledPattern::Compile(m_pattern, options, &fault);
        if (!m_compiled)
            Raise(ErrorNumberOf(fault));
    }
    return *m_compiled;
}

Variant RegExpObject::Execute(const Variant& text)
{
    const CompiledPattern& pattern = Compiled();
    std::string input = ToString(text);
    RunBudget::CheckDeadline();
    auto data = std::make_shared<MatchData>();
    data->charge.Reserve(input.size());
    data->input = std::move(input);
    pattern.Execute(data->input, m_global ? MatchScope::EveryMatch : MatchScope::FirstMatch, data->matches);
    if (data->matches.LimitExceeded())
        RaiseRunTooLarge();
    const MatchList& matches = data->matches;
    data->charge.Reserve(
        data->input.size() + matches.Count() * (matches.GroupCount() + 1) * 2 * sizeof(size_t));
    RunBudget::CheckDeadline();
    return Variant::FromObject(std::make_shared<MatchCollectionObject>(std::move(data)));
}

Variant RegExpObject::Replace(const Variant& text, const Variant& replacement)
{
    const CompiledPattern& pattern = Compiled();
    const std::string input = ToString(text);
    const std::string with = ToString(replacement);
    RunBudget::CheckDeadline();
    CompiledPattern::Replacement outcome
        = pattern.Replace(input, with, m_global ? MatchScope::EveryMatch : MatchScope::FirstMatch);
    if (outcome.limitExceeded)
        RaiseRunTooLarge();
    RunBudget::CheckDeadline();
    return Variant::FromString(std::move(outcome.text));
}

Variant RegExpObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Pattern")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromString(m_pattern);
    }
    if (EqualsNoCase(name, "IgnoreCase")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromBool(m_ignoreCase);
    }
    if (EqualsNoCase(name, "Global")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromBool(m_global);
    }
    if (EqualsNoCase(name, "Multiline")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromBool(m_multiline);
    }
    return CallMethod(name, args);
}

void RegExpObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    RequireArgumentCount(args, 0, 0);
    if (EqualsNoCase(name, "Pattern")) {
        m_pattern = ToString(value);
        m_compiled.reset();
    } else if (EqualsNoCase(name, "IgnoreCase")) {
        m_ignoreCase = ToBool(value);
        m_compiled.reset();
    } else if (EqualsNoCase(name, "Global")) {
        m_global = ToBool(value);
    } else if (EqualsNoCase(name, "Multiline")) {
        m_multiline = ToBool(value);
        m_compiled.reset();
    } else {
        Raise(errc::NoSuchMember);
    }
}

Variant RegExpObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Test")) {
        RequireArgumentCount(args, 1, 1);
        const CompiledPattern& pattern = Compiled();
        const std::string input = ToString(args[0]);
        RunBudget::CheckDeadline();
        const MatchList matches = pattern.Execute(input, MatchScope::FirstMatch);
        if (matches.LimitExceeded())
            RaiseRunTooLarge();
        return Variant::FromBool(!matches.Empty());
    }
    if (EqualsNoCase(name, "Execute")) {
        RequireArgumentCount(args, 1, 1);
        return Execute(args[0]);
    }
    if (EqualsNoCase(name, "Replace")) {
        RequireArgumentCount(args, 2, 2);
        return Replace(args[0], args[1]);
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
