#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vortalux {

// A download-manager definition: "Managers/" + Name + ".vtm", an INI head with "ver" and
// "Default", then a "[SCRIPT]" line and the VBScript that hands links to the manager.
struct ManagerDefinition {
    std::string Ver;
    std::string Name;
    std::string ScriptText;
};

// The definitions of the program directory, in the order the folder lists them. Never empty:
// with no definition it holds one record whose fields are all empty, which callers recognise
// as "no download manager installed".
class ManagerStore {
public:
    ManagerStore();

    // Rebuilds the store from "Managers/*.vtm" below `programDirectory`. Files without a "ver"
    // are left out. When several files carry the default mark, the last one in folder order
    // keeps it and the earlier ones are rewritten with "Default" = "0".
    void LoadManagers(const std::filesystem::path& programDirectory);

    // Moves the default mark to `index`: the previous default's file gets "Default" = "0", and,
    // with MarkChosenFile::Yes, the file at `index` gets "Default" = "1". Nothing is written when
    // `index` already is the default. The mark moves in the store whatever the files say; the
    // result is the first write that failed (a file that is gone is not made anew), empty when
    // every write went through. Loading ignores it; the managers panel tells the user.
    enum class MarkChosenFile { No, Yes };
    std::error_code SetDefaultManager(int index, MarkChosenFile markChosenFile);

    // Position of the default definition, -1 when none is marked.
    int DefaultManager() const { return m_defaultManager; }
    const std::vector<ManagerDefinition>& Definitions() const { return m_definitions; }
    // True when the store holds only its empty record.
    bool IsEmpty() const { return m_definitions.front().Name.empty(); }

    // The script part of a definition file's bytes: what follows the "[SCRIPT]" line (found
    // without regard to case) and the empty line after it. Empty when there is no marker.
    static std::string ScriptPart(std::string_view fileBytes);

    std::filesystem::path PathOf(const ManagerDefinition& definition) const;

private:
    std::filesystem::path m_programDirectory;
    std::vector<ManagerDefinition> m_definitions;
    int m_defaultManager = -1;
};

} // namespace vortalux
