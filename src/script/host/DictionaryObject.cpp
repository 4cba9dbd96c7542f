#include "DictionaryObject.h"

#include "AsciiText.h"
#include "HostArguments.h"
#include "ScriptArray.h"

#include <bit>
#include <cstdint>
#include <functional>
#include <utility>

namespace vortalux::script {

namespace {

constexpr int32_t KeyTaken = 457;
constexpr int32_t ElementNotFound = 32811;

// What an entry costs besides its strings: the entry, its index node and the map's bucket.
constexpr size_t BytesPerEntry = sizeof(Variant) * 2 + 96;

} // namespace

size_t DictionaryObject::KeyHash::operator()(const KeyId& key) const
{
    size_t hash = static_cast<size_t>(key.kind) * 0x9e3779b97f4a7c15ULL;
    switch (key.kind) {
    case KeyId::Kind::Number:
    case KeyId::Kind::Boolean:
        return hash ^ std::hash<double>()(key.number);
    case KeyId::Kind::String:
        return hash ^ std::hash<std::string>()(key.text);
    case KeyId::Kind::Object:
        return hash ^ std::hash<const void*>()(key.object);
    default:
        return hash;
    }
}

DictionaryObject::KeyId DictionaryObject::IdOf(const Variant& key) const
{
    KeyId id;
    if (key.IsEmpty()) {
        id.kind = KeyId::Kind::Empty;
    } else if (key.IsNull()) {
        id.kind = KeyId::Kind::Null;
    } else if (key.IsBool()) {
        id.kind = KeyId::Kind::Boolean;
        id.number = key.AsBool() ? -1 : 0;
    } else if (key.IsNumber()) {
        id.kind = KeyId::Kind::Number;
        // + 0.0 makes -0 and 0 one key.
        id.number = ToDouble(key) + 0.0;
    } else if (key.IsString()) {
        id.kind = KeyId::Kind::String;
        id.text = m_compareMode == 0 ? key.AsString() : AsciiLowerCopy(key.AsString());
    } else if (key.IsObject()) {
        id.kind = KeyId::Kind::Object;
        id.object = key.AsObject().get();
    } else {
        Raise(errc::TypeMismatch);
    }
    return id;
}

int32_t DictionaryObject::HashValue(const KeyId& id)
{
    // FNV-1a over what decides the key's identity, so that equal keys hash alike in every run.
    uint32_t hash = 2166136261u;
    const auto mix = [&hash](const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash ^= bytes[i];
            hash *= 16777619u;
        }
    };
    mix(&id.kind, sizeof id.kind);
    switch (id.kind) {
    case KeyId::Kind::Number:
    case KeyId::Kind::Boolean: {
        const auto bits = std::bit_cast<uint64_t>(id.number);
        mix(&bits, sizeof bits);
        break;
    }
    case KeyId::Kind::String:
        mix(id.text.data(), id.text.size());
        break;
    case KeyId::Kind::Object: {
        const auto address = reinterpret_cast<uintptr_t>(id.object);
        mix(&address, sizeof address);
        break;
    }
    default:
        break;
    }
    return static_cast<int32_t>(hash % (MaxHashValue + 1));
}

DictionaryObject::Entry* DictionaryObject::Find(const KeyId& id)
{
    const auto found = m_index.find(id);
    return found == m_index.end() ? nullptr : &m_entries[found->second];
}

DictionaryObject::Entry& DictionaryObject::Insert(KeyId id, const Variant& key, const Variant& item)
{
    // Counted before the memory is taken; the entry's own strings count themselves.
    const size_t textBytes = id.text.size();
    m_keyTextBytes += textBytes;
    try {
        m_charge.Reserve((m_entries.size() + 1) * BytesPerEntry + m_keyTextBytes);
    } catch (...) {
        m_keyTextBytes -= textBytes;
        throw;
    }
    m_entries.push_back(Entry {key, item});
    m_index.emplace(std::move(id), m_entries.size() - 1);
    return m_entries.back();
}

void DictionaryObject::Remove(const KeyId& id)
{
    const auto found = m_index.find(id);
    if (found == m_index.end())
        Raise(ElementNotFound);
    Entry& entry = m_entries[found->second];
    entry.removed = true;
    entry.key = Variant();
    entry.item = Variant();
    m_keyTextBytes -= found->first.text.size();
    m_index.erase(found);
    ++m_removed;
    Compact();
}

