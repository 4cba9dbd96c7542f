#pragma once

#include "HandOff.h"

#include <ostream>

namespace vortalux {

// Writes each hand-off on a stream instead of running a definition's script, one line per call
// and one per link, fields separated by tabs:
//   AddLink <referer> <url> <name>
//   AddList <referer> <count>
//   <tab><url> <name>            (count lines)
// For scripts and pipes that take the links themselves, and for seeing what would be sent.
class PrintingHandOff final : public HandOff {
public:
    explicit PrintingHandOff(std::ostream& out)
        : m_out(out)
    {
    }

    void AddLink(const ManagerStore& store, int position, const std::string& referer, const std::string& url,
        const std::string& name) override;
    void AddList(const ManagerStore& store, int position, const std::string& referer,
        const std::vector<std::string>& links) override;

private:
    std::ostream& m_out;
};

} // namespace vortalux
