// Feeds an update server's reply to the reply parser whole and again in pieces whose sizes come
// from the input's first bytes, then reads the body as a "versions" list and runs the check's
// analysis on it, and as the install's list of program files: the outcome must not depend on how
// the socket split the data, and nothing the server sends may pass as a file name that leaves its
// folder.
#include "InstallSteps.h"
#include "ServerReplyParser.h"
#include "UpdateCheck.h"
#include "UpdateFileList.h"
#include "VersionsReply.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

using vortalux::ServerReplyParser;

namespace {

constexpr size_t MaxReply = 4096;
constexpr size_t MaxHeader = 2048;

void Check(bool condition, unsigned line = __builtin_LINE())
{
    if (condition)
        return;
    std::fprintf(stderr, "check failed at line %u\n", line);
    std::abort();
}

void CheckItems(const std::vector<vortalux::UpdateItem>& items)
{
    for (const vortalux::UpdateItem& item : items) {
        Check(vortalux::IsPlainFileName(item.name));
        Check(item.isNew == (item.localVer == "-1"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const std::string_view splits(reinterpret_cast<const char*>(data), 4);
    const std::string_view reply(reinterpret_cast<const char*>(data) + 4, size - 4);

    using State = ServerReplyParser::State;
    ServerReplyParser whole(MaxReply, MaxHeader);
    whole.Feed(reply);
    ServerReplyParser pieces(MaxReply, MaxHeader);
    size_t at = 0;
    for (size_t i = 0; at < reply.size() && !pieces.IsFinal(); ++i) {
        const size_t piece = 1 + static_cast<unsigned char>(splits[i % splits.size()]) % 64;
        pieces.Feed(reply.substr(at, piece));
        at += piece;
    }
    // A piece that ends exactly at the announced length completes the body; bytes after it
    // then go unread, where a whole read sees them as a body too long.
    const bool completedEarly = pieces.GetState() == State::Complete && whole.GetState() == State::Incomplete;
    Check(whole.GetState() == pieces.GetState() || completedEarly);
    Check(whole.Code() == pieces.Code());
    Check(whole.ContentLength() == pieces.ContentLength());
    // A body running past its length keeps the read that ran past: how much depends on the
    // split, but it is always more than announced and starts alike.
    const auto announced = static_cast<size_t>(whole.ContentLength());
    const bool runsPast = whole.GetState() == State::Incomplete && whole.ReplyText().size() > announced;
    if (runsPast && pieces.GetState() == State::Incomplete) {
        Check(pieces.ReplyText().size() > announced);
        Check(whole.ReplyText().starts_with(pieces.ReplyText()));
    } else {
        Check(completedEarly || whole.ReplyText() == pieces.ReplyText());
    }
    Check(whole.ReplyText().size() <= MaxReply);
    Check(whole.ContentLength() >= 0);
    const State state = whole.GetState();
    Check(whole.ReplyText().empty() || state == State::Body || state == State::Complete
        || state == State::Incomplete || state == State::TooLarge);
    Check(state == State::Header || state == State::NotHttp || reply.starts_with("HTTP/1."));
    if (state == State::Complete)
        Check(!whole.HasContentLength()
            || whole.ReplyText().size() == static_cast<size_t>(whole.ContentLength()));
    whole.EndOfData();
    Check(whole.IsFinal());

    // The "versions" reader and the check on the raw input (as a body).
    const vortalux::LocalVersions local {"1.2.3", "1.2.3", {{"ImageHost", "2"}, {"a", "0"}}, {{"Rule", "9"}}};
    const vortalux::UpdateCheckResult result = vortalux::AnalyseVersionsReply(reply, local);
    const auto read = vortalux::VersionsReply::Read(reply);
    Check(result.IsDone() == read.has_value());
    if (result.IsDone()) {
        CheckItems(result.managerUpdates);
        CheckItems(result.ruleUpdates);
        Check(result.coreStatus >= 0 && result.coreStatus <= 3);
        Check(result.managerUpdates.size() <= read->managers.size());
        Check(result.ruleUpdates.size() <= read->rules.size());
        Check(
            static_cast<size_t>(result.newRuleCount + result.updatedRuleCount) == result.ruleUpdates.size());
    }

    // The program files the install would fetch: plain names, as many as an update list holds,
    // and what is fetched for an engine-only update is a part of them without the program.
    if (const auto names = vortalux::ReadProgramFileList(reply)) {
        Check(!names->empty() && names->size() <= vortalux::UpdateFileList::MaxEntries);
        for (const std::string& name : *names)
            Check(vortalux::IsPlainFileName(name) && !name.ends_with(".vtu"));
        const std::vector<std::string> engineOnly = vortalux::ProgramFilesToFetch(*names, 2);
        Check(engineOnly.size() <= names->size());
        for (const std::string& name : engineOnly)
            Check(name != "vtl");
    }
    return 0;
}
