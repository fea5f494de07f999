// kakeibo_io_cli export|import|search ...
// Runs the kakeibo tool's data subcommands on their own, for trying them out before the tool
// itself dispatches to them.

#include <QCoreApplication>
#include <cstdio>

#include "core/AppState.h"
#include "tools/KakeiboIo.h"

int main(int argc, char** argv) {
    app::surviveFileSizeLimit();
    QCoreApplication qapp(argc, argv);
    QStringList args = qapp.arguments().mid(1);
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    if (command == QLatin1String("export")) return runExport(args);
    if (command == QLatin1String("import")) return runImport(args);
    if (command == QLatin1String("search")) return runSearch(args);
    std::fprintf(stderr, "usage: kakeibo_io_cli export|import|search ... (--help for each)\n");
    return 2;
}
