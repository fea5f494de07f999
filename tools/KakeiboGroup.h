#pragma once
// The groups of categories (items) as `kakeibo export|import --table groups` writes and reads
// them (the command `kakeibo group` is beside the other subcommands, in KakeiboIo).

#include <QString>
#include <QStringList>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/io/Csv.h"
#include "core/io/Export.h"

// Every group with its members as CSV, a row per member (a group without members: one row with
// no category): グループｺｰﾄﾞ, グループ名, 区分 (0 収入, 1 支出), 順, 科目ｺｰﾄﾞ, 科目名.
io::ExportTable groupsTable(db::Book& book, app::Program program);
// Reads such a file into a book without groups, all or nothing. False with *error naming the line.
bool importGroupsTable(db::Book& book, app::Program program, const QString& csvPath,
                       std::optional<io::Encoding> encoding, bool raw, QString* error);
