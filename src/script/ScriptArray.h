#pragma once

#include "RunBudget.h"
#include "Variant.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vortalux::script {

// The storage of an array value: zero-based dimensions, elements in column-major order (the
// first index varies fastest), so that ReDim Preserve of the last dimension keeps every element
// where it is. An array without dimensions is a dynamic array not yet sized (`Dim a()`): it has
// no element, and every index is out of range.
class ScriptArray {
public:
    // Arrays larger than this fail with "Out of memory" instead of exhausting the process.
    static constexpr size_t MaxElements = size_t {1} << 22;

    ScriptArray() = default;
    // One dimension per upper bound; -1 gives an empty dimension. Raises 7 past kMaxElements
    // or past the memory limit.
    explicit ScriptArray(const std::vector<int32_t>& upperBounds);
    // A copy of every element; raises 7 past the memory limit.
    ScriptArray(const ScriptArray& other);
    ScriptArray& operator=(const ScriptArray&) = delete;
    static ArrayRef FromElements(std::vector<Variant> elements);

    size_t DimensionCount() const { return m_counts.size(); }
    int32_t UpperBound(size_t dimension) const { return m_counts[dimension] - 1; }
    size_t Size() const { return m_elements.size(); }
    std::span<Variant> Elements() { return m_elements; }
    const std::vector<Variant>& Elements() const { return m_elements; }

    // The element at `indices`, or nullptr when their number or any of them is out of range.
    Variant* At(const int32_t* indices, size_t count);

    // Arrays declared with bounds (`Dim a(3)`) cannot be re-dimensioned.
    bool IsFixed() const { return m_fixed; }
    void SetFixed(bool fixed) { m_fixed = fixed; }

    // ReDim: new bounds; with `preserve` only the last dimension may change (error 9 otherwise).
    void Redimension(const std::vector<int32_t>& upperBounds, bool preserve);
    // Erase of a fixed array: every element back to Empty.
    void Clear();

private:
    static size_t CountOf(const std::vector<int32_t>& upperBounds);
    // Counts the storage of `count` elements before it is taken; raises 7 past the limit.
    void ReserveStorage(size_t count);
    // Counts the storage actually taken.
    void SettleStorage() noexcept;

    std::vector<int32_t> m_counts;
    RunBudget::Reservation m_storage;
    std::vector<Variant> m_elements;
    bool m_fixed = false;
};

} // namespace vortalux::script
