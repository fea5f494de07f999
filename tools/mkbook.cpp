// mkbook DIR
// Writes the two empty books delivered with the programs ("bank.mdb" and "moneta.mdb") into
// DIR, replacing what is there. Run by the build; the programs embed its output.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "tools/BookSchema.h"

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const QStringList args = qapp.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: mkbook DIR\n");
        return 2;
    }
    const QDir dir(args[1]);
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "mkbook: cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }
    const struct {
        app::Program program;
        const char* file;
    } books[] = {{app::Program::Bank, "bank.mdb"}, {app::Program::Purse, "moneta.mdb"}};
    for (const auto& b : books) {
        const QString path = dir.filePath(QLatin1String(b.file));
        QFile::remove(path);
        QString error;
        if (!schema::writeEmptyBook(b.program, path, &error)) {
            std::fprintf(stderr, "mkbook: %s: %s\n", qPrintable(path), qPrintable(error));
            return 1;
        }
    }
    return 0;
}
