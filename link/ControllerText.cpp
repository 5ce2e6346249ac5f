// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ControllerText.h"

#include <QList>

#include <cerrno>
#include <iconv.h>

namespace {

constexpr char kControllerCharset[] = "GBK";

// One iconv conversion descriptor for the life of a conversion.
class CConverter
{
public:
    CConverter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CConverter()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [in, in + inLeft) as forms whole characters into
    // out; returns false at a sequence that cannot be converted, with in
    // pointing at it.
    bool Convert(char*& in, size_t& inLeft, QByteArray& out)
    {
        char buffer[256];
        while (inLeft > 0) {
            char* next = buffer;
            size_t room = sizeof buffer;
            const size_t result = iconv(m_cd, &in, &inLeft, &next, &room);
            out.append(buffer, next - buffer);
            if (result != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            if (errno == EINVAL) { // an incomplete character at the end
                inLeft = 0;
                return true;
            }
            return false; // EILSEQ
        }
        return true;
    }

private:
    iconv_t m_cd;
};

} // namespace

QString DecodeControllerText(const char* bytes, int length)
{
    if (!bytes || length <= 0)
        return {};
    CConverter converter("UTF-8", kControllerCharset);
    if (!converter.IsOpen())
        return QString::fromLatin1(bytes, length);
    QByteArray input(bytes, length);
    char* in = input.data();
    size_t inLeft = input.size();
    QByteArray utf8;
    while (!converter.Convert(in, inLeft, utf8)) {
        utf8 += "\xEF\xBF\xBD"; // U+FFFD
        ++in;
        --inLeft;
    }
    return QString::fromUtf8(utf8);
}

QByteArray EncodeControllerText(const QString& text, int maxBytes)
{
    CConverter converter(kControllerCharset, "UTF-8");
    QByteArray out;
    // Character by character, so that the limit never splits one.
    for (const char32_t codePoint : text.toUcs4()) {
        QByteArray input = QString::fromUcs4(&codePoint, 1).toUtf8();
        char* in = input.data();
        size_t inLeft = input.size();
        QByteArray character;
        if (!converter.IsOpen() || !converter.Convert(in, inLeft, character) || character.isEmpty())
            character = codePoint < 0x80 ? QByteArray(1, static_cast<char>(codePoint)) : QByteArray("?");
        if (out.size() + character.size() > maxBytes)
            break;
        out += character;
    }
    return out;
}
