#pragma once

#include "RunBudget.h"
#include "ScriptObject.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vortalux::script {

// "Scripting.Dictionary": items looked up by key, kept in the order they were added.
//   Add key, item       457 when the key is there already
//   Item(key)           the default member; reading a missing key adds it with Empty
//   Item(key) = item    replaces, or adds
//   Key(key) = newKey   renames in place; 32811 when key is missing, 457 when newKey is taken
//   Exists(key), Remove(key) (32811 when missing), RemoveAll, Count
//   Keys, Items         arrays in insertion order
//   CompareMode         0 binary, 1 text (ASCII letters in either case), 2 database (as text);
//                       changing it while the dictionary holds items raises 5
//   HashVal(key)        a Long from 0 to 1200, the same for keys the dictionary holds as one
//                       (in text mode "A" and "a"); the numbers are not those Windows gives
//   For Each            over the keys
// Keys compare as Windows compares them: a number by its value whatever its subtype (1 and 1.0
// are one key, 1 and "1" two), a Boolean apart from numbers, an object by identity, Empty and
// Null as themselves. An array is no key (13). Lookups take constant time on average.
class DictionaryObject final : public ScriptObject {
public:
    std::string TypeName() const override { return "Dictionary"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    void SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;
    bool Enumerate(std::vector<Variant>& items) override;

private:
    // A key reduced to what decides its identity.
    struct KeyId {
        enum class Kind : uint8_t { Empty, Null, Number, Boolean, String, Object };
        Kind kind = Kind::Empty;
        double number = 0; // Number, Boolean (-1 or 0)
        std::string text; // String, folded to lower case in text mode
        const void* object = nullptr; // Object; nullptr for Nothing

        bool operator==(const KeyId& other) const = default;
    };
    struct KeyHash {
        size_t operator()(const KeyId& key) const;
    };
    struct Entry {
        Variant key;
        Variant item;
        bool removed = false;
    };

    KeyId IdOf(const Variant& key) const;
    static constexpr int32_t MaxHashValue = 1200;
    static int32_t HashValue(const KeyId& id);
    // The entry of `key`, or nullptr.
    Entry* Find(const KeyId& id);
    Entry& Insert(KeyId id, const Variant& key, const Variant& item);
    void Remove(const KeyId& id);
    void RemoveAll();
    // Drops removed entries once they are half of the table.
    void Compact();

    std::vector<Entry> m_entries;
    std::unordered_map<KeyId, size_t, KeyHash> m_index;
    size_t m_removed = 0;
    // The text of the keys in m_index, counted with each entry against the memory limit (the
    // Variants of an entry count themselves).
    size_t m_keyTextBytes = 0;
    int32_t m_compareMode = 0;
    RunBudget::Reservation m_charge;
};

} // namespace vortalux::script
