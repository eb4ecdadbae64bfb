#include "app/guard.h"
#include "app/qtdialogs.h"
#include "app/startup.h"
#include "platform/regional.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The application-wide error handler: whatever escapes an event handler is told like an error
// that ends a command, so that no exception crosses the event loop.
class TandrimoApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        bool handled = false;
        guarded([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    TandrimoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tandrimo"));
    // Dates, times and sizes follow the regional settings, French where the system has none.
    QLocale::setDefault(platform::regionalLocale());

    // The toolkit's own dialogs speak French, whatever the locale.
    QTranslator qtFrench;
    if (qtFrench.load(QStringLiteral("qtbase_fr"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    // A project path as the first argument, as a file manager passes a .tdm file.
    const QStringList arguments = QApplication::arguments();
    const QString project = arguments.size() > 1 && !arguments.at(1).isEmpty()
                                ? QFileInfo(arguments.at(1)).absoluteFilePath()
                                : QString();

    QtDialogs dialogs;
    Startup startup(dialogs);
    if (!startup.showWindows(project))
        return 0;
    return QApplication::exec();
}
