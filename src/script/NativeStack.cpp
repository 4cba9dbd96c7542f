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

const char* NativeStack::Limit()
{
    const auto* here = static_cast<const char*>(__builtin_frame_address(0));
    size_t budget = FallbackBudget;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        void* address = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attributes, &address, &size) == 0 && address != nullptr) {
            const auto* low = static_cast<const char*>(address);
            const size_t reserve = std::min(MaxReserve, size / 4);
            const size_t available = here > low ? static_cast<size_t>(here - low) : 0;
            budget = available > reserve ? std::min(MaxBudget, available - reserve) : 0;
        }
        pthread_attr_destroy(&attributes);
    }
    return here - budget;
}

} // namespace vortalux::script
