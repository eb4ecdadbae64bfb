#include "compare/commandstates.h"
#include "support/testmain.h"

#include <QTest>

Q_DECLARE_METATYPE(CommandContext)

namespace {

// The commands whose state depends on the context, enabled or not, as letters: the rest are
// always enabled (given an operation) or never.
QString states(const CommandStates &s)
{
    using enum Command;
    QString text;
    for (const Command command :
         {ActProjectNew, ActProjectFileToCopyRefresh, ActAppCopyFiles, ActAppStop,
          ActProjectFilesToCopyAdd, ActProjectDirInvertSrcAndDest, ActProjectExtToExcludeDelete})
        text += s.enabled[command] ? u'1' : u'0';
    text += u' ';
    text += s.deleteMenus ? u'1' : u'0';
    text += s.projectControls ? u'1' : u'0';
    return text;
}

} // namespace

class CommandStatesRulesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rules_data();
    void rules();
    void neverAndAlways();
};

void CommandStatesRulesTest::rules_data()
{
    QTest::addColumn<CommandContext>("context");
    QTest::addColumn<QString>(
        "expected"); // New Refresh Start Stop Add Swap Retirer, menus controls

    const auto context = [](bool busy, int rows, int selected, int due, bool differ,
                            bool current = true) {
        CommandContext c;
        c.busy = busy;
        c.stoppable = busy;
        c.listCurrent = current;
        c.rows = rows;
        c.selectedRows = selected;
        c.filesToCopyCount = due;
        c.foldersDiffer = differ;
        return c;
    };
    QTest::newRow("new project") << context(false, 0, 0, 0, false) << "1000001 01";
    QTest::newRow("rows, none selected, none due") << context(false, 3, 0, 0, true) << "1100011 01";
    QTest::newRow("rows selected and due") << context(false, 3, 2, 2, true) << "1110111 11";
    QTest::newRow("busy: only Stop") << context(true, 3, 2, 2, true) << "0001000 00";
    CommandContext pass = context(true, 3, 2, 2, true);
    pass.stoppable = false;
    QTest::newRow("a pass on its own: not even Stop") << pass << "0000000 00";
    QTest::newRow("folders edited since the listing: nothing on its files")
        << context(false, 3, 2, 2, true, false) << "1100011 01";
    QTest::newRow("a negative count starts nothing")
        << context(false, 3, 0, -1, true) << "1100011 01";
}

void CommandStatesRulesTest::rules()
{
    QFETCH(CommandContext, context);
    QFETCH(QString, expected);
    QCOMPARE(states(commandStates(context)), expected);
}

// Commands no state enables, commands every state enables, and the deletion caption.
void CommandStatesRulesTest::neverAndAlways()
{
    for (const bool busy : {false, true}) {
        CommandContext c;
        c.busy = busy;
        c.rows = 5;
        c.selectedRows = 5;
        c.deleteToTrash = false;
        c.deleteSource = true;
        const CommandStates s = commandStates(c);
        for (const Command never : {Command::ActCut, Command::ActCopy, Command::ActPaste,
                                    Command::ActHelpIndex, Command::ActAppMakeDirectory})
            QVERIFY(!s.enabled[never]);
        for (const Command always : {Command::ActProjectSaveAs, Command::ActAppOptions,
                                     Command::ActProjectFilesSelectAll, Command::ActHelpAbout})
            QVERIFY(s.enabled[always]);
        QCOMPARE(s.deleteCaption, QStringLiteral("Supprimer [Définitif] fichiers sélectionnés "
                                                 "[Source]"));
    }
}

TANDRIMO_TEST(CommandStatesRulesTest)
#include "tst_commandrules.moc"
