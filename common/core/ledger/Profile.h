#pragma once
// The user profile U01: one row (CD 1) with the user's name, in the household book the
// consumption-tax rate, and the start-up password (a single blank: none).

#include <QString>
#include <QVariant>
#include <optional>

#include "core/db/Book.h"

namespace ledger {

struct Profile {
    QString name;
    QVariant rate;      // SYOHIZEI, household book only; Null when absent
    QVariant password;  // PASSWORD as stored; Null when absent
};

// The row of CD 1; nullopt when there is none (or on an error).
std::optional<Profile> readProfile(db::Book& book);

struct ProfileWrite {
    bool deleted = false;  // the old rows went
    bool written = false;  // the new row is stored (the whole change is committed)
};

// Replaces the profile by one row, in one transaction: the old one stays when the new one
// cannot be written. `rate` is written only when `withRate` (the household book).
ProfileWrite writeProfile(db::Book& book, bool withRate, const QString& name, const QVariant& rate,
                          const QString& password);

}  // namespace ledger
