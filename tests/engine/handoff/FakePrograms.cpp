#include "FakePrograms.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace vortalux::test {

FakePrograms::FakePrograms(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        const std::filesystem::path program = m_folder / name;
        WriteFileBytes(program,
            "#!/bin/sh\n{ printf '%s\\0' \"$#\"; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } >> '"
                + (m_folder / (name + ".calls")).string() + "'\n");
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    }
    const char* path = std::getenv("PATH");
    m_path = std::make_unique<ScopedEnvironment>(
        "PATH", m_folder.Path().string() + ":" + (path != nullptr ? path : "/usr/bin:/bin"));
}

std::vector<std::vector<std::string>> FakePrograms::Calls(const std::string& name) const
{
    const std::string bytes = ReadFileBytes(m_folder / (name + ".calls"));
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(bytes.substr(start, end - start));
    std::vector<std::vector<std::string>> calls;
    for (size_t i = 0; i < fields.size();) {
        const size_t count = std::stoul(fields[i++]);
        if (i + count > fields.size())
            break; // a call still being written
        calls.emplace_back(fields.begin() + static_cast<std::ptrdiff_t>(i),
            fields.begin() + static_cast<std::ptrdiff_t>(i + count));
        i += count;
    }
    return calls;
}

std::vector<std::vector<std::string>> FakePrograms::WaitForCalls(
    const std::string& name, size_t count, double seconds) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    auto calls = Calls(name);
    while (calls.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        calls = Calls(name);
    }
    return calls;
}

} // namespace vortalux::test
