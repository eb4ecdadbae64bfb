#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// A file name's bytes as a text that gives them back: valid UTF-8 is decoded, and each byte that
// is not part of valid UTF-8 becomes the lone surrogate U+DC80 + byte (the "surrogateescape"
// scheme). Overlong forms, encoded surrogates and code points past U+10FFFF are not valid.
// Two names that differ in any byte give two texts.
QString losslessText(QByteArrayView bytes);

// The inverse: a lone surrogate U+DC80..U+DCFF is its byte, every other character its UTF-8
// (another lone surrogate, which has none, becomes '?'). losslessBytes(losslessText(b)) == b.
QByteArray losslessBytes(QStringView text);

// Whether the text holds a surrogate that is not half of a pair, which UTF-8 cannot carry.
bool holdsLoneSurrogate(QStringView text);

} // namespace platform
