#pragma once
// The recurring entries (R01) as CSV and back, for `kakeibo export|import --table recurring`:
// a book's rules carried into another book with their codes and next dates, so that what was
// posted is not posted again there.

#include <QByteArray>
#include <QSet>
#include <QStringList>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/io/Export.h"
#include "core/io/Import.h"

namespace io {

// 番号, 銀行ｺｰﾄﾞ (bank book only), 項目ｺｰﾄﾞ or 科目ｺｰﾄﾞ, 金額, 備考, 日, 間隔, 開始日, 終了日, 次回日,
// 休日 (0 そのまま, 1 前営業日, 2 翌営業日): the stored values.
QStringList recurringHeader(app::Program program);
ExportTable recurringTable(db::Book& book, app::Program program);

// Reads such a file into a book whose R01 is empty: every line is checked as the rule window
// checks a rule (the masters must be there already) and its next date as the check does; any
// refused line writes nothing. One transaction.
ImportReport importRecurringBytes(db::Book& book, app::Program program, const QByteArray& csv,
                                  std::optional<Encoding> encoding = std::nullopt, bool raw = false);

}  // namespace io
