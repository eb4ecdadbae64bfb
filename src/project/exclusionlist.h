#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

// One of the project's two exclusion lists: ordered entries, compared as whole texts. It never
// holds an empty entry, nor two entries that compare equal.
//
// Extensions compare without letter case (accented letters included): ".JPG" and ".jpg" are one
// extension. Files compare with exact letter case, as the file system tells two names apart;
// an entry without a leading '/', as older lists wrote them, stands for the same path with it.
//
// Lookups, additions and assignments cost constant time per entry, so that lists of hundreds of
// thousands of entries load and classify at once.
class ExclusionList : public QObject {
    Q_OBJECT
public:
    enum class Kind { Extensions, Files };

    explicit ExclusionList(Kind kind, QObject *parent = nullptr);

    const QStringList &entries() const { return m_entries; }
    qsizetype count() const { return m_entries.size(); }
    bool contains(const QString &entry) const;

    // Appends the entry unless it is empty or already there; true when it was appended.
    bool add(const QString &entry);
    // Removes the entry at index; false for an invalid index.
    bool removeAt(qsizetype index);
    // Replaces every entry, keeping the first of duplicates and dropping empty ones.
    void assign(const QStringList &entries);
    void clear() { assign({}); }

    // The file entry of a row: its relative path as a text that keeps every byte of its name
    // (see platform::losslessText) when the name is not valid UTF-8 (rawFiles set), else files.
    static QString fileEntryOfRow(const QString &files, const QByteArray &rawFiles);

Q_SIGNALS:
    void aboutToChange();
    void changed();

private:
    // What two entries that compare equal share.
    QString key(const QString &entry) const;

    Kind m_kind;
    QStringList m_entries;
    // The keys of the entries. For extensions, case-folded: toCaseFolded() folds letter by
    // letter exactly as a comparison without letter case does.
    QSet<QString> m_keys;
};

// The one-line summaries of the main window: every entry followed by "; ", the whole trimmed.
// Extensions are shown with A-Z in lower case; an empty list reads "Aucune" or "Aucun". A summary
// longer than kSummaryLength characters shows its first kSummaryLength then "…".
inline constexpr qsizetype kSummaryLength = 2000;
QString extensionsSummary(const QStringList &extensions);
QString filesSummary(const QStringList &files);
