#include "core/care/Upgrade.h"

#include <QDir>

#include "core/care/Backup.h"
#include "core/db/Book.h"

namespace care {

UpgradeResult upgradeBook(db::Book& book, app::Program program, int needed, const db::Schema* schema) {
    const db::Schema& target = schema ? *schema : db::bookSchema(program);
    UpgradeResult r;
    auto refuse = [&](const QString& why) {
        r.outcome = UpgradeOutcome::Refused;
        r.error = QStringLiteral("データベースを更新できませんでした: %1").arg(why);
        return r;
    };
    if (!book.isOpen()) return refuse(QStringLiteral("データベースが開かれていません"));
    QSqlDatabase c = book.connection();
    const db::SchemaState state = db::inspectSchema(c, target);
    if (!state.read) return refuse(state.error);
    r.from = r.to = state.version;
    if (state.version >= needed && !state.partial()) {
        r.outcome = UpgradeOutcome::Current;
        return r;
    }
    if (book.isReadOnly()) {
        const QString why = book.refusesWrites();
        return refuse(why.isEmpty() ? QStringLiteral("読み取り専用で開きます") : why);
    }
    if (state.partial())
        return refuse(QStringLiteral("必要な表や列がありません: %1").arg(state.missing.join(QStringLiteral(", "))));
    if (!state.triggers.isEmpty())
        return refuse(QStringLiteral("トリガーがあります: %1").arg(state.triggers.join(QStringLiteral(", "))));

    // The copy first: the book as it was stays at hand whatever the upgrade does.
    const db::BackupResult copy = db::backupBook(book);
    if (!copy.ok() || copy.outcome == db::BackupOutcome::ReadOnly)
        return refuse(copy.error.isEmpty() ? QStringLiteral("バックアップを作成できません") : copy.error);
    r.backup = copy.path;
    QString why;
    if (!db::upgradeSchema(c, target, target.version(), &why)) return refuse(why);
    r.to = target.version();
    r.outcome = UpgradeOutcome::Upgraded;
    return r;
}

}  // namespace care
