#include "support/testmain.h"

#include <QTest>

// The window tests build this file with TANDRIMO_TEST_WIDGETS; the core tests run on a
// QCoreApplication and link no widget library.
#ifdef TANDRIMO_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <memory>
#include <vector>

namespace {

struct Registered {
    const char *name;
    std::function<QObject *()> create;
};

std::vector<Registered> &registry()
{
    static std::vector<Registered> tests;
    return tests;
}

} // namespace

void testmain::registerTest(const char *name, std::function<QObject *()> create)
{
    registry().push_back({name, std::move(create)});
}

// Runs every registered class; "-class Name" as the first arguments runs that class alone and
// passes the rest to Qt Test.
int main(int argc, char *argv[])
{
#ifdef TANDRIMO_TEST_WIDGETS
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // A crash prints its report and ends; no debugger is attached to print a stack.
    qputenv("QTEST_DISABLE_STACK_DUMP", "1");
    TestApplication app(argc, argv);
    QStringList args = app.arguments();
    QString only;
    if (args.size() >= 3 && args[1] == u"-class") {
        only = args[2];
        args.remove(1, 2);
    }
    int failures = 0;
    for (const Registered &test : registry()) {
        if (!only.isEmpty() && only != QLatin1String(test.name))
            continue;
        std::unique_ptr<QObject> object(test.create());
        failures += QTest::qExec(object.get(), args);
    }
    return failures == 0 ? 0 : 1;
}
