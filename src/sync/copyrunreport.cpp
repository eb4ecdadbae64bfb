#include "sync/copyrunreport.h"

namespace {

QString failuresText(const std::vector<CopyFailure> &failures)
{
    const int count = int(failures.size());
    QString text = count == 1 ? QStringLiteral("La copie d'un fichier a échoué :")
                              : QStringLiteral("La copie de %1 fichiers a échoué :").arg(count);
    for (int i = 0; i < count && i < kMaxNamedFailures; ++i)
        text +=
            u'\n' + failures[std::size_t(i)].files + u" : " + failures[std::size_t(i)].explanation;
    const int unnamed = count - kMaxNamedFailures;
    if (unnamed == 1)
        text += QStringLiteral("\n... et 1 autre fichier.");
    else if (unnamed > 1)
        text += QStringLiteral("\n... et %1 autres fichiers.").arg(unnamed);
    return text;
}

QString timesText(const QStringList &timesNotKept)
{
    const qsizetype count = timesNotKept.size();
    const QString what = count == 1
                             ? QStringLiteral("d'un fichier copié (%1)").arg(timesNotKept.first())
                             : QStringLiteral("de %1 fichiers copiés (dont %2)")
                                   .arg(count)
                                   .arg(timesNotKept.first());
    return QStringLiteral("Le système de fichiers de la copie n'a pas pu garder l'heure de "
                          "modification exacte %1 : la prochaine comparaison ne %2 verra pas à "
                          "jour.")
        .arg(what, count == 1 ? QStringLiteral("le") : QStringLiteral("les"));
}

} // namespace

QString copyRunReport(const std::vector<CopyFailure> &failures, const QStringList &timesNotKept)
{
    QStringList parts;
    if (!failures.empty())
        parts.append(failuresText(failures));
    if (!timesNotKept.isEmpty())
        parts.append(timesText(timesNotKept));
    return parts.join(QStringLiteral("\n\n"));
}
