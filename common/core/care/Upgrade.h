#pragma once
// Bringing an open book up to the newest shape this program knows, the first time something
// needs a newer table. The windows of the original design never do it: a book that is only
// opened stays as it was. The upgrade first keeps a copy in backup/ (none when the newest copy
// is current), then adds every missing table and index and sets the version, in one
// transaction.

#include <QString>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/db/Schema.h"

namespace db {
class Book;
}

namespace care {

enum class UpgradeOutcome {
    Current,   // the book already has the version needed; nothing was written
    Upgraded,  // the book now has the program's version
    Refused,   // see error; nothing was written
};

struct UpgradeResult {
    UpgradeOutcome outcome = UpgradeOutcome::Refused;
    int from = 0;    // the book's version before
    int to = 0;      // and after
    QString backup;  // the copy kept before the upgrade
    QString error;   // "データベースを更新できませんでした: …"
    bool ok() const { return outcome != UpgradeOutcome::Refused; }
};

// Upgrades an open book when its version is below `needed`, up to the newest
// version of `schema` (the program's own book description when null). A read-only book, a
// partial one (its missing tables and columns named), a newer one and one with a trigger are
// refused, and so is the upgrade when the copy before it cannot be made.
UpgradeResult upgradeBook(db::Book& book, app::Program program, int needed = db::kSchemaVersion,
                          const db::Schema* schema = nullptr);

}  // namespace care
