// Feeds arbitrary bytes to the profile-file reader and writer, the rule reader and the script
// part of definitions, and checks that a written value always reads back.
#include "ManagerStore.h"
#include "ProfileFile.h"
#include "RuleFile.h"

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
    ProfileFile file = ProfileFile::FromBytes("fuzz.ini", bytes);
    Check(file.Bytes() == bytes);

    (void)RuleFile::Read(file, "fuzz");
    (void)ManagerStore::ScriptPart(bytes);

    // A section and key taken from the input, a value that survives trimming and quotes.
    const std::string section(bytes.substr(0, std::min<size_t>(size, 6)));
    const std::string key(bytes.substr(std::min<size_t>(size, 6), 4));
    const bool nameUsable = section.find_first_of("[]=\r\n") == std::string::npos
        && key.find_first_of("[]=\r\n") == std::string::npos && !key.empty()
        && key.find_first_not_of(" \t\v\f\x1a") != std::string::npos
        && key.find_first_of(" \t\v\f\x1a") == std::string::npos
        && section.find_first_of(" \t\v\f\x1a") == std::string::npos && !section.empty();
    const std::string value = "v" + std::to_string(size) + "w";
    file.Write(section, key, value);
    const ProfileFile reread = ProfileFile::FromBytes("fuzz.ini", file.Bytes());
    if (nameUsable)
        Check(reread.Read(section, key, "default") == value);
    return 0;
}
