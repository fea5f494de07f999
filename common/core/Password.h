#pragma once
// The start-up password of a book (U01.PASSWORD). A password set now is stored as an Argon2id
// hash (libsodium's crypto_pwhash_str, which keeps its salt and parameters in the stored text);
// a book from before keeps plain text until the right password is typed once, when the text
// is replaced by its hash. A single blank " " means "no password" and is stored as it is.

#include <QString>
#include <QVariant>

#include "core/db/Book.h"

namespace app {

// The blank that stands for "no password".
inline const QString kNoPassword = QStringLiteral(" ");

// What to store for a password: its hash; an empty text or the blank is returned as given.
// Empty on failure (out of memory).
QString hashPassword(const QString& text);

// Whether a stored value is a hash made by hashPassword.
bool isHashed(const QString& stored);

// Whether a typed password is the stored one: a hash is verified, plain text from an older
// book is compared as it is.
bool passwordMatches(const QString& stored, const QString& typed);

enum class Upgrade {
    Done,       // the plain text was replaced by its hash
    NotNeeded,  // already a hash, no password, a read-only book, or the typed text is not it
    Failed,     // see the error
};

// On the open book: when U01.PASSWORD (CD 1) holds plain text equal to `typed`, replaces it
// by its hash with a bound UPDATE. Called after the right password was typed at start-up.
Upgrade upgradePassword(db::Book& book, const QString& typed, QString* error = nullptr);
// Whether upgradePassword would write: U01.PASSWORD holds `typed` as plain text in a writable book.
bool passwordNeedsUpgrade(db::Book& book, const QString& typed);

}  // namespace app
