#include "platform/inifile.h"
#include "project/windowstate.h"
#include "support/testmain.h"

#include <QTest>

namespace {

const QList<QRect> kScreens{QRect(0, 0, 1920, 1050), QRect(1920, 0, 1280, 1024)};
const QMargins kFrame(4, 30, 4, 4);
const QRect kCurrent(200, 150, 700, 539);

} // namespace

class WindowStateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anyStoredNumbersGiveAWindowOnAScreen_data();
    void anyStoredNumbersGiveAWindowOnAScreen();
};

void WindowStateTest::anyStoredNumbersGiveAWindowOnAScreen_data()
{
    QTest::addColumn<QString>("normalPos");
    // The window's rectangle once placed; an invalid one: the window stays where it is.
    QTest::addColumn<QRect>("placed");
    const QRect wholeFirstScreen = QRect(0, 0, 1920, 1050).marginsRemoved(kFrame);
    QTest::newRow("as stored") << "100,120,900,720" << QRect(100, 120, 800, 600);
    QTest::newRow("on the second screen") << "2000,100,2600,500" << QRect(2000, 100, 600, 400);
    QTest::newRow("sizes of INT_MIN") << "0,0,-2147483648,-2147483648" << QRect();
    QTest::newRow("every edge INT_MAX") << "2147483647,2147483647,2147483647,2147483647" << QRect();
    QTest::newRow("INT_MIN to INT_MAX")
        << "-2147483648,-2147483648,2147483647,2147483647" << wholeFirstScreen;
    QTest::newRow("far left and above")
        << "-2147483648,-2147483648,-2147482648,-2147482848" << QRect(4, 30, 1000, 800);
    QTest::newRow("far right and below")
        << "2147482647,2147482847,2147483647,2147483647" << QRect(916, 246, 1000, 800);
    QTest::newRow("past the range of int")
        << "-99999999999,0,99999999999,500" << QRect(4, 30, 1912, 500);
    QTest::newRow("negative size") << "900,700,100,120" << QRect();
    QTest::newRow("zero size") << "100,100,100,100" << QRect();
    QTest::newRow("garbage") << "abc,def,ghi,jkl" << kCurrent;
    QTest::newRow("half garbage") << "10,x,810,y" << QRect(10, 150, 800, 539);
    QTest::newRow("too few numbers") << "-5000" << QRect(4, 150, 1912, 539);
}

// A placement stored by any program, or edited by hand, restores a window that lies whole on
// one of the screens, or keeps the window where it is; nothing overflows on the way.
void WindowStateTest::anyStoredNumbersGiveAWindowOnAScreen()
{
    QFETCH(QString, normalPos);
    QFETCH(QRect, placed);
    platform::IniFile ini;
    ini.writeString("MainForm", "PixelsPerInch", "96");
    ini.writeString("MainForm", "NormalPos", normalPos);
    WindowState current;
    current.normal = kCurrent;

    const RestoredPlacement restored = readWindowState(ini, current);
    QVERIFY(restored.restored);
    if (!placed.isValid()) {
        QVERIFY(!restored.normal.isValid());
        return;
    }
    QVERIFY(restored.normal.isValid());
    const QRect window = fitToScreens(restored.normal, kScreens, kFrame);
    QCOMPARE(window, placed);
    const QRect outer = window.marginsAdded(kFrame);
    QVERIFY(std::any_of(kScreens.cbegin(), kScreens.cend(),
                        [&outer](const QRect &screen) { return screen.contains(outer); }));
}

TANDRIMO_TEST(WindowStateTest)
#include "tst_windowstate.moc"
