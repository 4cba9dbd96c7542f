#include "BenchHome.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace vortalux::bench {

BenchHome::BenchHome(int ruleCount, int definitionCount)
{
    std::string pattern = (fs::temp_directory_path() / "vortalux-bench-XXXXXX").string();
    m_home = ::mkdtemp(pattern.data());
    fs::create_directories(m_home / "Rules");
    fs::create_directories(m_home / "Managers");
    for (int i = 0; i < ruleCount; ++i) {
        std::ofstream out(m_home / "Rules" / ("host" + std::to_string(i) + ".vtl"), std::ios::binary);
        const std::string host = "host" + std::to_string(i) + "\\.example";
        if (i % 2 == 0) {
            out << "[Main]\r\nver=3\r\nActive=" << (i % 7 == 0 ? 0 : 1) << "\r\nIdent=^https?://(www\\.)?"
                << host
                << "/img/\r\nType=0\r\nReferer=3\r\n\r\n[SR]\r\nnb=2\r\nsr1.1=_t\\.jpg$\r\nsr2.1=.jpg\r\n"
                << "sr1.2=/img/\r\nsr2.2=/full/\r\n";
        } else {
            out << "[Main]\r\nver=3\r\nIdent=^https?://" << host
                << "/view\\.php\\?id=\\d+\r\nType=1\r\nReferer=4\r\n\r\n[OS]\r\nnb=2\r\nregexp.1=<div "
                   "id=\"pic\">\r\n"
                << "result.1=\r\nglobal.1=0\r\nregexp.2=<img "
                   "src=\"([^\"]+)\"\r\nresult.2=$SRV$1\r\nglobal.2=0\r\n"
                << "\r\n[Referer]\r\nRegExp=^(.*)/view\r\nResult=$1/gallery\r\n";
        }
    }
    for (int i = 0; i < definitionCount; ++i) {
        std::ofstream out(m_home / "Managers" / ("Manager " + std::to_string(i) + ".vtm"), std::ios::binary);
        out << "[Main]\r\nver=2\r\nDefault=" << (i == 0 ? 1 : 0) << "\r\n[SCRIPT]\r\n\r\n"
            << "Sub AddLink(Referer, URL, Name)\r\n  Set shell = CreateObject(\"WScript.Shell\")\r\n"
            << "  shell.Run \"wget --referer=\" & Referer & \" \" & URL, 0, False\r\nEnd Sub\r\n"
            << "Sub AddList(Referer, List)\r\n  For i = 0 To UBound(List) Step 2\r\n"
            << "    AddLink Referer, List(i), List(i + 1)\r\n  Next\r\nEnd Sub\r\n";
    }
}

BenchHome::~BenchHome()
{
    std::error_code ec;
    fs::remove_all(m_home, ec);
}

} // namespace vortalux::bench
