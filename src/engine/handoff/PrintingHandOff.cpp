#include "PrintingHandOff.h"

namespace vortalux {

namespace {

// A tab or line break inside a field would split the record; they become blanks.
std::string Field(const std::string& text)
{
    std::string field = text;
    for (char& c : field) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return field;
}

} // namespace

void PrintingHandOff::AddLink(
    const ManagerStore&, int, const std::string& referer, const std::string& url, const std::string& name)
{
    m_out << "AddLink\t" << Field(referer) << '\t' << Field(url) << '\t' << Field(name) << '\n';
    m_out.flush();
}

void PrintingHandOff::AddList(
    const ManagerStore&, int, const std::string& referer, const std::vector<std::string>& links)
{
    m_out << "AddList\t" << Field(referer) << '\t' << links.size() / 2 << '\n';
    for (size_t i = 0; i + 1 < links.size(); i += 2)
        m_out << '\t' << Field(links[i]) << '\t' << Field(links[i + 1]) << '\n';
    m_out.flush();
}

} // namespace vortalux
