#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// What vtlupd is doing to the program directory, written atomically before its first change and
// whenever it turns back, removed after its last one. While it exists the directory may hold a mix
// of old and new program files: the next vtlupd (vtl hands over to it) carries the journal's
// direction through to the end, which settles the mix whatever was done before a kill.
struct UpdateJournal {
    static constexpr std::string_view FileName = "vtlupd.journal";

    enum class Direction {
        Forward, // putting the new files in place
        Back, // putting the old files back after a replacement failed
    };
    // Whether the program file existed before the update: a replaced file has a backup to go back
    // to, an added one is removed on the way back.
    enum class Target { Replaced, Added };
    struct Item {
        std::string name; // the program file's name in the program directory
        Target target = Target::Replaced;
    };

    Direction direction = Direction::Forward;
    std::vector<Item> items;

    std::string Format() const;
    // The strict reader of what Format writes; nullopt, with the reason in `error`, for anything else.
    static std::optional<UpdateJournal> Parse(std::string_view bytes, std::string& error);

    static bool ExistsIn(const std::filesystem::path& programDirectory);
};

// A name vtlupd may create, replace or remove in the program directory: not empty, ".", "..",
// no "/" or "\", no control byte, at most 200 bytes (room for the backup's suffix).
bool IsPlainProgramFileName(std::string_view name);

} // namespace vortalux
