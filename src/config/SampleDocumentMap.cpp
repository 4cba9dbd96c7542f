#include "SampleDocumentMap.h"

#include "Utf8Text.h"

namespace vortalux {

SampleDocumentMap::SampleDocumentMap(std::string_view bytes, Encoding encoding)
    : m_bytes(bytes)
    , m_encoding(encoding)
{
}

int SampleDocumentMap::Position(size_t offset)
{
    while (m_byte < offset && m_byte < m_bytes.size()) {
        const auto byte = static_cast<unsigned char>(m_bytes[m_byte]);
        size_t length = 1;
        int units = 1;
        if (byte == '\r' && m_byte + 1 < m_bytes.size() && m_bytes[m_byte + 1] == '\n') {
            length = 2; // one block break in the document
        } else if (byte >= 0x80 && m_encoding == Encoding::Utf8) {
            length = Utf8SequenceLength(m_bytes, m_byte);
            if (length == 0)
                length = 1; // not from a valid UTF-8 text: one replacement character
            units = length == 4 ? 2 : 1;
        }
        if (m_byte + length > offset)
            break; // the offset lies inside this character
        m_byte += length;
        m_position += units;
    }
    return m_position;
}

} // namespace vortalux
