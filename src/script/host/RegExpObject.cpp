#include "RegExpObject.h"

#include "HostArguments.h"
#include "MatchCollectionObject.h"
#include "MatchData.h"
#include "MemberName.h"
#include "RegExpPatternCache.h"
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

// The text of an argument: a String as it is, anything else converted into `converted`. A page
// searched in a loop is then never copied for the search.
std::string_view TextOf(const Variant& value, std::string& converted)
{
    if (value.IsString())
        return value.AsString();
    converted = ToString(value);
    return converted;
}

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
        m_compiled = RegExpPatternCache::ForThisThread().Find(m_pattern, options, fault);
        if (!m_compiled)
            Raise(ErrorNumberOf(fault));
    }
    return *m_compiled;
}

Variant RegExpObject::Execute(Variant& text)
{
    const CompiledPattern& pattern = Compiled();
    auto data = std::make_shared<MatchData>();
    // The argument is this call's own copy: the matches keep it instead of copying the text again.
    data->input = text.IsString() ? std::move(text) : Variant::FromString(ToString(text));
    RunBudget::CheckDeadline();
    pattern.Execute(data->Text(), m_global ? MatchScope::EveryMatch : MatchScope::FirstMatch, data->matches);
    if (data->matches.LimitExceeded())
        RaiseRunTooLarge();
    const MatchList& matches = data->matches;
    data->charge.Reserve(matches.Count() * (matches.GroupCount() + 1) * 2 * sizeof(size_t));
    RunBudget::CheckDeadline();
    return Variant::FromObject(std::make_shared<MatchCollectionObject>(std::move(data)));
}

Variant RegExpObject::Replace(const Variant& text, const Variant& replacement)
{
    const CompiledPattern& pattern = Compiled();
    std::string convertedText;
    std::string convertedWith;
    const std::string_view input = TextOf(text, convertedText);
    const std::string_view with = TextOf(replacement, convertedWith);
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
    if (IsMemberName(name, "pattern")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromString(m_pattern);
    }
    if (IsMemberName(name, "ignorecase")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromBool(m_ignoreCase);
    }
    if (IsMemberName(name, "global")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromBool(m_global);
    }
    if (IsMemberName(name, "multiline")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromBool(m_multiline);
    }
    return CallMethod(name, args);
}

void RegExpObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    RequireArgumentCount(args, 0, 0);
    if (IsMemberName(name, "pattern")) {
        m_pattern = ToString(value);
        m_compiled.reset();
    } else if (IsMemberName(name, "ignorecase")) {
        m_ignoreCase = ToBool(value);
        m_compiled.reset();
    } else if (IsMemberName(name, "global")) {
        m_global = ToBool(value);
    } else if (IsMemberName(name, "multiline")) {
        m_multiline = ToBool(value);
        m_compiled.reset();
    } else {
        Raise(errc::NoSuchMember);
    }
}

Variant RegExpObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (IsMemberName(name, "test")) {
        RequireArgumentCount(args, 1, 1);
        const CompiledPattern& pattern = Compiled();
        std::string converted;
        const std::string_view input = TextOf(args[0], converted);
        RunBudget::CheckDeadline();
        const MatchList matches = pattern.Execute(input, MatchScope::FirstMatch);
        if (matches.LimitExceeded())
            RaiseRunTooLarge();
        return Variant::FromBool(!matches.Empty());
    }
    if (IsMemberName(name, "execute")) {
        RequireArgumentCount(args, 1, 1);
        return Execute(args[0]);
    }
    if (IsMemberName(name, "replace")) {
        RequireArgumentCount(args, 2, 2);
        return Replace(args[0], args[1]);
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
