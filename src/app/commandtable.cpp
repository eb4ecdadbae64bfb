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

constexpr std::array kCommands{
    CommandEntry{Command::ActProjectNew, "ActProjectNew", u"Nouveau", nullptr, ctrl(Qt::Key_N),
                 ":/icons/page-blank.svg"},
    CommandEntry{Command::ActProjectOpen, "ActProjectOpen", u"Ouvrir...", nullptr, ctrl(Qt::Key_O),
                 ":/icons/folder-open-arrow.svg"},
    CommandEntry{Command::ActProjectSave, "ActProjectSave", u"Sauver", nullptr, ctrl(Qt::Key_S),
                 ":/icons/floppy.svg"},
    CommandEntry{Command::ActProjectSaveAs, "ActProjectSaveAs", u"Sauver sous...", nullptr, kNone,
                 nullptr},
    CommandEntry{Command::ActAppPrintPreview, "ActAppPrintPreview", u"Apperçu",
                 u"Apperçu avant impression", kNone, ":/icons/page-magnifier.svg"},
    CommandEntry{Command::ActAppPrint, "ActAppPrint", u"Imprimer", nullptr, ctrl(Qt::Key_P),
                 ":/icons/printer.svg"},
    CommandEntry{Command::ActAppExportList, "ActAppExportList", u"Exporter la liste...",
                 u"Exporter la liste des fichiers au format CSV", kNone, nullptr},
    CommandEntry{Command::ActAppOptions, "ActAppOptions", u"Options", nullptr, kNone,
                 ":/icons/spanner-spark.svg"},
    CommandEntry{Command::ActAppClose, "ActAppClose", u"Quitter", nullptr, ctrl(Qt::Key_Q),
                 ":/icons/door-exit.svg"},
    CommandEntry{Command::ActCut, "ActCut", u"Couper", nullptr, ctrl(Qt::Key_X),
                 ":/icons/scissors.svg"},
    CommandEntry{Command::ActCopy, "ActCopy", u"Copier", nullptr, ctrl(Qt::Key_C),
                 ":/icons/pages-two.svg"},
    CommandEntry{Command::ActPaste, "ActPaste", u"Coller", nullptr, ctrl(Qt::Key_V),
                 ":/icons/clipboard-page.svg"},
    CommandEntry{Command::ActProjectFilesSelectAll, "ActProjectFilesSelectAll",
                 u"Selectionner tout", nullptr, ctrl(Qt::Key_A), nullptr},
    CommandEntry{Command::ActProjectFilesDeselectAll, "ActProjectFilesDeselectAll",
                 u"Déselectionner tout", nullptr, kNone, nullptr},
    CommandEntry{Command::ActProjectFileToCopyRefresh, "ActProjectFileToCopyRefresh",
                 u"Raffraichir", nullptr, QKeyCombination(Qt::Key_F9), ":/icons/page-refresh.svg"},
    CommandEntry{Command::ActAppCopyFiles, "ActAppCopyFiles", u"Démarrer",
                 u"Démarrer la synchronisation des fichiers", QKeyCombination(Qt::Key_F11),
                 ":/icons/play-green.svg"},
    CommandEntry{Command::ActAppStop, "ActAppStop", u"Arrêter", nullptr,
                 QKeyCombination(Qt::Key_F12), ":/icons/stop-red.svg"},
    CommandEntry{Command::ActProjectFilesToCopyAdd, "ActProjectFilesToCopyAdd",
                 u"Ajouter fichiers sélectionnés à la liste des fichiers à copier", nullptr, kNone,
                 ":/icons/plus-green.svg"},
    CommandEntry{Command::ActProjectFilesToCopyDelete, "ActProjectFilesToCopyDelete",
                 u"Retirer fichiers sélectionnés de la liste des fichiers à copier", nullptr, kNone,
                 ":/icons/minus-red.svg"},
    CommandEntry{Command::ActProjectExtToExcludeAdd, "ActProjectExtToExcludeAdd",
                 u"Exclure extension des fichiers sélectionnés", nullptr, kNone,
                 ":/icons/plus-green.svg"},
    CommandEntry{Command::ActProjectFileToExcludeAdd, "ActProjectFileToExcludeAdd",
                 u"Exclure fichiers sélectionnés", nullptr, kNone, ":/icons/plus-green.svg"},
    CommandEntry{Command::ActProjectFilesInvertSrcAndDest, "ActProjectFilesInvertSrcAndDest",
                 u"Inverser sens de copie pour les fichiers sélectionnés (Dest -> Src)", nullptr,
                 kNone, ":/icons/arrows-reverse.svg"},
    CommandEntry{Command::ActProjectDirInvertSrcAndDest, "ActProjectDirInvertSrcAndDest",
                 u"Intervertir répertoires Source et Destination", nullptr, kNone, nullptr},
    CommandEntry{Command::ActProjectExtToExclude, "ActProjectExtToExclude",
                 u"Extensions à exclure...", nullptr, kNone, nullptr},
    CommandEntry{Command::ActProjectFilesToExclude, "ActProjectFilesToExclude",
                 u"Fichiers à exclure...", nullptr, kNone, nullptr},
    CommandEntry{Command::ActProjectExtToExcludeDelete, "ActProjectExtToExcludeDelete", u"Retirer",
                 nullptr, kNone, ":/icons/minus-red.svg"},
    CommandEntry{Command::ActProjectFileToExcludeDelete, "ActProjectFileToExcludeDelete",
                 u"Retirer", nullptr, kNone, ":/icons/minus-red.svg"},
    CommandEntry{Command::ActAppFileSetDateTime, "ActAppFileSetDateTime",
                 u"Fixer date et heure pour les fichiers sélectionnés ...", nullptr, kNone,
                 ":/icons/calendar-clock.svg"},
    CommandEntry{Command::ActProjectFileSetReadOnlyFalse, "ActProjectFileSetReadOnlyFalse",
                 u"Retirer l'attribut \"lecture seule\" des fichiers sélectionnés",
                 u"Retirer l'attribut Lecture Seule des fichiers sélectionnés", kNone, nullptr},
    CommandEntry{Command::ActFileDelete, "ActFileDelete", u"Effacer fichiers sélectionnés", nullptr,
                 kNone, ":/icons/cross-red.svg"},
    CommandEntry{Command::ActFileDeleteSrcInTrash, "ActFileDeleteSrcInTrash",
                 u"Effacer fichiers Source sélectionnés, dans poubelle", kNoHint, kNone,
                 ":/icons/bin-recycle.svg"},
    CommandEntry{Command::ActFileDeleteDestInTrash, "ActFileDeleteDestInTrash",
                 u"Effacer fichiers Destination sélectionnés, dans poubelle", kNoHint, kNone,
                 ":/icons/bin-recycle.svg"},
    CommandEntry{Command::ActFileDeleteSrcAndDestInTrash, "ActFileDeleteSrcAndDestInTrash",
                 u"Effacer fichiers Source et Destination sélectionnés, dans poubelle", kNoHint,
                 kNone, ":/icons/bin-recycle.svg"},
    CommandEntry{Command::ActFileDeleteSrcFull, "ActFileDeleteSrcFull",
                 u"Effacer fichiers Source sélectionnés, définitivement", kNoHint, kNone,
                 ":/icons/cross-red.svg"},
    CommandEntry{Command::ActFileDeleteDestFull, "ActFileDeleteDestFull",
                 u"Effacer fichiers Destination sélectionnés, définitivement", kNoHint, kNone,
                 ":/icons/cross-red.svg"},
    CommandEntry{Command::ActFileDeleteSrcAndDestFull, "ActFileDeleteSrcAndDestFull",
                 u"Effacer fichiers Source et Destination sélectionnés, définitivement", kNoHint,
                 kNone, ":/icons/cross-red.svg"},
    CommandEntry{Command::ActWinNetworkConnect, "ActWinNetworkConnect",
                 u"Connecter lecteur réseau...", nullptr, kNone, nullptr},
    CommandEntry{Command::ActWinNetworkDisconnect, "ActWinNetworkDisconnect",
                 u"Déconnecter lecteur réseau...", nullptr, kNone, nullptr},
    CommandEntry{Command::ActWinFileSearch, "ActWinFileSearch", u"Chercher fichiers...", nullptr,
                 kNone, ":/icons/binoculars.svg"},
    CommandEntry{Command::ActAppMakeDirectory, "ActAppMakeDirectory", u"Créer répertoire...",
                 nullptr, kNone, ":/icons/folder-spark.svg"},
    CommandEntry{Command::ActWinFormatFloppy, "ActWinFormatFloppy", u"Formater disquette...",
                 nullptr, kNone, ":/icons/floppy-spark.svg"},
    CommandEntry{Command::ActHelpIndex, "ActHelpIndex", u"Index de l'aide", nullptr, kNone,
                 ":/icons/question-yellow.svg"},
    CommandEntry{Command::ActAppHelpReadme, "ActAppHelpReadme", u"Lisez-moi (fichier A_Lire.txt)",
                 nullptr, kNone, nullptr},
    CommandEntry{Command::ActHelpAbout, "ActHelpAbout", u"A propos...", nullptr, kNone, nullptr},
};

