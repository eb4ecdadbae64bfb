#include "platform/iostatus.h"

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// The French words for the system's failures, those a copy, a listing, a deletion or a settings
// write meets first.
const char16_t *frenchExplanation(int error)
{
    switch (error) {
    case ENOSPC:
        return u"disque plein";
    case EDQUOT:
        return u"quota de disque dépassé";
    case EACCES:
    case EPERM:
        return u"accès refusé";
    case ENOENT:
        return u"fichier ou dossier introuvable";
    case ENOTDIR:
        return u"un élément du chemin n'est pas un dossier";
    case EISDIR:
        return u"un dossier porte ce nom";
    case EROFS:
        return u"support en lecture seule";
    case EIO:
        return u"erreur de lecture ou d'écriture sur le support";
    case ENAMETOOLONG:
        return u"nom ou chemin trop long";
    case ESTALE:
        return u"fichier réseau périmé : le serveur ne le connaît plus";
    case EBUSY:
    case ETXTBSY:
        return u"fichier occupé";
    case EFBIG:
        return u"fichier trop volumineux pour ce support";
    case EMFILE:
    case ENFILE:
        return u"trop de fichiers ouverts";
    case ENOMEM:
        return u"mémoire insuffisante";
    case ELOOP:
        return u"trop de liens symboliques";
    case EINVAL:
        return u"opération refusée par le système (argument invalide)";
    case ENXIO:
    case ENODEV:
        return u"périphérique absent";
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ETIMEDOUT:
    case ECONNRESET:
    case ECONNREFUSED:
    case ENETDOWN:
    case ENETUNREACH:
        return u"connexion perdue";
    case ENOSYS:
    case EOPNOTSUPP:
        return u"opération non prise en charge par ce système de fichiers";
    case EEXIST:
        return u"un fichier porte déjà ce nom";
    case EXDEV:
        return u"les deux emplacements ne sont pas sur le même support";
    case ENOTEMPTY:
        return u"dossier non vide";
    case EAGAIN:
        return u"ressource momentanément indisponible";
    case EINTR:
        return u"opération interrompue";
    case EBADF:
        return u"fichier non ouvert";
    case ENOLCK:
        return u"verrous indisponibles";
    case EMLINK:
        return u"trop de liens vers ce fichier";
    case EOVERFLOW:
        return u"valeur trop grande pour ce système";
    case EPIPE:
        return u"communication rompue";
    case EILSEQ:
        return u"nom refusé par ce support";
    case ENOTTY:
        return u"opération inadaptée à ce fichier";
    default:
        return nullptr;
    }
}

const char16_t *ownExplanation(IoStatus::Cause cause)
{
    switch (cause) {
    case IoStatus::Cause::System:
        return nullptr;
    case IoStatus::Cause::SourceChanged:
        return u"le fichier d'origine a changé pendant la copie";
    case IoStatus::Cause::NotRegularFile:
        return u"pas un fichier ordinaire";
    case IoStatus::Cause::LinkRefused:
        return u"lien symbolique, qui n'est pas suivi";
    case IoStatus::Cause::CopyDiffers:
        return u"la copie diffère de l'original";
    case IoStatus::Cause::NameTaken:
        return u"un autre fichier porte ce nom";
    case IoStatus::Cause::InvalidName:
        return u"nom invalide";
    case IoStatus::Cause::LineTooLong:
        return u"ligne trop longue";
    case IoStatus::Cause::FileTooLarge:
        return u"fichier trop volumineux";
    case IoStatus::Cause::NotOwnFolder:
        return u"dossier ouvert à d'autres utilisateurs";
    }
    return nullptr;
}

QString systemExplanation(int error)
{
    if (const char16_t *french = frenchExplanation(error))
        return QString::fromUtf16(french);
    const char *name = strerrorname_np(error);
    return name != nullptr ? QStringLiteral("erreur du système %1").arg(QLatin1String(name))
                           : QStringLiteral("erreur du système n° %1").arg(error);
}

// What a folder that is the cause does, in French: it is named when known.
QString folderExplanation(int error, const QString &folder)
{
    const QString which = folder.isEmpty() ? QStringLiteral("le dossier")
                                           : QStringLiteral("le dossier « %1 »").arg(folder);
    switch (error) {
    case EACCES:
    case EPERM:
        return which + QStringLiteral(" n'accepte pas de nouveau fichier (accès refusé)");
    case EROFS:
        return which + QStringLiteral(" est sur un support en lecture seule");
    case ENOENT:
        return which + QStringLiteral(" n'existe plus");
    default:
        return systemExplanation(error) + QStringLiteral(" (") + which + u')';
    }
}

} // namespace

IoStatus IoStatus::fromErrno(int error, const char *call)
{
    return IoStatus(error == 0 ? EIO_FALLBACK : error, Cause::System, call);
}

IoStatus IoStatus::inFolder(const QString &folder) const
{
    IoStatus status = *this;
    if (!ok()) {
        status.m_folderCause = true;
        if (!folder.isEmpty())
            status.m_folder = folder;
    }
    return status;
}

QString IoStatus::explanation() const
{
    if (ok())
        return QString();
    if (const char16_t *own = ownExplanation(m_cause))
        return QString::fromUtf16(own);
    return m_folderCause ? folderExplanation(m_error, m_folder) : systemExplanation(m_error);
}

QString IoStatus::reason() const
{
    if (ok() || m_cause != Cause::System)
        return explanation();
    const char *name = strerrorname_np(m_error);
    const QString code = name != nullptr ? QLatin1String(name) : QString::number(m_error);
    const QString detail = m_call != nullptr ? QLatin1String(m_call) + u" : " + code : code;
    return explanation() + u" (" + detail + u')';
}

} // namespace platform
