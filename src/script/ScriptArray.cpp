#include "ScriptArray.h"

#include "ScriptError.h"

#include <algorithm>

namespace vortalux::script {

size_t ScriptArray::CountOf(const std::vector<int32_t>& upperBounds)
{
    // No dimensions (`Dim a()`): an array with no element at all.
    if (upperBounds.empty())
        return 0;
    size_t total = 1;
    for (const int32_t upper : upperBounds) {
        if (upper < -1)
            Raise(errc::SubscriptOutOfRange);
        total *= static_cast<size_t>(upper) + 1;
        if (total > MaxElements)
            Raise(errc::OutOfMemory);
    }
    return total;
}

void ScriptArray::ReserveStorage(size_t count)
{
    m_storage.Reserve(std::max(count, m_elements.capacity()) * sizeof(Variant));
}

void ScriptArray::SettleStorage() noexcept { m_storage.Settle(m_elements.capacity() * sizeof(Variant)); }

ScriptArray::ScriptArray(const std::vector<int32_t>& upperBounds)
{
    const size_t total = CountOf(upperBounds);
    m_counts.reserve(upperBounds.size());
    for (const int32_t upper : upperBounds)
        m_counts.push_back(upper + 1);
    ReserveStorage(total);
    m_elements.resize(total);
    SettleStorage();
}

ScriptArray::ScriptArray(const ScriptArray& other)
    : m_counts(other.m_counts)
    , m_fixed(other.m_fixed)
{
    ReserveStorage(other.m_elements.size());
    m_elements = other.m_elements;
    SettleStorage();
}

ArrayRef ScriptArray::FromElements(std::vector<Variant> elements)
{
    auto array = std::make_shared<ScriptArray>();
    array->ReserveStorage(elements.capacity());
    array->m_counts.push_back(static_cast<int32_t>(elements.size()));
    array->m_elements = std::move(elements);
    array->SettleStorage();
    return array;
}

Variant* ScriptArray::At(const int32_t* indices, size_t count)
{
    if (count != m_counts.size() || count == 0)
        return nullptr;
    size_t offset = 0;
    size_t stride = 1;
    for (size_t d = 0; d < count; ++d) {
        if (indices[d] < 0 || indices[d] >= m_counts[d])
            return nullptr;
        offset += static_cast<size_t>(indices[d]) * stride;
        stride *= static_cast<size_t>(m_counts[d]);
    }
    return &m_elements[offset];
}

void ScriptArray::Redimension(const std::vector<int32_t>& upperBounds, bool preserve)
{
    const size_t total = CountOf(upperBounds);
    if (preserve && !m_counts.empty()) {
        if (upperBounds.size() != m_counts.size())
            Raise(errc::SubscriptOutOfRange);
        for (size_t d = 0; d + 1 < upperBounds.size(); ++d) {
            if (upperBounds[d] + 1 != m_counts[d])
                Raise(errc::SubscriptOutOfRange);
        }
        ReserveStorage(total);
        m_counts.back() = upperBounds.back() + 1;
        m_elements.resize(total);
        // Storage far larger than the array is given back, so that shrinking frees memory.
        if (m_elements.capacity() > 2 * total + 16)
            m_elements.shrink_to_fit();
        SettleStorage();
        return;
    }
    // Counted on top of the old storage, which is freed only once the new one exists.
    RunBudget::Reservation storage;
    storage.Reserve(total * sizeof(Variant));
    std::vector<Variant> elements(total);
    m_counts.clear();
    for (const int32_t upper : upperBounds)
        m_counts.push_back(upper + 1);
    m_elements.swap(elements);
    SettleStorage();
}

void ScriptArray::Clear()
{
    for (Variant& element : m_elements)
        element = Variant();
}

} // namespace vortalux::script
