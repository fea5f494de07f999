// dbinit bank|purse DIR [--sample N] [--if-absent]
// Creates the program's empty database file in DIR; refuses to overwrite an existing one.
// --sample N also fills masters and N journal rows spread over several years.
// --if-absent succeeds quietly when the file is already there (the build uses it).

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "core/db/Database.h"
#include "core/db/Schema.h"

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const QStringList args = qapp.arguments();
    auto usage = [] {
        std::fprintf(stderr, "usage: dbinit bank|purse DIR [--sample N] [--if-absent]\n");
        return 2;
    };
    if (args.size() < 3) return usage();
    db::Program program;
    if (args[1] == QLatin1String("bank"))
        program = db::Program::Bank;
    else if (args[1] == QLatin1String("purse"))
        program = db::Program::Purse;
    else
        return usage();
    const QString dir = args[2];
    int sample = 0;
    bool ifAbsent = false;
    for (int i = 3; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sample") && i + 1 < args.size()) {
            bool ok = false;
            sample = args[++i].toInt(&ok);
            if (!ok || sample < 0) return usage();
        } else if (args[i] == QLatin1String("--if-absent")) {
            ifAbsent = true;
        } else {
            return usage();
        }
    }
    const QString path = QDir(dir).filePath(db::Database_File_Name(program));
    if (QFileInfo::exists(path)) {
        if (ifAbsent) return 0;
        std::fprintf(stderr, "dbinit: %s already exists; nothing was changed\n", qPrintable(path));
        return 1;
    }
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "dbinit: cannot create the folder %s\n", qPrintable(dir));
        return 1;
    }
    QString error;
    if (!db::Create_Database(program, path, &error)) {
        std::fprintf(stderr, "dbinit: %s\n", qPrintable(error));
        return 1;
    }
    if (sample > 0) {
        if (!db::Open_Database(path, &error) || !db::Fill_Sample(program, sample, &error)) {
            std::fprintf(stderr, "dbinit: %s\n", qPrintable(error));
            db::Close_Database();
            QFile::remove(path);
            return 1;
        }
        db::Close_Database();
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}
