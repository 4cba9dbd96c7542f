#include "UpdateCheck.h"

#include "AsciiText.h"
#include "ManagerStore.h"
#include "RuleStore.h"
#include "Version.h"

#include <algorithm>
#include <charconv>

namespace vortalux {

namespace {

std::string DecimalText(long long value)
{
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    return error == std::errc() ? std::string(digits, end) : std::string();
}

// The leading digits of a version part without leading zeros ("" for none, i.e. 0), so that
// parts of any length compare exactly: a longer digit string is the larger number.
std::string_view PartNumber(std::string_view part)
{
    part = TrimBytes(part, " \t");
    const size_t digits
        = std::find_if(part.begin(), part.end(), [](char c) { return c < '0' || c > '9'; }) - part.begin();
    part = part.substr(0, digits);
    const size_t firstNonZero = part.find_first_not_of('0');
    return firstNonZero == std::string_view::npos ? std::string_view() : part.substr(firstNonZero);
}

// Part `index` of a "."-separated version; "" when it has fewer parts.
std::string_view VersionPart(std::string_view version, size_t index)
{
    for (size_t i = 0; i < index; ++i) {
        const size_t dot = version.find('.');
        if (dot == std::string_view::npos)
            return {};
        version.remove_prefix(dot + 1);
    }
    return version.substr(0, version.find('.'));
}

int CompareNumbers(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Step 12 of the check for one list: what the server offers that is new or newer here.
void CompareItems(const std::vector<OfferedItem>& offered, const std::vector<OfferedItem>& local,
    std::vector<UpdateItem>& updates, int& newCount, int& updatedCount, ResultLook& look)
{
    for (const OfferedItem& item : offered) {
        const auto found = std::find_if(local.begin(), local.end(),
            [&item](const OfferedItem& mine) { return EqualsNoCase(mine.name, item.name); });
        if (found == local.end()) {
            updates.push_back({item.name, "-1", item.version, true, true});
            ++newCount;
        } else if (IsNewerItemVersion(found->version, item.version)) {
            updates.push_back({item.name, found->version, item.version, false, true});
            ++updatedCount;
        } else {
            continue;
        }
        look = ResultLook::Link;
    }
}

// The numeric value of a text as the details window reads LocalVer: leading blanks, then a
// number ("-1", "0", "2.5"); 0 when none.
double LeadingValue(std::string_view text)
{
    text = TrimBytes(text, " \t");
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

LocalVersions LocalVersions::FromStores(const ManagerStore& managerStore, const RuleStore& ruleStore)
{
    LocalVersions local;
    local.engine = VersionText();
    local.program = VersionText();
    if (!managerStore.IsEmpty()) {
        for (const ManagerDefinition& definition : managerStore.Definitions())
            local.managers.push_back({definition.Name, definition.Ver});
    }
    for (const Rule& rule : ruleStore.Rules())
        local.rules.push_back({rule.name, rule.version});
    return local;
}

std::string UpdateCheckResult::Status() const
{
    return statusTexts.empty() ? std::string() : statusTexts.back();
}

bool IsNewerProgramVersion(std::string_view local, std::string_view offered)
{
    for (size_t part = 0; part < 3; ++part) {
        const int order
            = CompareNumbers(PartNumber(VersionPart(offered, part)), PartNumber(VersionPart(local, part)));
        if (order != 0)
            return order > 0;
    }
    return false;
}

bool IsNewerItemVersion(std::string_view local, std::string_view offered)
{
    // std::string_view compares bytes as unsigned characters: by character code.
    return offered.compare(local) > 0;
}

int CheckProgressPercent(std::uint64_t received, std::int64_t contentLength)
{
    if (contentLength <= 0)
        return 0;
    const auto length = static_cast<std::uint64_t>(contentLength);
    // In integers: received x 95 / length, without overflow for any size a reply can have.
    return static_cast<int>(std::min<std::uint64_t>(received, length) * 95 / length);
}

std::string CountsText(int newCount, int updateCount)
{
    return DecimalText(newCount) + " new, " + DecimalText(updateCount) + " updates";
}

UpdateCheckResult AnalyseVersionsReply(std::string_view replyText, const LocalVersions& local)
{
    UpdateCheckResult result;
    const std::optional<VersionsReply> reply = VersionsReply::Read(replyText);
    if (!reply) {
        result.statusTexts.emplace_back(UpdateTexts::IncorrectData);
        return result;
    }
    result.statusTexts.emplace_back(UpdateTexts::Analysing);

    std::string& core = result.results[0];
    if (IsNewerProgramVersion(local.engine, reply->engineVersion)) {
        core = "new DLL v" + reply->engineVersion;
        result.looks[0] = ResultLook::Link;
        result.coreStatus = 2;
    }
    if (IsNewerProgramVersion(local.program, reply->programVersion)) {
        core += core.empty() ? "new " : " + ";
        core += "GUI v" + reply->programVersion;
        result.looks[0] = ResultLook::Link;
        result.coreStatus += 1;
    }
    if (core.empty())
        core = UpdateTexts::NoUpdates;

    CompareItems(reply->managers, local.managers, result.managerUpdates, result.newManagerCount,
        result.updatedManagerCount, result.looks[1]);
    result.results[1] = CountsText(result.newManagerCount, result.updatedManagerCount);
    CompareItems(reply->rules, local.rules, result.ruleUpdates, result.newRuleCount, result.updatedRuleCount,
        result.looks[2]);
    result.results[2] = CountsText(result.newRuleCount, result.updatedRuleCount);

    result.statusTexts.emplace_back(UpdateTexts::Done);
    result.outcome = UpdateCheckResult::Outcome::Done;
    result.progress = 100;
    return result;
}

std::string UpdateDetailsInfo(const UpdateItem& item, UpdateList list)
{
    const bool rules = list == UpdateList::Rules;
    const double localValue = LeadingValue(item.localVer);
    if (localValue == -1)
        return rules ? "New rule" : "New definition";
    if (localValue == 0)
        return rules ? "This rule was modified. Back to original one (might also be a new one)"
                     : "This definition was modified. Back to original one (might also be a new one)";
    return std::string(rules ? "New version of the rule (from " : "New version of the definition (from ")
        + item.localVer + " to " + item.serverVer + ")";
}

std::string UpdateDetails(std::vector<UpdateItem>& items, std::string_view chosen)
{
    int newCount = 0;
    int updateCount = 0;
    int chosenNew = 0;
    int chosenUpdates = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        UpdateItem& item = items[i];
        item.selected
            = chosen.find(":" + DecimalText(static_cast<long long>(i)) + ":") != std::string_view::npos;
        (item.isNew ? newCount : updateCount) += 1;
        if (item.selected)
            (item.isNew ? chosenNew : chosenUpdates) += 1;
    }
    const auto part = [](int picked, int all) {
        return picked == all ? DecimalText(picked) : DecimalText(picked) + "/" + DecimalText(all);
    };
    return part(chosenNew, newCount) + " new, " + part(chosenUpdates, updateCount) + " updates";
}

} // namespace vortalux