// The table holds every command once, at the place of its identity.
constexpr bool inCommandOrder()
{
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (kCommands[i].command != Command(i))
            return false;
    }
    return kCommands.size() == kCommandCount;
}
static_assert(inCommandOrder(), "the command table follows the order of Command");

constexpr PlaceEntry act(Command command)
{
    return {PlaceEntry::Action, command};
}
constexpr PlaceEntry kSeparator{PlaceEntry::Separator, Command::ActProjectNew};

using enum Command;

// One entry a line, as the menu shows them.
// clang-format off
constexpr std::array kFileMenu{act(ActProjectNew),
                               act(ActProjectOpen),
                               act(ActProjectSave),
                               act(ActProjectSaveAs),
                               kSeparator,
                               act(ActAppPrintPreview),
                               act(ActAppPrint),
                               act(ActAppExportList),
                               kSeparator,
                               act(ActAppOptions),
                               kSeparator,
                               PlaceEntry{PlaceEntry::RecentProjects, ActProjectNew},
                               act(ActAppClose)};
// clang-format on
constexpr std::array kEditMenu{act(ActCut),
                               act(ActCopy),
                               act(ActPaste),
                               kSeparator,
                               act(ActProjectFilesSelectAll),
                               act(ActProjectFilesDeselectAll)};
