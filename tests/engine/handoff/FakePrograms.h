#pragma once

#include "ScopedEnvironment.h"
#include "TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace vortalux::test {

// Stand-ins for download programs, first on PATH while the object lives: each records the
// arguments of every call (the count, then each argument, all NUL-terminated, so that blanks
// and line breaks inside arguments survive) and exits 0.
class FakePrograms {
public:
    explicit FakePrograms(const std::vector<std::string>& names);

    // The calls of `name` so far, each as its argument list.
    std::vector<std::vector<std::string>> Calls(const std::string& name) const;
    // Waits up to `seconds` for `count` calls of `name` (the programs run in the background).
    std::vector<std::vector<std::string>> WaitForCalls(
        const std::string& name, size_t count, double seconds) const;

private:
    TempDir m_folder;
    std::unique_ptr<ScopedEnvironment> m_path;
};

} // namespace vortalux::test
