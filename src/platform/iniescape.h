#pragma once

#include <QString>

namespace platform {

// Texts that the rules of INI files would change, written so that they read back as exactly
// the same text: the escape '%', then the text's bytes percent-encoded (its UTF-8; a byte of a
// name kept by losslessText as that byte), so that only letters, digits and "-._~" remain,
// which no INI rule touches. A text that needs no escape is written as it is. Only a stored
// text in exactly the form the escape writes is decoded: any other, such as a hand-written
// "%20.txt" or "%zz", is the text itself, as files written before the escape read.

// As a key: an '=' or a line break would end it, spaces at either end be trimmed, a leading
// '[' or ';' make a section or a comment.
QString escapedIniKey(const QString &key);
QString unescapedIniKey(const QString &stored);

// As a value: a line break would end it, spaces at either end be trimmed.
QString escapedIniValue(const QString &value);
QString unescapedIniValue(const QString &stored);

} // namespace platform
