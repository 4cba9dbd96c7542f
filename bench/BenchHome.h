#pragma once

#include <filesystem>

namespace vortalux::bench {

// A temporary program directory of rule files of the usual size (half of them rewrite the link,
// half search the page, one in seven switched off) and download-manager definitions; removed
// with the object.
class BenchHome {
public:
    BenchHome(int ruleCount, int definitionCount);
    ~BenchHome();
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;

    const std::filesystem::path& Path() const { return m_home; }

private:
    std::filesystem::path m_home;
};

} // namespace vortalux::bench
