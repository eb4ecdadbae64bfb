#include "app/appsettings.h"
#include "app/fmmain.h"
#include "app/fmoptions.h"
#include "app/listcommands.h"
#include "app/projectcommands.h"
#include "app/recentprojects.h"
#include "app/startup.h"
#include "platform/inifile.h"
#include "support/childprocess.h"
#include "support/scripteddialogs.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

std::unique_ptr<Startup> start(ScriptedDialogs &dialogs, const QString &iniPath)
{
    qputenv("TANDRIMO_INI", iniPath.toUtf8());
    auto startup = std::make_unique<Startup>(dialogs, [&dialogs](TfmOpenProject &chooser) {
        chooser.show();
        escapeChooser(chooser, dialogs);
    });
    startup->showWindows();
    return startup;
}

// Section and key names of a settings file, in file order, as "Section/Key".
QStringList layout(const QString &path)
{
    const platform::IniFile ini = platform::IniFile::load(path);
    QStringList names;
    for (const QString &section : ini.sectionNames()) {
        for (const QString &key : ini.keyNames(section))
            names.append(section + u'/' + key + u'=' + ini.readString(section, key, QString()));
    }
    return names;
}

// The shown labels, buttons and group boxes of a window whose text does not fit their room.
QStringList cutTexts(const QWidget &window)
{
    QStringList cut;
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        const bool text = qobject_cast<const QLabel *>(w) ||
                          qobject_cast<const QAbstractButton *>(w) ||
                          qobject_cast<const QGroupBox *>(w);
        if (text && w->isVisible() &&
            !QRect(QPoint(), w->size()).contains(QRect(QPoint(), w->sizeHint())))
            cut << w->property("text").toString() + w->property("title").toString();
    }
    return cut;
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tree = std::make_unique<TestTree>(); }
    void firstRunLeavesTheDefaults();
    void readOnlySettingsStayByteForByte();
    void unreadableSettingsGiveTheDefaults_data();
    void unreadableSettingsGiveTheDefaults();
    void storedPreferencesReachTheOptions();
    void appliedOptionsAreWrittenAtClose();
    void optionButtons_data();
    void optionButtons();
    void optionsShowEveryTextWhole();
    void closeAsksToSaveFirst_data();
    void closeAsksToSaveFirst();
    void failedPreferenceWriteWarnsAndCloses();

private:
    std::unique_ptr<TestTree> m_tree;
};

// The chooser offers a new project only; "OK" keeps it, and closing writes the whole file.
void SettingsTest::firstRunLeavesTheDefaults()
{
    const QString ini = m_tree->path(QStringLiteral("tandrimo.ini"));
    WindowRun run(ini, [](TfmOpenProject &chooser, ScriptedDialogs &) {
        QVERIFY(chooser.findChild<QRadioButton *>(QStringLiteral("rbNewProject"))->isChecked());
        QVERIFY(!chooser.findChild<QListWidget *>(QStringLiteral("lstProjectList"))->isEnabled());
        chooser.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    QVERIFY(run.main().userPrefs().IniWritable);
    QCOMPARE(run.main().settings().AppIniFile(), ini);
    QVERIFY(run.main().close());
    // The placement's rectangle and colour depend on the screen.
    const QStringList written = layout(ini);
    QCOMPARE(
        written
            .filter(QRegularExpression("^MainForm/(NormalPos=-?\\d+,-?\\d+,\\d+,\\d+|Color=\\d+)$"))
            .size(),
        2);
    QCOMPARE(
        written.filter(QRegularExpression("^(?!MainForm/(NormalPos|Color)=)")),
        QStringList({"Test/WriteToIniTest=1", "MainForm/Flags=0", "MainForm/ShowCmd=1",
                     "MainForm/PixelsPerInch=96", "Files/FileDeleteSrc=0", "Files/FileDeleteDest=1",
                     "Files/FileDeleteSendToTrash=1", "Files/FileSyncReadOnly=1",
                     "Files/FileCompareCopy=0", "Files/FileSpy=0",
                     "Misc/AppShowOpenProjectAtStartup=1", "fmMain.OvcMenuMRU1.Items/Count=0"}));
    QCOMPARE(run.dialogs.boxes().size(), 0);
}

void SettingsTest::readOnlySettingsStayByteForByte()
{
    const QByteArray before = "[Files]\nFileDeleteSrc=1\nFileCompareCopy=yes\n[Own]\nx=1\n"
                              "[MainForm]\nNormalPos=11,12,611,512\nPixelsPerInch=96\n"
                              "[fmMain.OvcMenuMRU1.Items]\nCount=1\n0=/x/p.tdm";
    const QString ini = m_tree->writeFile(QStringLiteral("ro.ini"), before);
    QVERIFY(m_tree->setMode(QStringLiteral("ro.ini"), 0444));
    ScriptedDialogs dialogs;
    auto startup = start(dialogs, ini);
    TfmMain &main = startup->mainWindow();
    QVERIFY(!main.userPrefs().IniWritable);
    QVERIFY(main.userPrefs().FileDeleteSrc);
    QVERIFY(!main.userPrefs().FileCompareCopy);
    QCOMPARE(startup->chooser().findChild<QListWidget *>(QStringLiteral("lstProjectList"))->count(),
             2);
    QVERIFY(!main.recentProjects().entries().first()->isEnabled());
    QVERIFY(main.normalGeometry() != QRect(11, 12, 600, 500));
    main.project().Modified = false;
    QVERIFY(main.close());
    startup.reset();
    QCOMPARE(m_tree->read(QStringLiteral("ro.ini")), before);
    QCOMPARE(dialogs.boxes().size(), 0);
}

void SettingsTest::unreadableSettingsGiveTheDefaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo"
                          << "ce n'est pas un fichier ordinaire";
    QTest::newRow("folder") << "folder"
                            << "c'est un dossier";
    QTest::newRow("too large") << "large"
                               << "fichier trop volumineux";
}

void SettingsTest::unreadableSettingsGiveTheDefaults()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString ini = m_tree->path(QStringLiteral("tandrimo.ini"));
    if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0644), 0);
    } else if (kind == u"folder") {
        m_tree->makeFolder(QStringLiteral("tandrimo.ini"));
    } else {
        QFile file(m_tree->writeFile(QStringLiteral("tandrimo.ini"), "[Files]\nFileDeleteSrc=1\n"));
        QVERIFY(file.resize(platform::IniFile::kMaxFileSize + 1));
    }
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(ini).constData(), &before), 0);
    // In a child under a time limit: opening a FIFO to read it waits for a writer.
    const ChildOutcome child = runInChild([&ini] {
        ScriptedDialogs dialogs;
        dialogs.answer(BoxButton::Ok);
        auto startup = start(dialogs, ini);
        TfmMain &main = startup->mainWindow();
        QStringList seen{main.userPrefs().IniWritable ? QStringLiteral("writable")
                                                      : QStringLiteral("not writable"),
                         main.userPrefs().FileDeleteSrc ? QStringLiteral("stored")
                                                        : QStringLiteral("default")};
        for (const ScriptedDialogs::Box &box : dialogs.boxes())
            seen << QString::number(int(box.kind)) << box.text;
        main.close();
        return seen.join(u'\n').toUtf8();
    });
    QVERIFY2(child.exited, child.timedOut ? "blocked" : "crashed");
    QCOMPARE(QString::fromUtf8(child.output).split(u'\n'),
             QStringList({"not writable", "default", QString::number(int(BoxKind::Warning)),
                          "Le fichier de paramètres \"" + ini + "\" ne peut pas être lu (" +
                              reason + ") : les préférences par défaut sont utilisées."}));
    // Nothing was written over it.
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(ini).constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
}

