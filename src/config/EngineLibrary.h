#pragma once

#include <filesystem>
#include <string>

namespace vortalux {

// The engine as the configuration program sees it: libvortalux.so, loaded the way any program
// would load it, asked for its version once at start-up.
class EngineLibrary {
public:
    struct VersionAnswer {
        bool ok = false;
        std::string version; // "major.minor.revision" when ok
        std::string error; // why not, in the loader's words, when not ok
    };

    // libvortalux.so beside the running program.
    static std::filesystem::path DefaultPath();

    // Loads `library`, creates an engine object, reads its version and releases the object.
    // The library stays loaded: the engine never unloads (Qt state in it does not survive that).
    static VersionAnswer ReadVersion(const std::filesystem::path& library);
};

} // namespace vortalux
