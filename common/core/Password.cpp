#include "core/Password.h"

#include <sodium.h>

#include <QByteArray>

#include "core/db/Book.h"

namespace app {
namespace {
// libsodium once per process, before its first use; safe to call from any thread.
bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// The interactive limits (64 MiB, 2 passes) verify in about 0.12 s on the development machine;
// the moderate ones took 0.6 s, too long for every start.
constexpr unsigned long long kOps = crypto_pwhash_OPSLIMIT_INTERACTIVE;
constexpr size_t kMem = crypto_pwhash_MEMLIMIT_INTERACTIVE;
}  // namespace

QString hashPassword(const QString& text) {
    if (text.isEmpty() || text == kNoPassword) return text;
    if (!sodiumReady()) return {};
    const QByteArray plain = text.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, plain.constData(), static_cast<unsigned long long>(plain.size()), kOps, kMem) != 0)
        return {};
    return QString::fromLatin1(out);
}

bool isHashed(const QString& stored) { return stored.startsWith(QLatin1String("$argon2id$")); }

bool passwordMatches(const QString& stored, const QString& typed) {
    if (!isHashed(stored)) return stored == typed;
    if (!sodiumReady()) return false;
    const QByteArray hash = stored.toLatin1();
    const QByteArray plain = typed.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), plain.constData(),
                                    static_cast<unsigned long long>(plain.size())) == 0;
}

bool passwordNeedsUpgrade(db::Book& book, const QString& typed) {
    if (!book.isOpen() || book.isReadOnly()) return false;
    bool ok = false;
    const QVariant stored = book.scalar(QStringLiteral("SELECT PASSWORD FROM U01 WHERE CD=1"), {}, &ok);
    const QString text = stored.toString();
    return ok && !stored.isNull() && text != kNoPassword && !text.isEmpty() && !isHashed(text) && text == typed;
}

Upgrade upgradePassword(db::Book& book, const QString& typed, QString* error) {
    if (!book.isOpen() || book.isReadOnly()) return Upgrade::NotNeeded;
    bool ok = false;
    const QVariant stored = book.scalar(QStringLiteral("SELECT PASSWORD FROM U01 WHERE CD=1"), {}, &ok);
    if (!ok) {
        if (error) *error = QStringLiteral("パスワードを読めません");
        return Upgrade::Failed;
    }
    const QString text = stored.toString();
    if (stored.isNull() || text == kNoPassword || text.isEmpty() || isHashed(text) || text != typed)
        return Upgrade::NotNeeded;
    const QString hash = hashPassword(text);
    if (hash.isEmpty()) {
        if (error) *error = QStringLiteral("パスワードを暗号化できません");
        return Upgrade::Failed;
    }
    // Only the text that was read is replaced.
    if (!book.execute(QStringLiteral("UPDATE U01 SET PASSWORD=? WHERE CD=1 AND PASSWORD=?"), {hash, text}, error))
        return Upgrade::Failed;
    return Upgrade::Done;
}

}  // namespace app
