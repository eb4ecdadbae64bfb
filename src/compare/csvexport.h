#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QChar>
#include <QString>

class FileList;
class QLocale;

// The file list as a spreadsheet reads it: UTF-8 with a byte-order mark (so that accents are
// read right), a header line, then one line per row in list order (path, extension, size,
// source and destination dates in ISO 8601, status). Fields holding the separator, a quote or
// a line break are quoted, quotes doubled; a field that a spreadsheet would run as a formula
// (starting with '=', '+', '-', '@', a tab or a carriage return) is quoted after a leading
// quote, which makes it text. Lines end with CR LF.
QByteArray fileListCsv(const FileList &list, QChar separator);

// ';' where the locale writes decimals with a comma (French and most of Europe), as spreadsheets
// there expect; ',' elsewhere.
QChar csvSeparator(const QLocale &locale);

// Writes fileListCsv into the file at path through the atomic writer: a failure leaves an
// existing file as it was.
platform::IoStatus exportFileListCsv(const QString &path, const FileList &list, QChar separator);
