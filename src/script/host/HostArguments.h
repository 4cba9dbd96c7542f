#pragma once

#include "Coercion.h"
#include "ScriptError.h"
#include "Variant.h"

#include <cstddef>
#include <vector>

namespace vortalux::script {

// Argument checks shared by the host objects. A left-out optional argument arrives as Empty.

// Raises 450 "Wrong number of arguments" unless `args` holds `least` to `most` values.
inline void RequireArgumentCount(const std::vector<Variant>& args, size_t least, size_t most)
{
    if (args.size() < least || args.size() > most)
        Raise(errc::WrongArgumentCount);
}

// The optional argument `index` as a Boolean, `fallback` when it was left out.
inline bool OptionalBool(const std::vector<Variant>& args, size_t index, bool fallback)
{
    if (index >= args.size() || args[index].IsEmpty())
        return fallback;
    return ToBool(args[index]);
}

// The optional argument `index` as a Long, `fallback` when it was left out.
inline int32_t OptionalLong(const std::vector<Variant>& args, size_t index, int32_t fallback)
{
    if (index >= args.size() || args[index].IsEmpty())
        return fallback;
    return ToLong(args[index]);
}

// A property without parameters that answers an object, read with arguments (`m.SubMatches(0)`):
// the arguments go to the object's default member, as COM's standard dispatch does.
inline Variant ApplyToDefault(Variant value, std::vector<Variant>& args)
{
    if (args.empty())
        return value;
    if (!value.IsObject() || !value.AsObject())
        Raise(errc::WrongArgumentCount);
    return value.AsObject()->GetProperty("", args);
}

} // namespace vortalux::script
