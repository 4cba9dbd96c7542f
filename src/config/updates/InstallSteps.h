#pragma once

#include "UpdateCheck.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vortalux {

// What the install ("Do the updates...") decides and writes, without windows or sockets.
// InstallUpdates (InstallUpdates.h) runs it against the server.

struct InstallTexts {
    static constexpr std::array<std::string_view, 3> InstallCaptions = {"Download new version of VTL...",
        "Download new/updated download managers...", "Download new/updated rules..."};
    static constexpr std::string_view FileList = "(file list)";
    static constexpr std::string_view RowDone = "done";
    static constexpr std::string_view IncompleteTransmission = "Error! Incomplete transmission: ";
    static constexpr std::string_view CannotWrite = "Error! The file could not be written: ";
    static constexpr std::string_view UpdateDone = "Update done";
};

// The two program files the server may name, compared without regard to case: the configuration
// program and the engine. Any other name it lists (a support library) is fetched in every case.
struct ProgramFileNames {
    static constexpr std::string_view Program = "vtl";
    static constexpr std::string_view Engine = "libvortalux.so";
};

// The names of the reply to the file list request, the text after "ok" split at every ":". Nullopt
// (incorrect data) when a name is not one the updater may install (empty, ".", "..", a "/", "\"
// or a control byte, or one of the updater's own files), or when there are more than an update
// list holds.
std::optional<std::vector<std::string>> ReadProgramFileList(std::string_view afterOk);

// The names to fetch, in list order: the program is passed over when only the engine is out of
// date (CoreStatus 2), the engine when only the program is (CoreStatus 1).
std::vector<std::string> ProgramFilesToFetch(const std::vector<std::string>& names, int coreStatus);

// pbUpd while a file arrives: received / contentLength x 100, as the bar's single-precision value.
float DownloadPercent(std::uint64_t received, std::int64_t contentLength);

// "Downloading NAME.... (37.20703%)": the value unrounded, seven significant digits at most, with
// `decimalSeparator` in place of the point (the window passes the user's).
std::string DownloadingText(
    std::string_view fileName, float percent, std::string_view decimalSeparator = ".");

// Where a definition or rule is installed: "Managers/NAME.vtm" or "Rules/NAME.vtl" in the program
// directory, or the file already there whose name differs only in case (it is the one replaced).
std::filesystem::path ItemTarget(
    const std::filesystem::path& programDirectory, UpdateList list, std::string_view name);

// The name an item is fetched and reported under: "Managers/NAME.vtm" is requested as shown here,
// messages say "NAME.vtm".
std::string ItemFileName(UpdateList list, std::string_view name);
std::string ItemRequestName(UpdateList list, std::string_view name);

// Writes a fetched file in place of `target`, atomically: the folder is created when missing, a
// read-only file is made writable first (it is replaced, as a writable one is), and the new file
// is complete under its name or not there at all.
[[nodiscard]] bool SaveFetchedFile(
    const std::filesystem::path& target, std::string_view bytes, std::error_code& error);

} // namespace vortalux
