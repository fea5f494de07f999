#pragma once
// The transfer links (F01) as CSV and back, for `kakeibo export|import --table transfer`: after
// the journal is carried into another book with its record numbers, this carries which of its
// rows are the two sides of a transfer.

#include <QByteArray>
#include <QStringList>
#include <optional>

#include "core/db/Book.h"
#include "core/io/Export.h"
#include "core/io/Import.h"

namespace io {

// 番号, 日付, 出金番号, 出金銀行ｺｰﾄﾞ, 入金番号, 入金銀行ｺｰﾄﾞ, 金額, 備考. Only 番号, 出金番号 and
// 入金番号 are read back: the rest is the rows' own, shown for the reader.
QStringList transferHeader();
ExportTable transferTable(db::Book& book);

// Reads such a file into a book whose F01 is empty and whose journal holds the rows already:
// every link is checked as `kakeibo check` checks one; any refused line writes nothing.
ImportReport importTransferBytes(db::Book& book, const QByteArray& csv,
                                 std::optional<Encoding> encoding = std::nullopt);

}  // namespace io
