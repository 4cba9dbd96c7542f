#pragma once

namespace vortalux::script {

// Guards the recursion of the parser and the interpreter against the native stack of the
// thread they run on, whatever its size: past the limit they fail with "Out of stack space".
class NativeStack {
public:
    // The lowest address the calling thread's stack may reach from here: what is left below
    // the caller (at most a few MiB), less a reserve for the host and the deepest unchecked step.
    static const char* Limit();

    static bool Below(const char* limit)
    {
        return static_cast<const char*>(__builtin_frame_address(0)) < limit;
    }
};

} // namespace vortalux::script
