#include "DisplayText.h"

#include <QStringDecoder>

#include <array>

namespace vortalux {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five it leaves unassigned keep their Latin-1 code.
constexpr std::array<char16_t, 32> HighControlRange = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsPlainAscii(std::string_view bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QString DisplayText(std::string_view bytes)
{
    const auto size = static_cast<qsizetype>(bytes.size());
    if (IsPlainAscii(bytes))
        return QString::fromLatin1(bytes.data(), size);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), size));
    if (!utf8.hasError())
        return text;
    text.clear();
    text.reserve(size);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.append(
            byte >= 0x80 && byte <= 0x9F ? QChar(HighControlRange[byte - 0x80]) : QChar(char16_t(byte)));
    }
    return text;
}

} // namespace vortalux