template <std::size_t A, std::size_t B>
constexpr std::array<PlaceEntry, A + B> joined(const std::array<PlaceEntry, A> &a,
                                               const std::array<PlaceEntry, B> &b)
{
    std::array<PlaceEntry, A + B> all{};
    for (std::size_t i = 0; i < A; ++i)
        all[i] = a[i];
    for (std::size_t i = 0; i < B; ++i)
        all[A + i] = b[i];
    return all;
}

// The list's own commands: the Projet menu, and the head of the pop-up menu.
constexpr std::array kProjectMenu{act(ActProjectFileToCopyRefresh),
                                  act(ActAppCopyFiles),
                                  act(ActAppStop),
                                  kSeparator,
                                  act(ActProjectFilesToCopyAdd),
                                  act(ActProjectFilesToCopyDelete),
                                  kSeparator,
                                  act(ActProjectExtToExcludeAdd),
                                  act(ActProjectFileToExcludeAdd),
                                  act(ActProjectFilesInvertSrcAndDest),
                                  act(ActProjectDirInvertSrcAndDest),
                                  kSeparator,
                                  act(ActProjectExtToExclude),
                                  act(ActProjectFilesToExclude)};
constexpr std::array kToolsMenu{act(ActAppFileSetDateTime),
                                kSeparator,
                                act(ActProjectFileSetReadOnlyFalse),
                                act(ActFileDelete),
                                PlaceEntry{PlaceEntry::DeleteSubMenu, ActFileDelete},
                                kSeparator,
                                act(ActWinNetworkConnect),
                                act(ActWinNetworkDisconnect),
                                act(ActWinFileSearch),
                                act(ActAppMakeDirectory),
                                act(ActWinFormatFloppy)};
constexpr std::array kHelpMenu{act(ActHelpIndex), kSeparator, act(ActAppHelpReadme), kSeparator,
                               act(ActHelpAbout)};
constexpr std::array kPopupMenu =
    joined(kProjectMenu,
           std::array{kSeparator, act(ActProjectFilesSelectAll), act(ActProjectFilesDeselectAll),
                      kSeparator, act(ActAppFileSetDateTime), kSeparator,
                      act(ActProjectFileSetReadOnlyFalse), act(ActFileDelete),
                      PlaceEntry{PlaceEntry::DeleteSubMenu, ActFileDelete}});
constexpr std::array kToolBar{act(ActProjectNew),
                              act(ActProjectOpen),
                              act(ActProjectSave),
                              kSeparator,
                              act(ActAppPrintPreview),
                              act(ActAppPrint),
                              kSeparator,
                              act(ActProjectFileToCopyRefresh),
                              act(ActAppCopyFiles),
                              act(ActAppStop),
                              kSeparator,
                              act(ActAppClose)};
constexpr std::array kDeleteMenu{
    act(ActFileDeleteSrcInTrash),        act(ActFileDeleteDestInTrash),
    act(ActFileDeleteSrcAndDestInTrash), act(ActFileDeleteSrcFull),
    act(ActFileDeleteDestFull),          act(ActFileDeleteSrcAndDestFull)};

} // namespace

const CommandEntry &commandEntry(Command command)
{
    return kCommands[std::size_t(command)];
}

std::span<const PlaceEntry> commandPlace(CommandPlace place)
{
    switch (place) {
    case CommandPlace::FileMenu:
        return kFileMenu;
    case CommandPlace::EditMenu:
        return kEditMenu;
    case CommandPlace::ProjectMenu:
        return kProjectMenu;
    case CommandPlace::ToolsMenu:
        return kToolsMenu;
    case CommandPlace::HelpMenu:
        return kHelpMenu;
    case CommandPlace::PopupMenu:
        return kPopupMenu;
    case CommandPlace::ToolBar:
        return kToolBar;
    case CommandPlace::DeleteMenu:
        return kDeleteMenu;
    }
    return {};
}
