#include "platform/inifile.h"

#include "platform/atomicwrite.h"
#include "platform/filecalls.h"
#include "platform/iniescape.h"
#include "platform/wholefile.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>
#include <optional>

namespace platform {

namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The leading number of text, decimal or "0x" hexadecimal, with an optional sign. Digits past
// the range of int saturate; text that does not start with a digit has no number.
std::optional<int> leadingInteger(const QString &text)
{
    // toLatin1() turns each character past Latin-1 into '?': only ASCII digits and letters of
    // text can read as digits.
    const QByteArray latin1 = text.toLatin1();
    const char *i = latin1.constBegin();
    const char *const end = latin1.constEnd();
    bool negative = false;
    if (i != end && (*i == '-' || *i == '+'))
        negative = *i++ == '-';
    int base = 10;
    if (end - i > 2 && i[0] == '0' && (i[1] == 'x' || i[1] == 'X') && isHexDigit(i[2])) {
        base = 16;
        i += 2;
    }
    // The magnitude is read unsigned so that neither from_chars' own '-' nor its refusal of '+'
    // comes into play; a magnitude too large for it still ends past all its digits.
    quint64 magnitude = 0;
    const std::from_chars_result read = std::from_chars(i, end, magnitude, base);
    if (read.ec == std::errc::invalid_argument)
        return std::nullopt;
    constexpr quint64 limit = quint64(std::numeric_limits<int>::max()) + 1;
    if (read.ec == std::errc::result_out_of_range)
        magnitude = limit;
    if (negative)
        return int(-qint64(std::min(magnitude, limit)));
    return int(std::min(magnitude, limit - 1));
}

using LoadOutcome = IniFile::LoadOutcome;

// Reads the whole file at path into bytes, as readWholeFile does, through the calls in force.
LoadOutcome readRegularFile(const QString &path, qint64 maxSize, QByteArray &bytes, int &error)
{
    switch (readWholeFile(fileCalls(), QFile::encodeName(path), maxSize, bytes, error)) {
    case WholeFileRead::Read:
        return LoadOutcome::Read;
    case WholeFileRead::Missing:
        return LoadOutcome::Missing;
    case WholeFileRead::Folder:
        return LoadOutcome::Folder;
    case WholeFileRead::NotRegularFile:
        return LoadOutcome::NotRegularFile;
    case WholeFileRead::TooLarge:
        return LoadOutcome::TooLarge;
    case WholeFileRead::Unreadable:
        break;
    }
    return LoadOutcome::Unreadable;
}

// The end of a line, "\n" or "\r\n", is not counted.
bool hasLineLongerThan(const QByteArray &bytes, qsizetype maxLength)
{
    qsizetype begin = 0;
    while (begin <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', begin);
        if (end < 0)
            end = bytes.size();
        const bool carriageReturn = end > begin && bytes[end - 1] == '\r';
        if (end - begin - (carriageReturn ? 1 : 0) > maxLength)
            return true;
        begin = end + 1;
    }
    return false;
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path) {}

IniFile IniFile::load(const QString &path)
{
    return load(path, IniLimits{kMaxFileSize, 0});
}

IniFile IniFile::load(const QString &path, const IniLimits &limits)
{
    IniFile ini(path);
    QByteArray bytes;
    int error = 0;
    LoadOutcome outcome = readRegularFile(path, limits.maxFileSize, bytes, error);
    if (outcome == LoadOutcome::Read && limits.maxLineLength > 0 &&
        hasLineLongerThan(bytes, limits.maxLineLength)) {
        outcome = LoadOutcome::LineTooLong;
        error = EFBIG;
    }
    if (outcome == LoadOutcome::Read)
        ini.parse(bytes);
    ini.setLoadOutcome(outcome, error);
    return ini;
}

void IniFile::setLoadOutcome(LoadOutcome outcome, int error)
{
    m_loadOutcome = outcome;
    if (outcome == LoadOutcome::Read || outcome == LoadOutcome::Missing)
        m_loadError = 0;
    else
        m_loadError = error != 0 ? error : EIO;
}

IoStatus IniFile::loadStatus() const
{
    return m_loadError == 0 ? IoStatus::success() : IoStatus::fromErrno(m_loadError);
}

void IniFile::parse(const QByteArray &bytes)
{
    const QList<QByteArray> raws = bytes.split('\n');
    m_lines.reserve(raws.size());
    for (qsizetype i = 0; i < raws.size(); ++i) {
        // The split leaves an empty piece after a final newline: it is no line.
        if (i == raws.size() - 1 && raws[i].isEmpty())
            break;
        QByteArray raw = raws[i];
        if (raw.endsWith('\r'))
            raw.chop(1);
        m_lines.append(parseLine(raw));
    }
}

IniFile::Line IniFile::parseLine(const QByteArray &raw)
{
    Line line;
    line.raw = raw;
    const QString text = QString::fromUtf8(raw).trimmed();
    if (text.isEmpty()) {
        line.kind = LineKind::Blank;
    } else if (text.startsWith(u';')) {
        line.kind = LineKind::Comment;
    } else if (text.startsWith(u'[')) {
        line.kind = LineKind::Section;
        const qsizetype close = text.indexOf(u']');
        line.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
    } else {
        line.kind = LineKind::Entry;
        const qsizetype equals = text.indexOf(u'=');
        line.name = text.left(equals).trimmed();
        line.value = equals < 0 ? QString() : unescapedIniValue(text.mid(equals + 1).trimmed());
    }
    return line;
}

IniFile::Line IniFile::makeEntry(const QString &key, const QString &value)
{
    Line line;
    line.kind = LineKind::Entry;
    line.name = key;
    line.value = value;
    line.raw = key.toUtf8() + '=' + escapedIniValue(value).toUtf8();
    return line;
}

IniFile::Line IniFile::makeSection(const QString &section)
{
    Line line;
    line.kind = LineKind::Section;
    line.name = section;
    line.raw = '[' + section.toUtf8() + ']';
    return line;
}

qsizetype IniFile::findSection(const QString &section, qsizetype from) const
{
    for (qsizetype i = from; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::Section && sameName(m_lines[i].name, section))
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

qsizetype IniFile::findEntry(qsizetype header, const QString &key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == LineKind::Entry && sameName(m_lines[i].name, key))
            return i;
    }
    return -1;
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return defaultValue;
    const qsizetype entry = findEntry(header, key);
    return entry < 0 ? defaultValue : m_lines[entry].value;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const qsizetype header = findSection(section);
    const qsizetype entry = header < 0 ? -1 : findEntry(header, key);
    if (entry < 0)
        return defaultValue;
    return leadingInteger(m_lines[entry].value).value_or(defaultValue);
}

