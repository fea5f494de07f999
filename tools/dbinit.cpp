// dbinit bank|purse DIR [--preset | --sample N] [--if-absent]
// Writes the program's empty book into DIR, as the program does at its first start; refuses
// to overwrite an existing one.
// --preset also registers the standard items (bank) or categories (purse).
// --sample N fills masters and N journal rows spread over ten years, for demos and benchmarks.
// --if-absent succeeds quietly when the file is already there (the build uses it).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "tools/SampleBook.h"
#include "core/db/Book.h"
#include "core/db/Database.h"
#include "core/ledger/Masters.h"

int main(int argc, char** argv) {
    app::surviveFileSizeLimit();
    QCoreApplication qapp(argc, argv);
    const QStringList args = qapp.arguments();
    auto usage = [] {
        std::fprintf(stderr, "usage: dbinit bank|purse DIR [--preset | --sample N] [--if-absent]\n");
        return 2;
    };
    if (args.size() < 3) return usage();
    app::Program program;
    if (args[1] == QLatin1String("bank"))
        program = app::Program::Bank;
    else if (args[1] == QLatin1String("purse"))
        program = app::Program::Purse;
    else
        return usage();
    const QString dir = args[2];
    int sample = 0;
    bool ifAbsent = false;
    bool preset = false;
    for (int i = 3; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sample") && i + 1 < args.size()) {
            bool ok = false;
            sample = args[++i].toInt(&ok);
            if (!ok || sample < 0) return usage();
        } else if (args[i] == QLatin1String("--if-absent")) {
            ifAbsent = true;
        } else if (args[i] == QLatin1String("--preset")) {
            preset = true;
        } else {
            return usage();
        }
    }
    // The sample brings its own masters.
    if (preset && sample > 0) return usage();
    app::setProduct(program);
    const QString path = QDir(dir).filePath(app::product().databaseFile);
    if (QFileInfo::exists(path)) {
        if (ifAbsent) return 0;
        std::fprintf(stderr, "dbinit: %s already exists; nothing was changed\n", qPrintable(path));
        return 1;
    }
    QString error;
    if (!db::createBook(program, path, &error)) {
        std::fprintf(stderr, "dbinit: %s\n", qPrintable(error));
        return 1;
    }
    if (preset || sample > 0) {
        const bool filled = db::openDatabase(path, &error) &&
                            (preset ? ledger::registerStandardMasters(program, &error)
                                    : sample::fillSample(program, sample, &error));
        db::closeDatabase();
        if (!filled) {
            std::fprintf(stderr, "dbinit: %s\n", qPrintable(error));
            QFile::remove(path);
            return 1;
        }
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}
