#pragma once

#include <QString>
#include <QtGlobal>

// The size of a file, from one stat call (the file is never opened); 0 when the path names no
// regular file or cannot be examined.
quint64 FileSize64(const QString &path);
// The size of a file as a number of bytes, or -1 when the path names no file (missing, a
// folder, a FIFO or another special file).
double FileSizeOf(const QString &path);

// A size for the user: "%d Octets" up to 1024 bytes, then KO, MO and GO with two decimals and
// the decimal separator of the default locale, no group separators, then a space and "libres"
// when withFree (so that a text without that word ends with a space). A negative size reads
// "-.-- Octets ".
QString SizeText(double size, bool withFree);

// SizeText for many sizes in a row: reads the locale once.
class SizeFormatter {
public:
    SizeFormatter();
    QString text(double size, bool withFree) const;

private:
    QString m_decimalPoint;
};
