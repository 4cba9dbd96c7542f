#pragma once

#include "Variant.h"

namespace vortalux::script {

// Hands out the items of a For Each one at a time, for a collection that makes each item when it
// is visited instead of all of them before the loop starts (a million matches of a RegExp would
// otherwise all exist at once).
class ScriptEnumerator {
public:
    virtual ~ScriptEnumerator() = default;

    // Stores the next item in `item` and answers true, or answers false after the last one. May
    // raise like any member of a host object (7 "Out of memory" when the item cannot be counted).
    virtual bool Next(Variant& item) = 0;
};

} // namespace vortalux::script
