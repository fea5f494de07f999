#include "core/io/RecurringCsv.h"

#include <QSqlError>
#include <QSqlQuery>

#include "core/Messages.h"
#include "core/db/Convert.h"
#include "core/ledger/Recurring.h"

namespace io {

namespace {

const QString kNoTable =
    QStringLiteral("このデータベースには定期入力の表がありません（kakeibo upgrade で更新してください）");

}  // namespace

QStringList recurringHeader(app::Program program) {
    QStringList h{QStringLiteral("番号")};
    if (program == app::Program::Bank) h << QStringLiteral("銀行ｺｰﾄﾞ");
    h << (program == app::Program::Bank ? QStringLiteral("項目ｺｰﾄﾞ") : QStringLiteral("科目ｺｰﾄﾞ"))
      << QStringLiteral("金額") << QStringLiteral("備考") << QStringLiteral("日") << QStringLiteral("間隔")
      << QStringLiteral("開始日") << QStringLiteral("終了日") << QStringLiteral("次回日") << QStringLiteral("休日");
    return h;
}

ExportTable recurringTable(db::Book& book, app::Program program) {
    ExportTable t;
    if (!ledger::holdsRules(book)) {
        t.error = kNoTable;
        return t;
    }
    const ledger::RuleList rules = ledger::readRules(book);
    if (!rules.ok) {
        t.error = rules.error;
        return t;
    }
    const bool bank = program == app::Program::Bank;
    QList<QStringList> rows;
    for (const ledger::RecurringRule& r : rules.rules) {
        QStringList row{QString::number(r.cd)};
        if (bank) row << QString::number(r.bank);
        row << QString::number(r.item) << QString::number(r.amount) << r.note << QString::number(r.day)
            << QString::number(r.every) << r.start << r.end << r.next << QString::number(r.shift);
        rows << row;
    }
    return gridTable(recurringHeader(program), rows, {bank ? 4 : 3});
}

ImportReport importRecurringBytes(db::Book& book, app::Program program, const QByteArray& csv,
                                  std::optional<Encoding> encoding, bool raw) {
    ImportReport r;
    const bool bank = program == app::Program::Bank;
    if (!book.isOpen() || book.isReadOnly()) {
        r.error = QStringLiteral("データベースに書き込めません");
        return r;
    }
    if (!ledger::holdsRules(book)) {
        r.error = kNoTable;
        return r;
    }
    const QStringList header = recurringHeader(program);
    const std::optional<CsvFile> read = readOwnExport(csv, encoding, header, QStringLiteral("定期入力"), r);
    if (!read) return r;
    const CsvFile& file = *read;
    const QString full =
        db::notEmptyRefusal(book, QStringLiteral("R01"), QStringLiteral("定期入力"), QStringLiteral("行"));
    if (!full.isEmpty()) {
        r.error = full;
        return r;
    }

    const int shift = bank ? 1 : 0;  // the household file has no bank column
    QList<ledger::RecurringRule> rules;
    QSet<qint64> codes;
    for (int k = 1; k < file.records.size(); ++k) {
        const CsvRecord& rec = file.records[k];
        auto refuse = [&](const QString& why) { r.refused.append({rec.line, why}); };
        if (!ownExportRow(rec, int(header.size()), r)) continue;
        QString bad;
        auto number = [&](int c) -> qint64 {
            const auto v = db::parseWhole(rec.fields[c]);
            if (!v && bad.isEmpty())
                bad = QStringLiteral("%1「%2」が整数ではありません").arg(header[c], app::clip(rec.fields[c]));
            return v.value_or(0);
        };
        ledger::RecurringRule rule;
        rule.cd = number(0);
        rule.bank = bank ? number(1) : 0;
        rule.item = number(1 + shift);
        rule.amount = number(2 + shift);
        rule.note = raw ? rec.fields[3 + shift] : unguardFormula(rec.fields[3 + shift]);
        rule.day = int(number(4 + shift));
        rule.every = int(number(5 + shift));
        rule.start = rec.fields[6 + shift];
        rule.end = rec.fields[7 + shift];
        rule.next = rec.fields[8 + shift];
        rule.shift = int(number(9 + shift));
        if (!bad.isEmpty()) {
            refuse(bad);
            continue;
        }
        if (rule.cd < 1 || rule.cd > db::kMaxCode || codes.contains(rule.cd)) {
            refuse(QStringLiteral("番号 %1 は使えないか二度あります").arg(rule.cd));
            continue;
        }
        if (const ledger::RuleProblem p = ledger::checkRule(book, program, rule); !p.ok()) {
            refuse(p.message);
            continue;
        }
        if (const QString fault = ledger::ruleFault(program, rule); !fault.isEmpty()) {
            refuse(fault);
            continue;
        }
        codes.insert(rule.cd);
        rules << rule;
    }
    if (!r.noneRefused()) return r;

    db::Transaction tx(book);
    if (!r.begun(tx)) return r;
    QSqlQuery q(book.connection());
    q.prepare(
        QStringLiteral("INSERT INTO R01 (CD, B_CD, K_CD, KINGAKU, BIKO, DAY, EVERY, S_DATE, E_DATE, N_DATE, SHIFT) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?)"));
    for (const ledger::RecurringRule& x : rules) {
        const QVariantList values{x.cd,
                                  x.bank,
                                  x.item,
                                  x.amount,
                                  x.note.isEmpty() ? QVariant() : QVariant(x.note),
                                  x.day,
                                  x.every,
                                  x.start,
                                  x.end.isEmpty() ? QVariant(QStringLiteral("")) : x.end,
                                  x.next,
                                  x.shift};
        for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
        if (!q.exec()) {
            r.error = QStringLiteral("定期入力 %1 を書き込めません: %2").arg(x.cd).arg(q.lastError().text());
            return r;
        }
    }
    if (!r.committed(tx, int(rules.size()))) return r;
    return r;
}

}  // namespace io
