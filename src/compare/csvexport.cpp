#include "compare/csvexport.h"

#include "compare/datetime.h"
#include "compare/filelist.h"
#include "platform/atomicwrite.h"

#include <QLocale>

namespace {

// A date-time value in ISO 8601, as the list holds it (no zone); empty when not set.
QString isoDateTime(double value)
{
    const QDateTime dateTime = dateTimeOfValue(value);
    return dateTime.isValid() ? dateTime.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))
                              : QString();
}

// A spreadsheet runs a cell that starts with one of these as a formula (a tab or a carriage
// return it drops first): such a cell gets a leading quote, which makes it text.
bool readsAsFormula(const QString &text)
{
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}

QString csvField(const QString &text, QChar separator)
{
    const bool formula = readsAsFormula(text);
    const bool quoted = formula || text.contains(separator) || text.contains(u'"') ||
                        text.contains(u'\n') || text.contains(u'\r');
    if (!quoted)
        return text;
    QString doubled = formula ? u'\'' + text : text;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

void appendLine(QString &out, const QStringList &fields, QChar separator)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        out += csvField(fields[i], separator);
    }
    out += u"\r\n";
}

} // namespace

QByteArray fileListCsv(const FileList &list, QChar separator)
{
    QString out;
    appendLine(out,
               {QStringLiteral("Fichiers"), QStringLiteral("Ext."), QStringLiteral("Taille"),
                QStringLiteral("Source"), QStringLiteral("Destination"), QStringLiteral("Statut")},
               separator);
    for (int i = 0; i < list.count(); ++i) {
        const auto &row = list.row(i);
        appendLine(out,
                   {row.field(fldFiles).toString(), row.field(fldFileExt).toString(),
                    row.field(fldFileSize).toString().trimmed(),
                    isoDateTime(row.field(fldDTSrc).toDouble()),
                    isoDateTime(row.field(fldDTDest).toDouble()),
                    row.field(fldStatusText).toString()},
                   separator);
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

QChar csvSeparator(const QLocale &locale)
{
    return locale.decimalPoint() == u"," ? u';' : u',';
}

platform::IoStatus exportFileListCsv(const QString &path, const FileList &list, QChar separator)
{
    return platform::replaceFileAtomically(path, fileListCsv(list, separator));
}
