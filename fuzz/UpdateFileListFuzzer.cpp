// Feeds arbitrary bytes to the readers vtlupd trusts nothing to: "FileList.vtu" and its journal,
// and the checks of the listed paths. Whatever the reader accepts must write back to the same
// list, and a refused list must plan nothing.
#include "UpdateFileList.h"
#include "UpdateInstaller.h"
#include "UpdateJournal.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace vortalux;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const UpdateFileList::ReadResult list = UpdateFileList::Parse(bytes);
    if (list.Ok()) {
        Check(list.paths.size() <= UpdateFileList::MaxEntries);
        std::vector<std::filesystem::path> paths(list.paths.begin(), list.paths.end());
        const UpdateFileList::ReadResult again = UpdateFileList::Parse(UpdateFileList::Format(paths));
        Check(again.Ok() && again.paths == list.paths);
        // No directory of that name exists: every path is refused, and a refusal plans nothing.
        const UpdateInstaller::Plan plan
            = UpdateInstaller::MakePlan("/nonexistent/vortalux-fuzz", list.paths);
        Check(plan.error.empty() == list.paths.empty());
        Check(plan.journal.items.empty());
    } else {
        Check(list.paths.empty());
    }

    std::string error;
    if (const std::optional<UpdateJournal> journal = UpdateJournal::Parse(bytes, error)) {
        for (const UpdateJournal::Item& item : journal->items)
            Check(IsPlainProgramFileName(item.name));
        const std::optional<UpdateJournal> again = UpdateJournal::Parse(journal->Format(), error);
        Check(again.has_value() && again->Format() == journal->Format());
    }
    return 0;
}
