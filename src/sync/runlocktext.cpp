#include "sync/runlocktext.h"

QString runLockRefusal(const QString &destination)
{
    return QStringLiteral("Une autre synchronisation vers le répertoire \"%1\" est en cours "
                          "(fenêtre ou tandrimo-cli). Attendez qu'elle se termine, puis "
                          "recommencez.")
        .arg(destination);
}

QString runLockWarning(const QString &destination, const platform::IoStatus &status)
{
    return QStringLiteral("Le verrou du répertoire \"%1\" n'a pas pu être pris (%2) : une autre "
                          "synchronisation vers ce répertoire ne serait pas détectée.")
        .arg(destination, status.explanation());
}
