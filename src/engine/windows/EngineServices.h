#pragma once

#include "HandOff.h"
#include "PageFetcher.h"

#include <memory>

namespace vortalux {

// What the engine's flows work with besides the rules: the page fetcher that page-search rules
// download through, and the hand-off that takes the results to the download manager. A window
// owns one for its lifetime; the fetcher is where Esc and Cancel end a download.
class EngineServices {
public:
    explicit EngineServices(std::unique_ptr<HandOff> handOff)
        : m_handOff(std::move(handOff))
    {
    }
    EngineServices(const EngineServices&) = delete;
    EngineServices& operator=(const EngineServices&) = delete;

    PageFetcher& Fetcher() { return m_fetcher; }
    HandOff& HandOffToManager() { return *m_handOff; }

private:
    PageFetcher m_fetcher;
    std::unique_ptr<HandOff> m_handOff;
};

} // namespace vortalux
