#pragma once
// How the grids write a value into a cell, the same in every model.

#include <QString>
#include <QVariant>
#include <optional>

#include "core/db/Convert.h"

namespace models {

inline QString number(qint64 v) { return QString::number(v); }
inline QString optionalNumber(const std::optional<qint64>& v) { return v ? QString::number(*v) : QString(); }
// A stored value shown as the grid shows it: a number as its digits, anything else as its text.
inline QString numberText(const QVariant& v) {
    if (!db::isNumeric(v)) return db::To_Str(v, QString());
    return QString::number(db::To_Long(v, 0));
}

}  // namespace models
