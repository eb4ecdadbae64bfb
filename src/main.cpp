#include "app/qtdialogs.h"
#include "app/startup.h"
#include "platform/regional.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The application-wide error handler: whatever escapes an event handler is discarded without
// a word, so that no exception crosses the event loop.
class TandrimoApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            return false;
        }
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

    QtDialogs dialogs;
    Startup startup(dialogs);
    if (!startup.showWindows())
        return 0;
    return QApplication::exec();
}