void DictionaryObject::Compact()
{
    if (m_removed * 2 <= m_entries.size())
        return;
    std::vector<Entry> kept;
    kept.reserve(m_entries.size() - m_removed);
    for (Entry& entry : m_entries) {
        if (!entry.removed)
            kept.push_back(std::move(entry));
    }
    m_entries = std::move(kept);
    m_removed = 0;
    m_index.clear();
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_index.emplace(IdOf(m_entries[i].key), i);
    m_charge.Settle(m_entries.size() * BytesPerEntry + m_keyTextBytes);
}

void DictionaryObject::RemoveAll()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_index.clear();
    m_removed = 0;
    m_keyTextBytes = 0;
    m_charge.Settle(0);
}

Variant DictionaryObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (name.empty() || EqualsNoCase(name, "Item")) {
        RequireArgumentCount(args, 1, 1);
        KeyId id = IdOf(args[0]);
        if (const Entry* entry = Find(id))
            return entry->item;
        Insert(std::move(id), args[0], Variant());
        return {};
    }
    if (EqualsNoCase(name, "Count")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(static_cast<int32_t>(m_index.size()));
    }
    if (EqualsNoCase(name, "CompareMode")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromLong(m_compareMode);
    }
    return CallMethod(name, args);
}

void DictionaryObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    if (name.empty() || EqualsNoCase(name, "Item")) {
        RequireArgumentCount(args, 1, 1);
        KeyId id = IdOf(args[0]);
        if (Entry* entry = Find(id))
            entry->item = value;
        else
            Insert(std::move(id), args[0], value);
        return;
    }
    if (EqualsNoCase(name, "Key")) {
        RequireArgumentCount(args, 1, 1);
        const KeyId oldId = IdOf(args[0]);
        KeyId newId = IdOf(value);
        const auto found = m_index.find(oldId);
        if (found == m_index.end())
            Raise(ElementNotFound);
        if (newId == oldId) {
            m_entries[found->second].key = value;
            return;
        }
        if (m_index.contains(newId))
            Raise(KeyTaken);
        const size_t position = found->second;
        const size_t newBytes = newId.text.size();
        const size_t oldBytes = oldId.text.size();
        m_charge.Reserve(m_charge.Bytes() + newBytes);
        m_entries[position].key = value;
        m_index.erase(found);
        m_index.emplace(std::move(newId), position);
        m_keyTextBytes += newBytes;
        m_keyTextBytes -= oldBytes;
        m_charge.Settle(m_charge.Bytes() - oldBytes);
        return;
    }
    if (EqualsNoCase(name, "CompareMode")) {
        RequireArgumentCount(args, 0, 0);
        const int32_t mode = ToLong(value);
        if (mode < 0 || mode > 2 || !m_index.empty())
            Raise(errc::InvalidProcedureCall);
        m_compareMode = mode;
        return;
    }
    Raise(errc::NoSuchMember);
}

Variant DictionaryObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Add")) {
        RequireArgumentCount(args, 2, 2);
        KeyId id = IdOf(args[0]);
        if (Find(id) != nullptr)
            Raise(KeyTaken);
        Insert(std::move(id), args[0], args[1]);
        return {};
    }
    if (EqualsNoCase(name, "Exists")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromBool(Find(IdOf(args[0])) != nullptr);
    }
    if (EqualsNoCase(name, "Remove")) {
        RequireArgumentCount(args, 1, 1);
        Remove(IdOf(args[0]));
        return {};
    }
    if (EqualsNoCase(name, "HashVal")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromLong(HashValue(IdOf(args[0])));
    }
    if (EqualsNoCase(name, "RemoveAll")) {
        RequireArgumentCount(args, 0, 0);
        RemoveAll();
        return {};
    }
    const bool keys = EqualsNoCase(name, "Keys");
    if (keys || EqualsNoCase(name, "Items")) {
        RequireArgumentCount(args, 0, 0);
        std::vector<Variant> elements;
        elements.reserve(m_index.size());
        for (const Entry& entry : m_entries) {
            if (!entry.removed)
                elements.push_back(keys ? entry.key : entry.item);
        }
        return Variant::FromArray(ScriptArray::FromElements(std::move(elements)));
    }
    if (name.empty() || EqualsNoCase(name, "Item") || EqualsNoCase(name, "Count")
        || EqualsNoCase(name, "CompareMode"))
        return GetProperty(name, args);
    Raise(errc::NoSuchMember);
}

bool DictionaryObject::Enumerate(std::vector<Variant>& items)
{
    items.reserve(items.size() + m_index.size());
    for (const Entry& entry : m_entries) {
        if (!entry.removed)
            items.push_back(entry.key);
    }
    return true;
}

} // namespace vortalux::script
