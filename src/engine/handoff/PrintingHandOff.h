#pragma once

#include "HandOff.h"

#include <ostream>

namespace vortalux {

// Writes each hand-off on a stream instead of running a definition's script, one line per call
// and one per link, fields separated by tabs:
//   AddLink <referer> <url> <name>
//   AddList <referer> <count>
//   <tab><url> <name>            (count lines)
// The records are data for scripts and pipes that take the links themselves, and are read on a
// terminal too: addresses have the bytes no URL may hold as they are (control bytes, blanks, DEL,
// C1 controls) percent-encoded, so they stay the same addresses; names are TerminalText.
class PrintingHandOff final : public HandOff {
public:
    explicit PrintingHandOff(std::ostream& out)
        : m_out(out)
    {
    }

    void AddLink(
        const ManagerStore& store, int position, const std::string& referer, const Link& link) override;
    void AddList(const ManagerStore& store, int position, const std::string& referer,
        const std::vector<Link>& links) override;

private:
    std::ostream& m_out;
};

} // namespace vortalux
