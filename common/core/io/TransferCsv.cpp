#include "core/io/TransferCsv.h"

#include <QSet>

#include "core/Messages.h"
#include "core/db/Convert.h"
#include "core/ledger/Transfer.h"

namespace io {

QStringList transferHeader() {
    return {QStringLiteral("番号"),         QStringLiteral("日付"),     QStringLiteral("出金番号"),
            QStringLiteral("出金銀行ｺｰﾄﾞ"), QStringLiteral("入金番号"), QStringLiteral("入金銀行ｺｰﾄﾞ"),
            QStringLiteral("金額"),         QStringLiteral("備考")};
}

ExportTable transferTable(db::Book& book) {
    ExportTable t;
    const ledger::TransferList list = ledger::readTransfers(book);
    if (!list.ok) {
        t.error = list.error;
        return t;
    }
    QList<QStringList> rows;
    for (const ledger::TransferRow& r : list.rows)
        rows << QStringList{QString::number(r.link),      r.date,
                            QString::number(r.outRecord), QString::number(r.fromBank),
                            QString::number(r.inRecord),  QString::number(r.toBank),
                            QString::number(r.amount),    r.note};
    return gridTable(transferHeader(), rows, {7});
}

ImportReport importTransferBytes(db::Book& book, const QByteArray& csv, std::optional<Encoding> encoding) {
    ImportReport r;
    if (!book.isOpen() || book.isReadOnly()) {
        r.error = QStringLiteral("データベースに書き込めません");
        return r;
    }
    const CsvFile file = readCsvBytes(csv, encoding);
    if (!file.ok) {
        r.error = file.error;
        r.fileUnreadable = true;
        return r;
    }
    const QStringList header = transferHeader();
    if (file.records.isEmpty() || file.records.first().fields != header) {
        r.error = QStringLiteral("このプログラムが書き出した振替の CSV ではありません (1 行目が %1 ではありません)")
                      .arg(header.join(QLatin1Char(',')));
        r.fileUnreadable = true;
        return r;
    }
    QList<ledger::TransferLink> links;
    QSet<qint64> codes;
    for (int k = 1; k < file.records.size(); ++k) {
        const CsvRecord& rec = file.records[k];
        auto refuse = [&](const QString& why) { r.refused.append({rec.line, why}); };
        if (!rec.problem.isEmpty()) {
            refuse(rec.problem);
            continue;
        }
        if (rec.isBlank()) continue;
        if (rec.fields.size() != header.size()) {
            refuse(QStringLiteral("列の数が %1 ではありません (%2 列)").arg(header.size()).arg(rec.fields.size()));
            continue;
        }
        ledger::TransferLink l;
        QString bad;
        for (const auto& [column, value] :
             {std::pair{0, &l.cd}, std::pair{2, &l.outRecord}, std::pair{4, &l.inRecord}}) {
            const auto v = db::parseWhole(rec.fields[column]);
            if ((!v || *v < 1) && bad.isEmpty())
                bad = QStringLiteral("%1「%2」が1以上の整数ではありません")
                          .arg(header[column], app::clip(rec.fields[column]));
            *value = v.value_or(0);
        }
        if (!bad.isEmpty()) {
            refuse(bad);
            continue;
        }
        if (codes.contains(l.cd)) {
            refuse(QStringLiteral("番号 %1 が二度あります").arg(l.cd));
            continue;
        }
        codes.insert(l.cd);
        links << l;
    }
    if (!r.refused.isEmpty()) {
        r.error = QStringLiteral("読めない行が %1 行あるため、何も書き込みませんでした").arg(r.refused.size());
        return r;
    }
    const ledger::LinkImport done = ledger::importLinks(book, links);
    if (!done.ok) {
        r.error = done.error;
        return r;
    }
    r.ok = true;
    r.added = done.added;
    return r;
}

}  // namespace io
