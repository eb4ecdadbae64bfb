#pragma once

#include "app/appsettings.h"
#include "app/fmmain.h"
#include "app/listcommands.h"
#include "app/projectcommands.h"
#include "app/startup.h"
#include "app/synccommands.h"
#include "compare/comparison.h"
#include "support/scripteddialogs.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <memory>

// What the user does in the project chooser, shown without a modal loop; it must close it.
using ChooserScript = std::function<void(TfmOpenProject &, ScriptedDialogs &)>;

// Escape: the chooser closes and the new project stays.
inline void escapeChooser(TfmOpenProject &chooser, ScriptedDialogs &)
{
    QTest::keyClick(&chooser, Qt::Key_Escape);
}

// One run of the program for a window test: the windows built in start-up order over a
// settings file of the test's own, the main window shown, dialogs answered from a script.
struct WindowRun {
    // projectPath: a project named on the command line.
    explicit WindowRun(const QString &iniPath, const ChooserScript &script = escapeChooser,
                       const QString &projectPath = QString())
    {
        qputenv("TANDRIMO_INI", iniPath.toUtf8());
        // The copy runs' lock files lie beside the settings, not in the user's runtime folder.
        const QString runtime = iniPath.left(iniPath.lastIndexOf(u'/')) + u"/run";
        QDir().mkpath(runtime);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        startup = std::make_unique<Startup>(dialogs, [this, script](TfmOpenProject &chooser) {
            chooser.show();
            script(chooser, dialogs);
            QVERIFY2(chooser.isHidden(), "the chooser is still open");
        });
        shown = startup->showWindows(projectPath);
    }
    TfmMain &main() { return startup->mainWindow(); }
    TProject &project() { return main().project(); }
    QAction *action(Command command) { return main().command(command); }
    void trigger(Command command) { action(command)->trigger(); }
    // From the copy run's worker (a test's file calls): runs what on the window's thread, as
    // the user would meanwhile, and waits for it.
    void onWindowThread(const std::function<void()> &what)
    {
        QMetaObject::invokeMethod(&main(), what, Qt::BlockingQueuedConnection);
    }
    QLineEdit *field(const char *name)
    {
        return main().findChild<QLineEdit *>(QLatin1String(name));
    }
    QString label(const char *name)
    {
        return main().findChild<QLabel *>(QLatin1String(name))->text();
    }
    void typeInto(const char *name, const QString &text)
    {
        QLineEdit *edit = field(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<Startup> startup;
    bool shown = false; // false after "Quitter"
};
