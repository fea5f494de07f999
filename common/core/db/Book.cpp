#include "core/db/Book.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

// The resource must be registered from the global namespace.
static void initBookResource() { Q_INIT_RESOURCE(books); }

namespace db {

QByteArray emptyBook(app::Program p) {
    static const bool registered = (initBookResource(), true);
    Q_UNUSED(registered);
    QFile f(QStringLiteral(":/books/") + app::productOf(p).databaseFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

bool makePrivatePath(const QString& dir) {
    const QString abs = QFileInfo(dir).absoluteFilePath();
    if (QFileInfo(abs).isDir()) return true;
    const QString parent = QFileInfo(abs).absolutePath();
    if (parent == abs || !makePrivatePath(parent)) return false;
    return QDir().mkdir(abs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(abs).isDir();
}

bool createBook(app::Program p, const QString& path, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (info.exists() || info.isSymLink()) return fail(QStringLiteral("すでにファイルがあります: %1").arg(shown));
    const QByteArray book = emptyBook(p);
    if (book.isEmpty()) return fail(QStringLiteral("空のデータベースが見つかりません"));
    if (!makePrivatePath(info.absolutePath()))
        return fail(
            QStringLiteral("フォルダーを作成できません: %1").arg(QDir::toNativeSeparators(info.absolutePath())));

    // Written whole beside its name, flushed to the disk, then renamed into place: the book
    // either exists complete or not at all. A temporary file is created with mode 0600.
    QTemporaryFile tmp(info.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!tmp.open()) return fail(QStringLiteral("データベースを作成できません: %1 (%2)").arg(shown, tmp.errorString()));
    const bool written = tmp.write(book) == book.size() && tmp.flush() && ::fsync(tmp.handle()) == 0;
    tmp.close();
    if (!written) return fail(QStringLiteral("データベースを作成できません: %1 (%2)").arg(shown, tmp.errorString()));
    // rename() of Qt never replaces an existing file: a book made meanwhile by someone else stays.
    if (!tmp.rename(info.absoluteFilePath()))
        return fail(QStringLiteral("データベースを作成できません: %1 (%2)").arg(shown, tmp.errorString()));
    tmp.setAutoRemove(false);
    QFile::setPermissions(info.absoluteFilePath(), QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

}  // namespace db
