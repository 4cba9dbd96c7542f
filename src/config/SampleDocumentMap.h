#pragma once

#include <cstddef>
#include <string_view>

namespace vortalux {

// Where a byte of the tester's sample lies in the text document that shows it. The pattern runs
// over bytes, one character per byte; the document holds UTF-16 code units, and turns each
// CR LF into a single block break. Offsets are asked in ascending order, so one pass over the
// bytes answers every match of a run.
class SampleDocumentMap {
public:
    // How the bytes became the document's text (DisplayText decides).
    enum class Encoding { Utf8, Windows1252 };

    SampleDocumentMap(std::string_view bytes, Encoding encoding);

    // The document position of the byte at `offset` (or of the character it is part of); each
    // call's offset must be at least the one before.
    int Position(size_t offset);

private:
    std::string_view m_bytes;
    Encoding m_encoding;
    size_t m_byte = 0; // the first byte not yet passed; it starts a character
    int m_position = 0; // the document position of m_byte
};

} // namespace vortalux