void SettingsTest::storedPreferencesReachTheOptions()
{
    const QString ini =
        m_tree->writeFile(QStringLiteral("s.ini"),
                          "[Files]\nFileDeleteSendToTrash=0\nFileSpy=1\nFileSyncReadOnly=0\n");
    ScriptedDialogs dialogs;
    auto startup = start(dialogs, ini);
    TfmOptions &options = startup->options();
    QVERIFY(options.findChild<QRadioButton *>(QStringLiteral("cbFileDeleteFull"))->isChecked());
    QVERIFY(
        !options.findChild<QRadioButton *>(QStringLiteral("cbFileDeleteSendToTrash"))->isChecked());
    auto *spy = options.findChild<QCheckBox *>(QStringLiteral("cbFileSpy"));
    QVERIFY(spy->isChecked());
    QVERIFY(!spy->isEnabled());
    QVERIFY(!options.findChild<QCheckBox *>(QStringLiteral("cbFileSyncReadOnly"))->isChecked());
    QVERIFY(options.isHidden());
}

void SettingsTest::appliedOptionsAreWrittenAtClose()
{
    const QString ini = m_tree->path(QStringLiteral("s.ini"));
    ScriptedDialogs dialogs;
    auto startup = start(dialogs, ini);
    TfmOptions &options = startup->options();
    startup->mainWindow().command(Command::ActAppOptions)->trigger();
    QVERIFY(options.isVisible());
    options.findChild<QCheckBox *>(QStringLiteral("cbFileDeleteDest"))->setChecked(false);
    options.findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
    QVERIFY(startup->mainWindow().userPrefs().FileDeleteDest);
    startup->mainWindow().command(Command::ActAppOptions)->trigger();
    QVERIFY(!options.findChild<QCheckBox *>(QStringLiteral("cbFileDeleteDest"))->isChecked());
    options.findChild<QCheckBox *>(QStringLiteral("cbFileCompareCopy"))->setChecked(true);
    options.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    QVERIFY(options.isHidden());
    QVERIFY(!startup->mainWindow().userPrefs().FileDeleteDest);
    QVERIFY(startup->mainWindow().close());
    const QStringList written = layout(ini);
    QVERIFY(written.contains(QStringLiteral("Files/FileDeleteDest=0")));
    QVERIFY(written.contains(QStringLiteral("Files/FileCompareCopy=1")));
}

