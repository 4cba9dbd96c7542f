#include "EngineLibrary.h"

#include "vortalux.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <system_error>

namespace vortalux {

namespace fs = std::filesystem;

namespace {

// The symbols of the C interface looked up by name, so a library of another version or none at
// all ends start-up with a message instead of a failed program load.
template<typename Function> Function* Symbol(void* handle, const char* name, std::string& error)
{
    dlerror();
    void* address = dlsym(handle, name);
    if (address == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : std::string(name) + ": undefined symbol";
        return nullptr;
    }
    // The C interface's functions are C functions: converting the loader's object pointer is how
    // dlsym is meant to be used.
    return reinterpret_cast<Function*>(address);
}

} // namespace

fs::path EngineLibrary::DefaultPath()
{
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return (ec ? fs::current_path(ec) : program.parent_path()) / "libvortalux.so";
}

EngineLibrary::VersionAnswer EngineLibrary::ReadVersion(const fs::path& library)
{
    VersionAnswer answer;
    // RTLD_LOCAL keeps the engine's own copy of the core apart from this program's.
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        answer.error = reason != nullptr ? reason : "the library could not be loaded";
        return answer;
    }
    auto* create = Symbol<vtl_engine*()>(handle, "vtl_create", answer.error);
    auto* version = Symbol<const char*(vtl_engine*)>(handle, "vtl_version", answer.error);
    auto* release = Symbol<void(vtl_engine*)>(handle, "vtl_release", answer.error);
    if (create == nullptr || version == nullptr || release == nullptr)
        return answer;
    const std::unique_ptr<vtl_engine, void (*)(vtl_engine*)> engine(create(), release);
    if (!engine) {
        answer.error = "the engine object could not be created";
        return answer;
    }
    const char* text = version(engine.get());
    if (text == nullptr || *text == '\0') {
        answer.error = "the engine gave no version";
        return answer;
    }
    answer.version = text;
    answer.ok = true;
    return answer;
}

} // namespace vortalux
