#include "cli/clioptions.h"
#include "cli/clirun.h"
#include "cli/console.h"
#include "platform/appinfo.h"
#include "platform/regional.h"

#include <QCoreApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tandrimo"));
    QLocale::setDefault(platform::regionalLocale());

    const CliParse parse = parseCliArguments(app.arguments().mid(1));
    const CliOptions &options = parse.options;
    Console console(options.quiet && !options.help && !options.version);
    if (!parse.ok()) {
        console.error(
            QStringLiteral("tandrimo-cli : %1\nEssayez « tandrimo-cli --help ».").arg(parse.error));
        return ExitUsage;
    }
    if (options.help) {
        console.line(cliHelpText());
        return ExitCopied;
    }
    if (options.version) {
        console.line(u"tandrimo-cli " + platform::fileVersion());
        return ExitCopied;
    }
    try {
        return runCli(options, console);
    } catch (const std::exception &error) {
        console.error(u"tandrimo-cli : " + QString::fromLocal8Bit(error.what()));
        return ExitSomeFailed;
    }
}
