#include "NativeStack.h"

#include <algorithm>
#include <cstddef>
#include <pthread.h>

namespace vortalux::script {

namespace {

constexpr size_t MaxReserve = size_t {1} << 20;
constexpr size_t MaxBudget = size_t {4} << 20;
// Used when the thread's stack cannot be found out.
constexpr size_t FallbackBudget = size_t {256} << 10;

} // namespace

namespace {

// Where the calling thread's stack ends and how large it is; found once per thread, since the
// query reads /proc/self/maps for the main thread, tens of microseconds on every run.
struct StackBounds {
    const char* low = nullptr;
    size_t size = 0;
};

StackBounds QueryBounds()
{
    StackBounds bounds;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        void* address = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attributes, &address, &size) == 0 && address != nullptr) {
            bounds.low = static_cast<const char*>(address);
            bounds.size = size;
        }
        pthread_attr_destroy(&attributes);
    }
    return bounds;
}

} // namespace

const char* NativeStack::Limit()
{
    thread_local const StackBounds bounds = QueryBounds();
    const auto* here = static_cast<const char*>(__builtin_frame_address(0));
    size_t budget = FallbackBudget;
    if (bounds.low != nullptr) {
        const size_t reserve = std::min(MaxReserve, bounds.size / 4);
        const size_t available = here > bounds.low ? static_cast<size_t>(here - bounds.low) : 0;
        budget = available > reserve ? std::min(MaxBudget, available - reserve) : 0;
    }
    return here - budget;
}

} // namespace vortalux::script
