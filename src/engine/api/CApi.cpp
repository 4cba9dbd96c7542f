// The C interface of libvortalux.so: thin wrappers that keep C++ exceptions inside the library.

#include "vortalux.h"

#include "TerminalText.h"
#include "VTL.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

struct vtl_engine {
    vortalux::VTL engine;
    std::string version;
};

namespace {

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Errors are the user's business, never the caller's: the rare one that gets this far is
// reported on standard error.
template<typename Work> void Guarded(const char* what, Work work)
{
    try {
        work();
    } catch (const std::exception& error) {
        // The message may quote a path or an address from outside.
        std::fprintf(stderr, "[Vortalux] %s: %s\n", what, vortalux::TerminalText(error.what()).c_str());
    } catch (...) {
        std::fprintf(stderr, "[Vortalux] %s failed\n", what);
    }
}

} // namespace

extern "C" {

vtl_engine* vtl_create(void)
{
    try {
        return new vtl_engine {};
    } catch (...) {
        return nullptr;
    }
}

void vtl_add_url(vtl_engine* engine, const char* url, const char* desc, const char* referer)
{
    if (engine == nullptr)
        return;
    Guarded("AddUrl", [&] { engine->engine.AddUrl(Text(url), Text(desc), Text(referer)); });
}

void vtl_add_url_list(vtl_engine* engine, const char* const* list, size_t count)
{
    if (engine == nullptr)
        return;
    Guarded("AddUrlList", [&] {
        std::vector<std::string> urlList;
        urlList.reserve(count);
        for (size_t i = 0; i < count && list != nullptr; ++i)
            urlList.push_back(Text(list[i]));
        engine->engine.AddUrlList(urlList);
    });
}

const char* vtl_version(vtl_engine* engine)
{
    if (engine == nullptr)
        return "";
    Guarded("Version", [&] { engine->version = engine->engine.Version(); });
    return engine->version.c_str();
}

void vtl_release(vtl_engine* engine) { delete engine; }

} // extern "C"
