#include "platform/iostatus.h"

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// The French words for the failures a user meets with files; the system's own text for others.
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
        return u"le fichier d'origine a changé pendant la copie";
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
        return u"pas un fichier ordinaire";
    case ENXIO:
    case ENODEV:
        return u"périphérique absent";
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ETIMEDOUT:
        return u"connexion perdue";
    case ENOSYS:
    case EOPNOTSUPP:
        return u"opération non prise en charge par ce système de fichiers";
    default:
        return nullptr;
    }
}

} // namespace

QString IoStatus::reason() const
{
    if (ok())
        return QString();
    const QString text = QString::fromLocal8Bit(std::strerror(m_error));
    const char *name = strerrorname_np(m_error);
    return name == nullptr ? text : text + u" (" + QLatin1String(name) + u')';
}

QString IoStatus::explanation() const
{
    if (ok())
        return QString();
    const char16_t *french = frenchExplanation(m_error);
    return french != nullptr ? QString::fromUtf16(french)
                             : QString::fromLocal8Bit(std::strerror(m_error));
}

} // namespace platform
