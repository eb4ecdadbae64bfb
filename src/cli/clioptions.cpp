#include "cli/clioptions.h"

CliParse parseCliArguments(const QStringList &arguments)
{
    CliParse parse;
    CliOptions &o = parse.options;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            if (!o.projectPath.isEmpty()) {
                parse.error =
                    QStringLiteral("un seul projet à la fois : \"%1\" est de trop").arg(argument);
                return parse;
            }
            o.projectPath = argument;
        } else if (argument == u"--") {
            optionsEnded = true;
        } else if (argument == u"-n" || argument == u"--dry-run") {
            o.dryRun = true;
        } else if (argument == u"--verify") {
            o.verify = true;
        } else if (argument == u"--allow-root-destination") {
            o.allowRootDestination = true;
        } else if (argument == u"-q" || argument == u"--quiet") {
            o.quiet = true;
        } else if (argument == u"-h" || argument == u"--help") {
            o.help = true;
        } else if (argument == u"--version") {
            o.version = true;
        } else if (argument == u"--csv" || argument.startsWith(u"--csv=")) {
            const bool joined = argument.size() > 5;
            if (!joined && i + 1 < arguments.size())
                o.csvPath = arguments[++i];
            else if (joined)
                o.csvPath = argument.mid(6);
            if (o.csvPath.isEmpty()) {
                parse.error = QStringLiteral("l'option --csv attend un nom de fichier");
                return parse;
            }
        } else {
            parse.error = QStringLiteral("option inconnue : %1").arg(argument);
            return parse;
        }
    }
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
