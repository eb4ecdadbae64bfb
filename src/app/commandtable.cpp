#include "app/commandtable.h"

#include <array>

namespace {

constexpr QKeyCombination kNone = QKeyCombination(Qt::Key_unknown);

constexpr QKeyCombination ctrl(Qt::Key key)
{
    return QKeyCombination(Qt::ControlModifier, key);
}

// The deletion commands of the sub-menus carry no hint.
constexpr const char16_t *kNoHint = u"";

const std::array kCommands{
    CommandSpec{"ActProjectNew", u"Nouveau", nullptr, ctrl(Qt::Key_N), ":/icons/page-blank.svg"},
    CommandSpec{"ActProjectOpen", u"Ouvrir...", nullptr, ctrl(Qt::Key_O),
                ":/icons/folder-open-arrow.svg"},
    CommandSpec{"ActProjectSave", u"Sauver", nullptr, ctrl(Qt::Key_S), ":/icons/floppy.svg"},
    CommandSpec{"ActProjectSaveAs", u"Sauver sous...", nullptr, kNone, nullptr},
    CommandSpec{"ActAppPrintPreview", u"Apperçu", u"Apperçu avant impression", kNone,
                ":/icons/page-magnifier.svg"},
    CommandSpec{"ActAppPrint", u"Imprimer", nullptr, ctrl(Qt::Key_P), ":/icons/printer.svg"},
    CommandSpec{"ActAppOptions", u"Options", nullptr, kNone, ":/icons/spanner-spark.svg"},
    CommandSpec{"ActAppClose", u"Quitter", nullptr, ctrl(Qt::Key_Q), ":/icons/door-exit.svg"},
    CommandSpec{"ActCut", u"Couper", nullptr, ctrl(Qt::Key_X), ":/icons/scissors.svg"},
    CommandSpec{"ActCopy", u"Copier", nullptr, ctrl(Qt::Key_C), ":/icons/pages-two.svg"},
    CommandSpec{"ActPaste", u"Coller", nullptr, ctrl(Qt::Key_V), ":/icons/clipboard-page.svg"},
    CommandSpec{"ActProjectFilesSelectAll", u"Selectionner tout", nullptr, ctrl(Qt::Key_A),
                nullptr},
    CommandSpec{"ActProjectFilesDeselectAll", u"Déselectionner tout", nullptr, kNone, nullptr},
    CommandSpec{"ActProjectFileToCopyRefresh", u"Raffraichir", nullptr, QKeyCombination(Qt::Key_F9),
                ":/icons/page-refresh.svg"},
    CommandSpec{"ActAppCopyFiles", u"Démarrer", u"Démarrer la synchronisation des fichiers",
                QKeyCombination(Qt::Key_F11), ":/icons/play-green.svg"},
    CommandSpec{"ActAppStop", u"Arrêter", nullptr, QKeyCombination(Qt::Key_F12),
                ":/icons/stop-red.svg"},
    CommandSpec{"ActProjectFilesToCopyAdd",
                u"Ajouter fichiers sélectionnés à la liste des fichiers à copier", nullptr, kNone,
                ":/icons/plus-green.svg"},
    CommandSpec{"ActProjectFilesToCopyDelete",
                u"Retirer fichiers sélectionnés de la liste des fichiers à copier", nullptr, kNone,
                ":/icons/minus-red.svg"},
    CommandSpec{"ActProjectExtToExcludeAdd", u"Exclure extension des fichiers sélectionnés",
                nullptr, kNone, ":/icons/plus-green.svg"},
    CommandSpec{"ActProjectFileToExcludeAdd", u"Exclure fichiers sélectionnés", nullptr, kNone,
                ":/icons/plus-green.svg"},
    CommandSpec{"ActProjectFilesInvertSrcAndDest",
                u"Inverser sens de copie pour les fichiers sélectionnés (Dest -> Src)", nullptr,
                kNone, ":/icons/arrows-reverse.svg"},
    CommandSpec{"ActProjectDirInvertSrcAndDest", u"Intervertir répertoires Source et Destination",
                nullptr, kNone, nullptr},
    CommandSpec{"ActProjectExtToExclude", u"Extensions à exclure...", nullptr, kNone, nullptr},
    CommandSpec{"ActProjectFilesToExclude", u"Fichiers à exclure...", nullptr, kNone, nullptr},
    CommandSpec{"ActProjectExtToExcludeDelete", u"Retirer", nullptr, kNone,
                ":/icons/minus-red.svg"},
    CommandSpec{"ActProjectFileToExcludeDelete", u"Retirer", nullptr, kNone,
                ":/icons/minus-red.svg"},
    CommandSpec{"ActAppFileSetDateTime", u"Fixer date et heure pour les fichiers sélectionnés ...",
                nullptr, kNone, ":/icons/calendar-clock.svg"},
    CommandSpec{"ActProjectFileSetReadOnlyFalse",
                u"Retirer l'attribut \"lecture seule\" des fichiers sélectionnés",
                u"Retirer l'attribut Lecture Seule des fichiers sélectionnés", kNone, nullptr},
    CommandSpec{"ActFileDelete", u"Effacer fichiers sélectionnés", nullptr, kNone,
                ":/icons/cross-red.svg"},
    CommandSpec{"ActFileDeleteSrcInTrash", u"Effacer fichiers Source sélectionnés, dans poubelle",
                kNoHint, kNone, ":/icons/bin-recycle.svg"},
    CommandSpec{"ActFileDeleteDestInTrash",
                u"Effacer fichiers Destination sélectionnés, dans poubelle", kNoHint, kNone,
                ":/icons/bin-recycle.svg"},
    CommandSpec{"ActFileDeleteSrcAndDestInTrash",
                u"Effacer fichiers Source et Destination sélectionnés, dans poubelle", kNoHint,
                kNone, ":/icons/bin-recycle.svg"},
    CommandSpec{"ActFileDeleteSrcFull", u"Effacer fichiers Source sélectionnés, définitivement",
                kNoHint, kNone, ":/icons/cross-red.svg"},
    CommandSpec{"ActFileDeleteDestFull",
                u"Effacer fichiers Destination sélectionnés, définitivement", kNoHint, kNone,
                ":/icons/cross-red.svg"},
    CommandSpec{"ActFileDeleteSrcAndDestFull",
                u"Effacer fichiers Source et Destination sélectionnés, définitivement", kNoHint,
                kNone, ":/icons/cross-red.svg"},
    CommandSpec{"ActWinNetworkConnect", u"Connecter lecteur réseau...", nullptr, kNone, nullptr},
    CommandSpec{"ActWinNetworkDisconnect", u"Déconnecter lecteur réseau...", nullptr, kNone,
                nullptr},
    CommandSpec{"ActWinFileSearch", u"Chercher fichiers...", nullptr, kNone,
                ":/icons/binoculars.svg"},
    CommandSpec{"ActAppMakeDirectory", u"Créer répertoire...", nullptr, kNone,
                ":/icons/folder-spark.svg"},
    CommandSpec{"ActWinFormatFloppy", u"Formater disquette...", nullptr, kNone,
                ":/icons/floppy-spark.svg"},
    CommandSpec{"ActHelpIndex", u"Index de l'aide", nullptr, kNone, ":/icons/question-yellow.svg"},
    CommandSpec{"ActAppHelpReadme", u"Lisez-moi (fichier A_Lire.txt)", nullptr, kNone, nullptr},
    CommandSpec{"ActHelpAbout", u"A propos...", nullptr, kNone, nullptr},
};

} // namespace

std::span<const CommandSpec> commandTable()
{
    return kCommands;
}
