#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// How a JsonWriter lays out what it writes: indented for people, on one line for programs.
enum class JsonLayout { Indented, Compact };

// Writes JSON to a stream. Texts are byte strings: valid UTF-8 passes through, and a
// byte that is not part of valid UTF-8 becomes the Unicode character of the same code (Latin-1),
// so no input can produce invalid JSON.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out, JsonLayout layout = JsonLayout::Indented)
        : m_out(out)
        , m_layout(layout)
    {
    }

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view value);
    JsonWriter& Number(int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // Ends the document with a line break.
    void Finish();

    static std::string Quote(std::string_view bytes);

private:
    void BeforeValue();
    void Close(char bracket);
    void NewLine();

    struct Level {
        bool empty = true;
    };
    std::ostream& m_out;
    JsonLayout m_layout;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

} // namespace vortalux
