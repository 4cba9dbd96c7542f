#include "EngineTestSupport.h"

#include "ProfileFile.h"

namespace vortalux::test {

void EngineHome::RecordingManager(const std::string& extra)
{
    const std::string calls = (m_dir.Path() / "calls.txt").string();
    WriteFileBytes(m_dir.Path() / "Managers" / "Recorder.vtm",
        "[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\n"
        "Sub Record(text)\r\n"
        "    Dim file\r\n"
        "    Set file = CreateObject(\"Scripting.FileSystemObject\").OpenTextFile(\""
            + calls
            + "\", 8, True)\r\n"
              "    file.Write text & vbLf\r\n"
              "    file.Close\r\n"
              "End Sub\r\n"
              "Sub AddLink(referer, url, name)\r\n"
              "    Record \"AddLink|\" & referer & \"|\" & url & \"|\" & name\r\n"
              "End Sub\r\n"
              "Sub AddList(referer, list)\r\n"
              "    Record \"AddList|\" & referer & \"|\" & Join(list, \"|\")\r\n"
              "End Sub\r\n"
            + extra);
}

std::string EngineHome::RecordedCalls() const
{
    const std::filesystem::path calls = m_dir.Path() / "calls.txt";
    return std::filesystem::exists(calls) ? ReadFileBytes(calls) : std::string();
}

std::vector<std::string> EngineHome::Reports() const
{
    std::vector<std::string> names;
    for (int n = 1; std::filesystem::exists(m_dir / (std::to_string(n) + ".vtr")); ++n)
        names.push_back(ProfileFile::ReadValue(m_dir / (std::to_string(n) + ".vtr"), "Rule", "Name", ""));
    return names;
}

} // namespace vortalux::test
