#include "cli/clioptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

QString csvWithoutFile()
{
    return QStringLiteral("l'option --csv attend un nom de fichier");
}

// An option's name as the user wrote it.
QString dashed(const QString &name)
{
    return (name.size() == 1 ? u"-" : u"--") + name;
}

// Why the parser refused the arguments, in French: an unknown option, --csv without its file,
// or a value given to an option that takes none.
QString refusal(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("option inconnue : %1").arg(dashed(unknown.first()));
    if (!arguments.isEmpty() && arguments.last() == u"--csv")
        return csvWithoutFile();
    for (const QString &argument : arguments) {
        if (argument == u"--")
            break;
        if (argument.startsWith(u"--") && argument.contains(u'=') &&
            !argument.startsWith(u"--csv="))
            return QStringLiteral("l'option %1 ne prend pas de valeur : %2")
                .arg(argument.section(u'=', 0, 0), argument);
    }
    return QStringLiteral("ligne de commande incorrecte");
}

} // namespace

CliParse parseCliArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-nq" is -n then -q, as other tools read it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption dryRun(QStringList{QStringLiteral("n"), QStringLiteral("dry-run")});
    const QCommandLineOption csv(QStringLiteral("csv"), QString(), QStringLiteral("FICHIER"));
    const QCommandLineOption verify(QStringLiteral("verify"));
    const QCommandLineOption allowRoot(QStringLiteral("allow-root-destination"));
    const QCommandLineOption quiet(QStringList{QStringLiteral("q"), QStringLiteral("quiet")});
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({dryRun, csv, verify, allowRoot, quiet, help, version});

    CliParse parse;
    // The parser skips the program's name: a stand-in goes first.
    if (!parser.parse(QStringList{QStringLiteral("tandrimo-cli")} + arguments)) {
        parse.error = refusal(parser, arguments);
        return parse;
    }
    CliOptions &o = parse.options;
    o.dryRun = parser.isSet(dryRun);
    o.verify = parser.isSet(verify);
    o.allowRootDestination = parser.isSet(allowRoot);
    o.quiet = parser.isSet(quiet);
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    if (parser.isSet(csv)) {
        o.csvPath = parser.value(csv);
        if (o.csvPath.isEmpty()) {
            parse.error = csvWithoutFile();
            return parse;
        }
    }
    const QStringList projects = parser.positionalArguments();
    if (projects.size() > 1) {
        parse.error =
            QStringLiteral("un seul projet à la fois : \"%1\" est de trop").arg(projects[1]);
        return parse;
    }
    if (!projects.isEmpty())
        o.projectPath = projects.first();
    if (o.help || o.version)
        return parse;
    if (o.projectPath.isEmpty())
        parse.error = QStringLiteral("aucun projet indiqué");
    return parse;
}

QString cliHelpText()
{
    return QStringLiteral(
        "Usage : tandrimo-cli [OPTIONS] PROJET.tdm\n"
        "\n"
        "Synchronise sans fenêtre un projet Tandrimo : rafraîchit la liste des fichiers, la\n"
        "classe et copie chaque fichier à copier, comme la commande Démarrer de la fenêtre.\n"
        "Les préférences sont celles de la fenêtre : son fichier de paramètres tandrimo.ini,\n"
        "ou celui que nomme la variable TANDRIMO_INI.\n"
        "\n"
        "Options :\n"
        "  -n, --dry-run      liste seulement, sans rien copier : une ligne par fichier (statut\n"
        "                     et chemin relatif), puis le résumé\n"
        "      --csv FICHIER  écrit aussi la liste en CSV : avec --dry-run la liste comparée,\n"
        "                     sinon la liste après la copie\n"
        "      --verify       vérifie chaque copie, quelle que soit la préférence\n"
        "      --allow-root-destination\n"
        "                     accepte une destination à la racine du système de fichiers\n"
        "  -q, --quiet        n'affiche que les erreurs\n"
        "  -h, --help         affiche cette aide\n"
        "      --version      affiche la version\n"
        "\n"
        "Sans personne pour répondre, les questions de la fenêtre ont une réponse fixe :\n"
        "  - espace disque insuffisant pour un fichier : il est compté en erreur, la copie\n"
        "    continue avec les suivants ;\n"
        "  - copie vérifiée différente de l'original : elle est comptée en erreur, la copie\n"
        "    continue ;\n"
        "  - répertoire source à la racine d'un disque : la synchronisation a lieu ;\n"
        "  - répertoire de destination absent : il n'est pas créé (statut 2) ;\n"
        "  - destination à la racine du système de fichiers : refusée (statut 2), sauf avec\n"
        "    --allow-root-destination.\n"
        "Ctrl+C (ou les signaux SIGTERM et SIGHUP) arrête la copie comme la commande Arrêter :\n"
        "la copie en cours est abandonnée et l'ancien fichier reste tel quel, jamais à moitié\n"
        "copié. Un second signal arrête le programme aussitôt.\n"
        "Une synchronisation vers un répertoire de destination où une autre est en cours\n"
        "(fenêtre ou tandrimo-cli) est refusée sans rien copier.\n"
        "\n"
        "Code de sortie :\n"
        "  0    chaque fichier à copier a été copié\n"
        "  1    ligne de commande incorrecte, projet illisible ou fichier CSV non écrit\n"
        "  2    un répertoire est inaccessible ou refusé (la raison sur la sortie d'erreur)\n"
        "  3    des fichiers n'ont pas été copiés ou des dossiers de la source n'ont pas été\n"
        "       lus (chacun nommé sur la sortie d'erreur avec sa raison)\n"
        "  4    une autre synchronisation vers le même répertoire de destination est en cours\n"
        "  130  arrêté par Ctrl+C, SIGTERM ou SIGHUP\n");
}
