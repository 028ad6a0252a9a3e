// plomera-evidence: the command-line companion of the player, on the same evidence code.
#include "tools/BookmarksCommand.h"
#include "tools/CommandLineText.h"
#include "tools/CustodyCommand.h"
#include "tools/EvidenceInfoCommand.h"
#include "tools/PlayCommand.h"

#if defined(PLOMERA_HAVE_SAMPLE) && __has_include("tools/sample/MakeSampleCommand.h")
#include "tools/sample/MakeSampleCommand.h"
#define PLOMERA_MAKE_SAMPLE 1
#endif

#include "tools/TilesCommand.h"
#include "tools/PackageCommand.h"

#include <QCoreApplication>
#include <QStringList>
#include <clocale>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QStringList args = QCoreApplication::arguments().mid(1);
    const QString usage = QStringLiteral(
        "usage: plomera-evidence info FILE [--json]\n"
        "       plomera-evidence bookmarks FILE list|add|delete|clear ...\n"
        "       plomera-evidence play FILE [--seek \"YYYY-MM-DD HH:MM:SS\"] [--snapshot OUT.png]\n"
        "       plomera-evidence make-sample DIR [options]\n"
        "       plomera-evidence tiles fetch|list --cache FILE ...\n"
        "       plomera-evidence package create|list|extract ...\n"
        "       plomera-evidence custody FILE [--report OUT] [--camera NAME]");
    if (args.isEmpty()) {
        CommandLineText::Err(usage);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("info")) {
        return EvidenceInfoCommand::Run(args);
    }
    if (command == QLatin1String("bookmarks")) {
        return BookmarksCommand::Run(args);
    }
    if (command == QLatin1String("play")) {
        return PlayCommand::Run(args);
    }
    if (command == QLatin1String("package")) {
        return PackageCommand::Run(args);
    }
    if (command == QLatin1String("custody")) {
        return CustodyCommand::Run(args);
    }
    if (command == QLatin1String("tiles")) {
        return TilesCommand::Run(args);
    }
#ifdef PLOMERA_MAKE_SAMPLE
    if (command == QLatin1String("make-sample")) {
        return MakeSampleCommand(args);
    }
#endif
    CommandLineText::Err(usage);
    return 2;
}
