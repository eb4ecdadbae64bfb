#pragma once

#include <array>
#include <cstddef>

// Every command of the main window, in the order of its action list. A command is known by
// this identity everywhere in the code, so that a mistyped name does not compile.
enum class Command {
    ActProjectNew,
    ActProjectOpen,
    ActProjectSave,
    ActProjectSaveAs,
    ActAppPrintPreview,
    ActAppPrint,
    ActAppExportList,
    ActAppOptions,
    ActAppClose,
    ActCut,
    ActCopy,
    ActPaste,
    ActProjectFilesSelectAll,
    ActProjectFilesDeselectAll,
    ActProjectFileToCopyRefresh,
    ActAppCopyFiles,
    ActAppStop,
    ActProjectFilesToCopyAdd,
    ActProjectFilesToCopyDelete,
    ActProjectExtToExcludeAdd,
    ActProjectFileToExcludeAdd,
    ActProjectFilesInvertSrcAndDest,
    ActProjectDirInvertSrcAndDest,
    ActProjectExtToExclude,
    ActProjectFilesToExclude,
    ActProjectExtToExcludeDelete,
    ActProjectFileToExcludeDelete,
    ActAppFileSetDateTime,
    ActProjectFileSetReadOnlyFalse,
    ActFileDelete,
    ActFileDeleteSrcInTrash,
    ActFileDeleteDestInTrash,
    ActFileDeleteSrcAndDestInTrash,
    ActFileDeleteSrcFull,
    ActFileDeleteDestFull,
    ActFileDeleteSrcAndDestFull,
    ActWinNetworkConnect,
    ActWinNetworkDisconnect,
    ActWinFileSearch,
    ActAppMakeDirectory,
    ActWinFormatFloppy,
    ActHelpIndex,
    ActAppHelpReadme,
    ActHelpAbout,
};

inline constexpr std::size_t kCommandCount = std::size_t(Command::ActHelpAbout) + 1;

// A value per command, addressed by the command.
template <typename T> class PerCommand {
public:
    T &operator[](Command command) { return m_values[std::size_t(command)]; }
    const T &operator[](Command command) const { return m_values[std::size_t(command)]; }

private:
    std::array<T, kCommandCount> m_values{};
};
