#include "compare/commandstates.h"

#include <initializer_list>

namespace {

void set(CommandStates &states, std::initializer_list<Command> commands, bool enabled)
{
    for (const Command command : commands)
        states.enabled[command] = enabled;
}

QString deleteCaption(const CommandContext &context)
{
    QString caption = context.deleteToTrash
                          ? QStringLiteral("Supprimer [Dans poubelle] fichiers sélectionnés")
                          : QStringLiteral("Supprimer [Définitif] fichiers sélectionnés");
    if (context.deleteSource)
        caption += QStringLiteral(" [Source]");
    if (context.deleteDestination)
        caption += QStringLiteral(" [Destination]");
    return caption;
}

} // namespace

CommandStates commandStates(const CommandContext &c)
{
    using enum Command;
    const bool idle = !c.busy;
    const bool rows = c.rows > 0;
    // The rows' files are reached through the folders the list was built from; once the fields
    // name others, no command acts on them until a refresh.
    const bool selection = c.selectedRows > 0 && c.listCurrent;
    CommandStates states;
    // Commands not named below are enabled whatever the state (given an operation).
    for (std::size_t i = 0; i < kCommandCount; ++i)
        states.enabled[Command(i)] = true;
    set(states, {ActProjectNew, ActProjectOpen, ActProjectSave}, idle);
    set(states, {ActAppPrint, ActAppPrintPreview, ActAppExportList, ActProjectFileToCopyRefresh},
        idle && rows);
    set(states, {ActAppCopyFiles}, idle && c.listCurrent && c.filesToCopyCount > 0);
    set(states, {ActAppStop}, c.busy && c.stoppable);
    set(states,
        {ActFileDelete, ActProjectFilesToCopyAdd, ActProjectFilesToCopyDelete,
         ActProjectExtToExcludeAdd, ActProjectFileToExcludeAdd, ActProjectFilesInvertSrcAndDest,
         ActAppFileSetDateTime, ActProjectFileSetReadOnlyFalse},
        idle && selection);
    // The six fixed deletions follow their sub-menus, so that no way round them runs one while
    // the list is busy.
    set(states,
        {ActFileDeleteSrcInTrash, ActFileDeleteDestInTrash, ActFileDeleteSrcAndDestInTrash,
         ActFileDeleteSrcFull, ActFileDeleteDestFull, ActFileDeleteSrcAndDestFull},
        idle && selection);
    set(states, {ActProjectDirInvertSrcAndDest}, idle && c.foldersDiffer);
    // The options dialog's "Retirer" classifies the rows again: never under a refresh or a run.
    set(states, {ActProjectExtToExcludeDelete, ActProjectFileToExcludeDelete}, idle);
    set(states,
        {ActProjectExtToExclude, ActProjectFilesToExclude, ActWinNetworkConnect,
         ActWinNetworkDisconnect, ActWinFileSearch, ActWinFormatFloppy, ActAppClose},
        idle);
    set(states, {ActAppMakeDirectory, ActCut, ActCopy, ActPaste, ActHelpIndex}, false);
    states.deleteMenus = idle && selection;
    states.projectControls = idle;
    states.deleteCaption = deleteCaption(c);
    return states;
}