QStringList IniFile::keyNames(const QString &section) const
{
    QStringList names;
    const qsizetype header = findSection(section);
    if (header < 0)
        return names;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == LineKind::Entry && !m_lines[i].name.isEmpty())
            names.append(m_lines[i].name);
    }
    return names;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(section);
    return header >= 0 && findEntry(header, key) >= 0;
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    for (const Line &line : m_lines) {
        if (line.kind == LineKind::Section)
            names.append(line.name);
    }
    return names;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const qsizetype header = findSection(section);
    if (header < 0) {
        if (!m_lines.isEmpty() && m_lines.last().kind != LineKind::Blank)
            m_lines.append(Line());
        m_lines.append(makeSection(section));
        m_lines.append(makeEntry(key, value));
        return;
    }
    const qsizetype entry = findEntry(header, key);
    if (entry >= 0) {
        m_lines[entry] = makeEntry(key, value);
        return;
    }
    // After the section's last non-blank line, so that a blank line before the next section stays.
    qsizetype at = sectionEnd(header);
    while (at > header + 1 && m_lines[at - 1].kind == LineKind::Blank)
        --at;
    m_lines.insert(at, makeEntry(key, value));
}

void IniFile::replaceSection(const QString &section, const QStringList &keys, const QString &value)
{
    eraseSection(section);
    if (keys.isEmpty())
        return;
    if (!m_lines.isEmpty() && m_lines.last().kind != LineKind::Blank)
        m_lines.append(Line());
    m_lines.append(makeSection(section));
    // Where each key went, by its case-folded name: toCaseFolded() folds letter by letter
    // exactly as a comparison without letter case does.
    QHash<QString, qsizetype> placed;
    placed.reserve(keys.size());
    for (const QString &key : keys) {
        const QString folded = key.toCaseFolded();
        if (const auto found = placed.constFind(folded); found != placed.cend()) {
            m_lines[*found] = makeEntry(key, value);
        } else {
            placed.insert(folded, m_lines.size());
            m_lines.append(makeEntry(key, value));
        }
    }
}

void IniFile::eraseSection(const QString &section)
{
    for (qsizetype header = findSection(section); header >= 0; header = findSection(section)) {
        m_lines.remove(header, sectionEnd(header) - header);
    }
}

QByteArray IniFile::toBytes() const
{
    QByteArray bytes;
    for (const Line &line : m_lines) {
        bytes += line.raw;
        bytes += '\n';
    }
    return bytes;
}

IoStatus IniFile::save() const
{
    if (m_loadError != 0)
        return IoStatus::fromErrno(m_loadError);
    return replaceFileAtomically(m_path, toBytes());
}

IoStatus writeProfileString(const QString &path, const QString &section, const QString &key,
                            const QString &value)
{
    IniFile ini = IniFile::load(path);
    ini.writeString(section, key, value);
    return ini.save();
}

} // namespace platform
