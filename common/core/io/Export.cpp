#include "core/io/Export.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <map>

#include "core/Messages.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Query.h"
#include "core/ledger/Dates.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Totals.h"

namespace io {
namespace {

bool isWhole(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

QString textOf(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return QString();
    if (isWhole(v)) return QString::number(v.toLongLong());
    return v.toString();  // a fraction in its shortest exact form, a text as it is
}

// Builds the rows of a table from stored values, noting empty texts and values that should be
// whole numbers and are not.
class TableBuilder {
  public:
    TableBuilder(const QStringList& header, QSet<int> textColumns) {
        m_t.csv.rows.reserve(1024);
        m_t.csv.rows << header;
        m_t.csv.textColumns = std::move(textColumns);
    }
    void beginRow() { m_row = QStringList(); }
    // A stored value; `number`: a code, amount or balance, expected to be a whole number.
    void value(const QVariant& v, bool number = false) {
        const QString text = textOf(v);
        const int r = int(m_t.csv.rows.size());
        const int c = int(m_row.size());
        if (text.isEmpty() && !v.isNull() && v.isValid()) m_t.csv.emptyText.insert(CsvTable::cellKey(r, c));
        if (number && !v.isNull() && v.isValid() && !isWhole(v)) {
            const QString column = c < m_t.csv.rows.first().size() ? m_t.csv.rows.first()[c] : QString();
            m_t.problems.append({CellProblem::Kind::NotWhole, r + 1, c + 1,
                                 QStringLiteral("%1 行目 %2 列 (%3): 整数でない値「%4」をそのまま書き出しました")
                                     .arg(r + 1)
                                     .arg(c + 1)
                                     .arg(column, app::clip(text))});
        }
        m_row << text;
    }
    void text(const QString& s) { m_row << s; }
    void endRow() { m_t.csv.rows << m_row; }
    ExportTable done() {
        m_t.ok = true;
        return std::move(m_t);
    }
    ExportTable failed(const QString& error) {
        ExportTable t;
        t.error = error;
        return t;
    }

  private:
    ExportTable m_t;
    QStringList m_row;
};

// K_DATE bounds of a span: [from, to) with either end open (empty).
ledger::DateRange spanRange(const MonthSpan& span) {
    ledger::DateRange r;
    if (!span.from.isEmpty()) r.from = ledger::monthRange(span.from.left(4), span.from.mid(5, 2)).from;
    if (!span.to.isEmpty()) r.to = ledger::monthRange(span.to.left(4), span.to.mid(5, 2)).to;
    return r;
}

db::Conditions rangeWhere(const ledger::DateRange& r) {
    db::Conditions where;
    if (!r.from.isEmpty()) where.add(QStringLiteral("S01.K_DATE >= ?"), r.from);
    if (!r.to.isEmpty()) where.add(QStringLiteral("S01.K_DATE < ?"), r.to);
    return where;
}

bool run(QSqlQuery& q, const QString& sql, const QVariantList& binds) {
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return false;
    for (const QVariant& v : binds) q.addBindValue(v);
    return q.exec();
}

QString readError(const QSqlQuery& q) {
    return QStringLiteral("データベースを読めません: %1").arg(q.lastError().text());
}

}  // namespace

QString checkSpan(const MonthSpan& span) {
    for (const QString& m : {span.from, span.to})
        if (!m.isEmpty() && !ledger::monthStart(m))
            return QStringLiteral("月は yyyy/mm の形で指定してください: %1").arg(m);
    if (!span.from.isEmpty() && !span.to.isEmpty() && span.from > span.to)
        return QStringLiteral("開始月 %1 が終了月 %2 より後です").arg(span.from, span.to);
    return QString();
}

QStringList journalHeader(app::Program program) {
    if (program == app::Program::Bank)
        return {QStringLiteral("番号"),   QStringLiteral("日付"),     QStringLiteral("銀行ｺｰﾄﾞ"),
                QStringLiteral("銀行名"), QStringLiteral("項目ｺｰﾄﾞ"), QStringLiteral("項目名"),
                QStringLiteral("収入"),   QStringLiteral("支出"),     QStringLiteral("備考")};
    return {QStringLiteral("番号"),     QStringLiteral("ページ"), QStringLiteral("日付"),
            QStringLiteral("科目ｺｰﾄﾞ"), QStringLiteral("科目名"), QStringLiteral("収入"),
            QStringLiteral("支出"),     QStringLiteral("差引"),   QStringLiteral("備考")};
}

QSet<int> journalTextColumns(app::Program program) {
    return program == app::Program::Bank ? QSet<int>{3, 5, 8} : QSet<int>{4, 8};
}

QSet<int> mastersTextColumns(app::Program) { return {0, 2, 4}; }

QStringList mastersHeader(app::Program program) {
    QStringList header{QStringLiteral("区分"), QStringLiteral("ｺｰﾄﾞ"), QStringLiteral("名称"), QStringLiteral("種別"),
                       QStringLiteral("種別名")};
    if (program == app::Program::Bank) header << QStringLiteral("残高");
    return header;
}

ExportTable journalTable(db::Book& book, app::Program program, const MonthSpan& span) {
    const bool bank = program == app::Program::Bank;
    TableBuilder b(journalHeader(program), journalTextColumns(program));
    if (const QString why = checkSpan(span); !why.isEmpty()) return b.failed(why);
    const db::Conditions range = rangeWhere(spanRange(span));
    const QString where = range.clause();
    QSqlQuery q(book.connection());
    // Income as each journal window decides it: the bank book by the item's kind read as a
    // number, the household book as its balance chain counts (KIND = 0).
    const QString sql = bank ? QStringLiteral(
                                   "SELECT S01.CD, S01.K_DATE, S01.B_CD, T01.NM, S01.K_CD, T02.NM, T02.CD IS NOT NULL, "
                                   "T02.KIND, S01.KINGAKU, S01.BIKO FROM S01 LEFT JOIN T01 ON T01.CD = S01.B_CD "
                                   "LEFT JOIN T02 ON T02.CD = S01.K_CD%1 ORDER BY S01.K_DATE, S01.CD")
                                   .arg(where)
                             : QStringLiteral(
                                   "SELECT S01.CD, S01.P_CD, S01.K_DATE, S01.K_CD, T01.NM, T01.KIND = 0, S01.KINGAKU, "
                                   "S01.ZAN, S01.BIKO FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD%1 "
                                   "ORDER BY S01.P_CD, S01.K_DATE, S01.CD")
                                   .arg(where);
    if (!run(q, sql, range.binds)) return b.failed(readError(q));
    while (q.next()) {
        b.beginRow();
        if (bank) {
            const bool income = q.value(6).toBool() && db::isNumeric(q.value(7)) && db::To_Long(q.value(7), 1) == 0;
            b.value(q.value(0), true);
            b.value(q.value(1));
            b.value(q.value(2), true);
            b.value(q.value(3));
            b.value(q.value(4), true);
            b.value(q.value(5));
            b.value(income ? q.value(8) : QVariant(), true);
            b.value(income ? QVariant() : q.value(8), true);
            b.value(q.value(9));
        } else {
            const bool income = !q.value(5).isNull() && q.value(5).toLongLong() == 1;
            for (int c = 0; c < 5; ++c) b.value(q.value(c), c != 2 && c != 4);
            b.value(income ? q.value(6) : QVariant(), true);
            b.value(income ? QVariant() : q.value(6), true);
            b.value(q.value(7), true);
            b.value(q.value(8));
        }
        b.endRow();
    }
    if (q.lastError().isValid()) return b.failed(readError(q));
    return b.done();
}

ExportTable mastersTable(db::Book& book, app::Program program) {
    const bool bank = program == app::Program::Bank;
    TableBuilder b(mastersHeader(program), mastersTextColumns(program));
    QSqlQuery q(book.connection());
    if (bank) {
        if (!run(q, QStringLiteral("SELECT CD, NM, ZAN FROM T01 ORDER BY CD"), {})) return b.failed(readError(q));
        while (q.next()) {
            b.beginRow();
            b.text(QStringLiteral("銀行"));
            b.value(q.value(0), true);
            b.value(q.value(1));
            b.text(QString());
            b.text(QString());
            b.value(q.value(2), true);
            b.endRow();
        }
        if (q.lastError().isValid()) return b.failed(readError(q));
    }
    if (!run(q, QStringLiteral("SELECT CD, NM, KIND FROM %1 ORDER BY CD").arg(bank ? "T02" : "T01"), {}))
        return b.failed(readError(q));
    while (q.next()) {
        b.beginRow();
        b.text(bank ? QStringLiteral("項目") : QStringLiteral("科目"));
        b.value(q.value(0), true);
        b.value(q.value(1));
        b.value(q.value(2), true);
        b.text(ledger::kindName(q.value(2)));
        if (bank) b.text(QString());
        b.endRow();
    }
    if (q.lastError().isValid()) return b.failed(readError(q));
    return b.done();
}

ExportTable totalsTable(db::Book& book, app::Program program, const MonthSpan& span, std::optional<qint64> bankCode) {
    const bool bank = program == app::Program::Bank;
    QStringList header;
    if (bank) header << QStringLiteral("銀行ｺｰﾄﾞ") << QStringLiteral("銀行名");
    header << (bank ? QStringLiteral("項目ｺｰﾄﾞ") : QStringLiteral("科目ｺｰﾄﾞ"))
           << (bank ? QStringLiteral("項目名") : QStringLiteral("科目名"))
           << (bank ? QStringLiteral("項目分類") : QStringLiteral("科目分類")) << QStringLiteral("件数")
           << QStringLiteral("金額") << QStringLiteral("平均");
    // 銀行名, 項目 (科目) 名 and 分類 are free text; codes, counts and amounts are not.
    TableBuilder b(header, bank ? QSet<int>{1, 3, 4} : QSet<int>{1, 2});
    if (const QString why = checkSpan(span); !why.isEmpty()) return b.failed(why);

    // Open ends: the first and last months that hold a row.
    MonthSpan s = span;
    bool ok = false;
    if (s.from.isEmpty()) s.from = book.scalar(QStringLiteral("SELECT substr(MIN(K_DATE), 1, 7) FROM S01")).toString();
    if (s.to.isEmpty())
        s.to = book.scalar(QStringLiteral("SELECT substr(MAX(K_DATE), 1, 7) FROM S01"), {}, &ok).toString();
    const auto first = ledger::monthStart(s.from);
    const auto last = ledger::monthStart(s.to);
    // The span as whole years where it can, months at its ends: few queries over many years.
    QList<ledger::Period> periods;
    if (first && last) {
        for (QDate d = *first; d <= *last;) {
            if (d.month() == 1 && QDate(d.year(), 12, 1) <= *last) {
                periods << ledger::Period{1, d.year(), 1};
                d = d.addYears(1);
            } else {
                periods << ledger::Period{0, d.year(), d.month()};
                d = d.addMonths(1);
            }
        }
    }

    QList<std::pair<qint64, QString>> banks;
    if (bank) {
        QSqlQuery q(book.connection());
        const QString sql = bankCode ? QStringLiteral("SELECT CD, NM FROM T01 WHERE CD = ?")
                                     : QStringLiteral("SELECT CD, NM FROM T01 ORDER BY CD");
        if (!run(q, sql, bankCode ? QVariantList{*bankCode} : QVariantList{})) return b.failed(readError(q));
        while (q.next()) banks.append({q.value(0).toLongLong(), q.value(1).toString()});
        if (bankCode && banks.isEmpty()) return b.failed(QStringLiteral("銀行 %1 がありません").arg(*bankCode));
    } else {
        banks.append({0, QString()});
    }
    for (const auto& [code, name] : banks) {
        std::map<qint64, ledger::ItemSum> merged;
        for (const ledger::Period& p : periods) {
            const auto sums = ledger::readItemSums(book, program, code, p);
            if (!sums) return b.failed(QStringLiteral("データベースを読めません"));
            for (const ledger::ItemSum& one : *sums) {
                auto [it, fresh] = merged.try_emplace(one.code, one);
                if (!fresh) {
                    it->second.count += one.count;
                    it->second.amount += one.amount;
                }
            }
        }
        QList<ledger::ItemSum> sums;
        for (const auto& kv : merged) sums << kv.second;
        const ledger::TotalsTable table = ledger::makeTotals(sums);
        if (table.lines.isEmpty()) continue;
        for (const ledger::TotalsLine& l : table.lines) {
            b.beginRow();
            if (bank) {
                b.text(QString::number(code));
                b.text(name);
            }
            b.text(QString::number(l.code));
            b.text(l.name);
            b.text(l.kindName);
            b.text(QString::number(l.count));
            b.text(QString::number(l.amount));
            b.text(QString::number(l.average));
            b.endRow();
        }
        b.beginRow();
        if (bank) {
            b.text(QString::number(code));
            b.text(name);
        }
        for (const QString& t :
             {QString(), QStringLiteral("合計"), QString(), QString(), QString::number(table.grandTotal), QString()})
            b.text(t);
        b.endRow();
    }
    return b.done();
}

ExportTable gridTable(const QStringList& header, const QList<QStringList>& rows, const QSet<int>& textColumns) {
    ExportTable t;
    t.csv.textColumns = textColumns;
    t.csv.rows.reserve(rows.size() + 1);
    t.csv.rows << header;
    t.csv.rows.append(rows);
    t.ok = true;
    return t;
}

QByteArray encodeTable(const ExportTable& table, const ExportOptions& options, QList<CellProblem>* problems) {
    EncodedCsv e = encodeCsv(table.csv, options.encoding, options.bom, options.raw);
    if (problems) {
        const QStringList header = table.csv.rows.isEmpty() ? QStringList() : table.csv.rows.first();
        for (const Unencodable& u : e.unencodable)
            problems->append({CellProblem::Kind::Unencodable, u.row, u.column,
                              QStringLiteral("%1 行目 %2 列 (%3): 文字%4は %5 にありません")
                                  .arg(u.row)
                                  .arg(u.column)
                                  .arg(u.column <= header.size() ? header[u.column - 1] : QString(), describeChar(u.ch),
                                       encodingLabel(options.encoding))});
    }
    return std::move(e.bytes);
}

ExportReport writeTable(const ExportTable& table, const QString& path, const ExportOptions& options) {
    ExportReport r;
    r.path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!table.ok) {
        r.error = table.error;
        return r;
    }
    r.problems = table.problems;
    if (options.encoding == Encoding::ShiftJis && !shiftJisAvailable()) {
        r.error = QStringLiteral("この環境では Shift_JIS で書けません (iconv に CP932 がありません)");
        return r;
    }
    QList<CellProblem> unencodable;
    const QByteArray bytes = encodeTable(table, options, &unencodable);
    if (!unencodable.isEmpty()) {
        r.problems << unencodable;
        r.error = QStringLiteral("%1 で書けない文字があるため、%2 は作りませんでした")
                      .arg(encodingLabel(options.encoding), r.path);
        return r;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        r.error = QStringLiteral("ファイルを作れません: %1 (%2)").arg(r.path, file.errorString());
        return r;
    }
    // Household money is nobody else's business: owner only, also when the file existed.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        r.error = QStringLiteral("ファイルに書けません: %1 (%2)").arg(r.path, file.errorString());
        return r;
    }
    r.ok = true;
    r.rows = table.dataRows();
    return r;
}

QStringList ExportReport::lines() const {
    QStringList out;
    out << (ok ? QStringLiteral("%1 に %2 行を書き出しました").arg(path).arg(rows) : error);
    for (const CellProblem& p : problems) out << p.message;
    return out;
}

}  // namespace io
