#include "platform/iostatus.h"
#include "support/testmain.h"

#include <QTest>

#include <cerrno>

using platform::IoStatus;
using Cause = IoStatus::Cause;

Q_DECLARE_METATYPE(IoStatus)

// What a failure says: the program's own reasons never borrow an errno, the system's are told in
// French with their call, and a folder that is the cause is named.
class IoStatusTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void failuresAndTheirTexts_data()
    {
        QTest::addColumn<IoStatus>("status");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("explanation");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a network disk's own ESTALE")
            << IoStatus::fromErrno(ESTALE, "openat") << ESTALE
            << "fichier réseau périmé : le serveur ne le connaît plus"
            << "fichier réseau périmé : le serveur ne le connaît plus (openat : ESTALE)";
        QTest::newRow("the origin changed: the program's own")
            << IoStatus::own(Cause::SourceChanged) << 0
            << "le fichier d'origine a changé pendant la copie"
            << "le fichier d'origine a changé pendant la copie";
        QTest::newRow("the system's EINVAL is no file type")
            << IoStatus::fromErrno(EINVAL, "renameat2") << EINVAL
            << "opération refusée par le système (argument invalide)"
            << "opération refusée par le système (argument invalide) (renameat2 : EINVAL)";
        QTest::newRow("not a regular file")
            << IoStatus::own(Cause::NotRegularFile) << 0 << "pas un fichier ordinaire"
            << "pas un fichier ordinaire";
        QTest::newRow("in French, not the system's English")
            << IoStatus::fromErrno(EACCES, "openat") << EACCES << "accès refusé"
            << "accès refusé (openat : EACCES)";
        QTest::newRow("a folder that takes no new file")
            << IoStatus::fromErrno(EACCES, "openat").inFolder("/d") << EACCES
            << "le dossier « /d » n'accepte pas de nouveau fichier (accès refusé)"
            << "le dossier « /d » n'accepte pas de nouveau fichier (accès refusé) (openat : "
               "EACCES)";
        QTest::newRow("a folder on a read-only disk")
            << IoStatus::fromErrno(EROFS, "linkat").inFolder("/d") << EROFS
            << "le dossier « /d » est sur un support en lecture seule"
            << "le dossier « /d » est sur un support en lecture seule (linkat : EROFS)";
        QTest::newRow("a folder gone") << IoStatus::fromErrno(ENOENT).inFolder("/d") << ENOENT
                                       << "le dossier « /d » n'existe plus"
                                       << "le dossier « /d » n'existe plus (ENOENT)";
        QTest::newRow("a folder not yet named")
            << IoStatus::fromErrno(ENOSPC).inFolder() << ENOSPC << "disque plein (le dossier)"
            << "disque plein (le dossier) (ENOSPC)";
        QTest::newRow("an errno without French words")
            << IoStatus::fromErrno(EREMOTEIO) << EREMOTEIO << "erreur du système EREMOTEIO"
            << "erreur du système EREMOTEIO (EREMOTEIO)";
        QTest::newRow("errno left at 0")
            << IoStatus::fromErrno(0) << EIO << "erreur de lecture ou d'écriture sur le support"
            << "erreur de lecture ou d'écriture sur le support (EIO)";
        QTest::newRow("success") << IoStatus::success() << 0 << ""
                                 << "";
    }
    void failuresAndTheirTexts()
    {
        QFETCH(IoStatus, status);
        QFETCH(int, error);
        QTEST(status.explanation(), "explanation");
        QTEST(status.reason(), "reason");
        QCOMPARE(status.error(), error);
        QCOMPARE(status.ok(), QTest::currentDataTag() == QByteArray("success"));
    }
};

TANDRIMO_TEST(IoStatusTest)
#include "tst_iostatus.moc"
