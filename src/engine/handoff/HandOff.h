#pragma once

#include "Link.h"
#include "ManagerStore.h"

#include <string>
#include <vector>

namespace vortalux {

// The one way links leave the system: the script of a download-manager definition, run with its
// procedure AddLink or AddList. Failures are shown to the user ("Script Syntax Error : ...") and
// never reach the caller, which goes on as if the links had been handed over.
class HandOff {
public:
    virtual ~HandOff() = default;

    // Runs AddLink(referer, url, name) of the definition at `position` of `store`.
    virtual void AddLink(
        const ManagerStore& store, int position, const std::string& referer, const Link& link)
        = 0;

    // Runs AddList(referer, list) with the links as a zero-based array (URL, name, URL, name,
    // ...); an empty list is handed over too.
    virtual void AddList(
        const ManagerStore& store, int position, const std::string& referer, const std::vector<Link>& links)
        = 0;
};

} // namespace vortalux
