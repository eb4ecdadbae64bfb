#include "platform/losslessname.h"

#include <algorithm>

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at the start of bytes, 0 when there is none, and its
// code point. The second byte's range rules out overlong forms, surrogates and code points past
// U+10FFFF.
int validSequence(const unsigned char *bytes, qsizetype left, char32_t &codePoint)
{
    const unsigned char lead = bytes[0];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || bytes[1] < low || bytes[1] > high)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(bytes[i]))
            return 0;
        codePoint = (codePoint << 6) | (bytes[i] & 0x3F);
    }
    return length;
}

bool isLoneAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 == text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

} // namespace

QString losslessText(QByteArrayView bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    if (std::all_of(data, data + size, [](unsigned char c) { return c < 0x80; }))
        return QString::fromLatin1(bytes.data(), size);
    QString text;
    text.reserve(size);
    for (qsizetype i = 0; i < size;) {
        if (data[i] < 0x80) {
            text += QChar(char16_t(data[i++]));
            continue;
        }
        char32_t codePoint = 0;
        const int length = validSequence(data + i, size - i, codePoint);
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + data[i++]));
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            text += QChar(QChar::highSurrogate(codePoint));
            text += QChar(QChar::lowSurrogate(codePoint));
        } else {
            text += QChar(char16_t(codePoint));
        }
        i += length;
    }
    return text;
}

QByteArray losslessBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype run = 0; // the start of the characters not yet encoded
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < kFirstEscape || c > kLastEscape || !isLoneAt(text, i))
            continue;
        bytes += text.sliced(run, i - run).toUtf8();
        bytes += char(c - kEscapeBase);
        run = i + 1;
    }
    bytes += text.sliced(run).toUtf8();
    return bytes;
}

bool holdsLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLoneAt(text, i))
            return true;
    }
    return false;
}

} // namespace platform
