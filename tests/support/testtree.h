#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

// A temporary folder tree for a test, with files of chosen content and modification times.
class TestTree {
public:
    TestTree();

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString path(const QString &relative) const;

    // Writes the file, creating its folders; returns its full path.
    QString writeFile(const QString &relative, const QByteArray &content = QByteArray());
    QString writeFile(const QString &relative, const QByteArray &content,
                      const QDateTime &modified);
    QString makeFolder(const QString &relative);
    QByteArray read(const QString &relative) const;
    bool setModified(const QString &relative, const QDateTime &modified) const;
    bool setMode(const QString &relative, unsigned mode) const;

private:
    QTemporaryDir m_dir;
};

// Whether the tests run as root, who reads and writes whatever the permission bits say.
bool runningAsRoot();