void SettingsTest::optionButtons_data()
{
    QTest::addColumn<QString>("button"); // empty: the window's close box
    QTest::addColumn<bool>("applied");
    QTest::addColumn<bool>("visible");
    QTest::newRow("Appliquer") << "btnApply" << true << true;
    QTest::newRow("OK") << "btnOK" << true << false;
    QTest::newRow("Fermer") << "btnClose" << false << false;
    QTest::newRow("close box") << "" << false << false;
}

// The radio pair is exclusive and the delete command's caption follows at once; FileSpy, which
// the dialog cannot change, stays.
void SettingsTest::optionButtons()
{
    QFETCH(QString, button);
    QFETCH(bool, applied);
    QFETCH(bool, visible);
    ScriptedDialogs dialogs;
    auto startup =
        start(dialogs, m_tree->writeFile(QStringLiteral("s.ini"), "[Files]\nFileSpy=1\n"));
    TfmOptions &options = startup->options();
    startup->mainWindow().command(Command::ActAppOptions)->trigger();
    options.findChild<QCheckBox *>(QStringLiteral("cbFileDeleteSrc"))->click();
    options.findChild<QRadioButton *>(QStringLiteral("cbFileDeleteFull"))->click();
    if (button.isEmpty())
        QVERIFY(options.close());
    else
        options.findChild<QPushButton *>(button)->click();

    const UserPrefs &prefs = startup->mainWindow().userPrefs();
    QCOMPARE(prefs.FileDeleteSrc, applied);
    QCOMPARE(prefs.FileDeleteSendToTrash, !applied);
    QVERIFY(prefs.FileSpy);
    QCOMPARE(
        startup->mainWindow().command(Command::ActFileDelete)->text(),
        applied
            ? QStringLiteral("Supprimer [Définitif] fichiers sélectionnés [Source] [Destination]")
            : QStringLiteral("Supprimer [Dans poubelle] fichiers sélectionnés [Destination]"));
    QCOMPARE(options.isVisible(), visible);
}

void SettingsTest::optionsShowEveryTextWhole()
{
    ScriptedDialogs dialogs;
    auto startup = start(dialogs, m_tree->path(QStringLiteral("s.ini")));
    TfmOptions &options = startup->options();
    startup->mainWindow().command(Command::ActAppOptions)->trigger();
    QCOMPARE(options.focusWidget()->objectName(), QStringLiteral("btnClose"));
    QVERIFY(options.minimumWidth() >= 473 && options.minimumHeight() >= 353);
    auto *pages = options.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QVERIFY(pages->tabBar()->sizeHint().width() <= pages->tabBar()->width());
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QTRY_COMPARE(cutTexts(options), QStringList());
    }
}

void SettingsTest::closeAsksToSaveFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("Oui") << int(BoxButton::Yes) << true;
    QTest::newRow("Non") << int(BoxButton::No) << true;
    QTest::newRow("Annuler") << int(BoxButton::Cancel) << false;
}

void SettingsTest::closeAsksToSaveFirst()
{
    QFETCH(int, answer);
    QFETCH(bool, closed);
    const QString ini = m_tree->path(QStringLiteral("s.ini"));
    const QString project = m_tree->writeFile(
        QStringLiteral("p.tdm"), "[Directories]\nSrcRelPath=" + m_tree->root().toUtf8() +
                                     "\nDestRelPath=/usr\nPathRecursive=0\n");
    ScriptedDialogs dialogs;
    auto startup = start(dialogs, ini);
    TfmMain &main = startup->mainWindow();
    QVERIFY(main.projects().ProjectLoad(project));
    main.lists().ExtToExcludeAdd(QStringLiteral(".log"));
    const QByteArray settingsBefore = m_tree->read(QStringLiteral("s.ini"));

    dialogs.answer(BoxButton(answer));
    QCOMPARE(main.close(), closed);
    QCOMPARE(main.isVisible(), !closed);
    QCOMPARE(dialogs.boxes().size(), 1);
    QCOMPARE(m_tree->read(QStringLiteral("p.tdm")).contains(".log=#"),
             answer == int(BoxButton::Yes));
    const QByteArray settingsAfter = m_tree->read(QStringLiteral("s.ini"));
    if (closed)
        QVERIFY(settingsAfter.contains("[Files]"));
    else
        QCOMPARE(settingsAfter, settingsBefore);
}

void SettingsTest::failedPreferenceWriteWarnsAndCloses()
{
    const QString ini = m_tree->path(QStringLiteral("s.ini"));
    ScriptedDialogs dialogs;
    auto startup = start(dialogs, ini);
    QVERIFY(startup->mainWindow().userPrefs().IniWritable);
    const QByteArray before = m_tree->read(QStringLiteral("s.ini"));
    QVERIFY(m_tree->setMode(QStringLiteral("s.ini"), 0444));
    dialogs.answer(BoxButton::Ok);
    QVERIFY(startup->mainWindow().close());
    QCOMPARE(dialogs.boxes().size(), 1);
    QCOMPARE(dialogs.boxes().first().kind, BoxKind::Warning);
    QVERIFY(dialogs.boxes().first().text.contains(ini));
    QCOMPARE(m_tree->read(QStringLiteral("s.ini")), before);
}

TANDRIMO_TEST(SettingsTest)
#include "tst_settings.moc"
