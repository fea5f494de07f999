#include "core/io/Import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>
#include <map>

#include "core/Messages.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/io/Export.h"
#include "core/io/StatementDate.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Pages.h"

namespace io {
namespace {

constexpr int kMaxColumn = 1000;

// Matching of descriptions: case and the width of kana and letters make no difference.
QString matchForm(const QString& s) { return s.normalized(QString::NormalizationForm_KC).toCaseFolded(); }

bool sameOrContaining(const QString& a, const QString& b) { return a.contains(b) || b.contains(a); }

// The item master (bank book) or the category master (household book).
struct Code {
    QString name;
    bool income = false;  // KIND 0; every other kind is an expense
};
std::optional<QHash<qint64, Code>> readCodes(db::Book& book, app::Program program) {
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.exec(program == app::Program::Bank ? QStringLiteral("SELECT CD, NM, KIND FROM T02")
                                              : QStringLiteral("SELECT CD, NM, KIND FROM T01")))
        return std::nullopt;
    QHash<qint64, Code> codes;
    while (q.next())
        codes.insert(q.value(0).toLongLong(),
                     {q.value(1).toString(), db::isNumeric(q.value(2)) && db::To_Long(q.value(2), 1) == 0});
    return codes;
}

QString codeWord(app::Program p) { return p == app::Program::Bank ? QStringLiteral("項目") : QStringLiteral("科目"); }

// Why a code cannot take rows of a direction; empty when it can.
QString codeProblem(app::Program p, const QHash<qint64, Code>& codes, qint64 code, bool deposit) {
    const auto it = codes.constFind(code);
    if (it == codes.constEnd()) return QStringLiteral("%1 %2 がありません").arg(codeWord(p)).arg(code);
    if (it->income != deposit)
        return QStringLiteral("%1 %2 (%3) は%4の%1ではありません")
            .arg(codeWord(p))
            .arg(code)
            .arg(it->name, deposit ? QStringLiteral("収入") : QStringLiteral("支出"));
    return QString();
}

QString shownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

// The settings file the program keeps, section [import].
std::unique_ptr<QSettings> importSettings() {
    auto s = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp,
                                         app::product().settingsApp);
    s->beginGroup(QStringLiteral("import"));
    return s;
}
QString profileScope(const ImportTarget& t) {
    return t.program == app::Program::Bank ? QStringLiteral("bank%1").arg(t.bank) : QStringLiteral("household");
}
// A name as a key: "/" and "\" would open groups in the settings file.
QString profileKey(const QString& name) {
    QString k = name;
    k.replace(QLatin1Char('%'), QLatin1String("%25"));
    k.replace(QLatin1Char('/'), QLatin1String("%2F"));
    k.replace(QLatin1Char('\\'), QLatin1String("%5C"));
    return k;
}

bool exec(QSqlQuery& q, const QVariantList& binds, QString* error) {
    for (int i = 0; i < binds.size(); ++i) q.bindValue(i, binds[i]);
    if (q.exec()) return true;
    *error = q.lastError().text();
    return false;
}

}  // namespace

// ---------------------------------------------------------------- amounts and mappings

std::optional<qint64> parseStatementAmount(const QString& text, bool* empty) {
    QString t = db::typedNumber(text).trimmed();
    if (empty) *empty = t.isEmpty();
    if (t.isEmpty()) return 0;
    // One sign at most: ▲ (or △), - or +, before or after the yen mark.
    bool negative = false;
    bool signedAlready = false;
    auto takeSign = [&] {
        if (t.startsWith(u'▲') || t.startsWith(u'△') || t.startsWith(QLatin1Char('-')) ||
            t.startsWith(QLatin1Char('+'))) {
            if (signedAlready) return false;
            negative = t.front() != QLatin1Char('+');
            signedAlready = true;
            t = t.mid(1).trimmed();
        }
        return true;
    };
    if (!takeSign()) return std::nullopt;
    if (t.startsWith(u'¥') || t.startsWith(QLatin1Char('\\'))) t = t.mid(1).trimmed();
    if (t.endsWith(u'円')) t = t.chopped(1).trimmed();
    if (!takeSign()) return std::nullopt;
    static const QRegularExpression zeroFraction(QStringLiteral("\\.0+$"));
    t.remove(zeroFraction);
    if (t.isEmpty() || !t.front().isDigit()) return std::nullopt;
    const auto v = db::parseYen(t);
    if (!v) return std::nullopt;
    return negative ? -*v : *v;
}

QString ImportMapping::check() const {
    auto bad = [](int c) { return c < 0 || c > kMaxColumn; };
    if (skipLines < 0) return QStringLiteral("読み飛ばす行数が負です");
    if (dateColumn < 1 || bad(dateColumn)) return QStringLiteral("日付の列を 1 以上で指定してください");
    if (bad(amountColumn) || bad(depositColumn) || bad(withdrawalColumn) || bad(textColumn))
        return QStringLiteral("列の番号が範囲外です");
    const bool one = amountColumn > 0;
    const bool two = depositColumn > 0 || withdrawalColumn > 0;
    if (one == two || (two && (depositColumn == 0 || withdrawalColumn == 0)))
        return QStringLiteral("金額の列は、符号付きの 1 列か、入金と出金の 2 列のどちらかで指定してください");
    for (const ImportRule& r : rules)
        if (r.contains.trimmed().isEmpty() || r.code < 1)
            return QStringLiteral("振り分けの規則には文字とコードを指定してください");
    return QString();
}

QString ImportMapping::toJson() const {
    QJsonObject o;
    if (encoding)
        o[QStringLiteral("encoding")] = *encoding == Encoding::Utf8 ? QStringLiteral("utf8") : QStringLiteral("sjis");
    o[QStringLiteral("skip")] = skipLines;
    o[QStringLiteral("dateCol")] = dateColumn;
    o[QStringLiteral("amountCol")] = amountColumn;
    o[QStringLiteral("inCol")] = depositColumn;
    o[QStringLiteral("outCol")] = withdrawalColumn;
    o[QStringLiteral("textCol")] = textColumn;
    o[QStringLiteral("codeIn")] = depositCode;
    o[QStringLiteral("codeOut")] = withdrawalCode;
    QJsonArray rs;
    for (const ImportRule& r : rules)
        rs.append(QJsonObject{{QStringLiteral("contains"), r.contains}, {QStringLiteral("code"), r.code}});
    o[QStringLiteral("rules")] = rs;
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

std::optional<ImportMapping> ImportMapping::fromJson(const QString& json) {
    const QJsonDocument d = QJsonDocument::fromJson(json.toUtf8());
    if (!d.isObject()) return std::nullopt;
    const QJsonObject o = d.object();
    ImportMapping m;
    if (o.contains(QStringLiteral("encoding"))) {
        m.encoding = parseEncoding(o.value(QStringLiteral("encoding")).toString());
        if (!m.encoding) return std::nullopt;
    }
    m.skipLines = o.value(QStringLiteral("skip")).toInt();
    m.dateColumn = o.value(QStringLiteral("dateCol")).toInt(1);
    m.amountColumn = o.value(QStringLiteral("amountCol")).toInt();
    m.depositColumn = o.value(QStringLiteral("inCol")).toInt();
    m.withdrawalColumn = o.value(QStringLiteral("outCol")).toInt();
    m.textColumn = o.value(QStringLiteral("textCol")).toInt();
    m.depositCode = o.value(QStringLiteral("codeIn")).toInteger();
    m.withdrawalCode = o.value(QStringLiteral("codeOut")).toInteger();
    for (const QJsonValue& v : o.value(QStringLiteral("rules")).toArray())
        m.rules.append({v.toObject().value(QStringLiteral("contains")).toString(),
                        v.toObject().value(QStringLiteral("code")).toInteger()});
    return m;
}

// ---------------------------------------------------------------- preview

int ImportPreview::count(RowStatus s) const {
    return int(std::count_if(rows.begin(), rows.end(), [s](const PreviewRow& r) { return r.status == s; }));
}

int ImportPreview::tickedCount() const {
    return int(std::count_if(rows.begin(), rows.end(), [](const PreviewRow& r) { return r.ticked; }));
}

ImportPreview previewStatement(db::Book& book, const QString& csvPath, const ImportMapping& mapping,
                               const ImportTarget& target) {
    QFile file(csvPath);
    if (!QFileInfo(csvPath).isFile() || !file.open(QIODevice::ReadOnly)) {
        ImportPreview p;
        p.file = shownPath(csvPath);
        p.target = target;
        p.error = QStringLiteral("CSV ファイルを読めません: %1").arg(p.file);
        return p;
    }
    ImportPreview p = previewStatementBytes(book, file.readAll(), mapping, target);
    p.file = shownPath(csvPath);
    if (!p.ok) p.error = QStringLiteral("%1: %2").arg(p.file, p.error);
    return p;
}

ImportPreview previewStatementBytes(db::Book& book, const QByteArray& csv, const ImportMapping& mapping,
                                    const ImportTarget& target) {
    ImportPreview p;
    p.target = target;
    const app::Program program = target.program;
    const bool bank = program == app::Program::Bank;
    if (const QString why = mapping.check(); !why.isEmpty()) {
        p.error = why;
        return p;
    }
    if (!book.isOpen()) {
        p.error = QStringLiteral("データベースが開かれていません");
        return p;
    }
    if (bank) {
        bool ok = false;
        const QVariant found = book.scalar(QStringLiteral("SELECT NM FROM T01 WHERE CD = ?"), {target.bank}, &ok);
        if (!ok || !found.isValid()) {
            p.error = QStringLiteral("銀行 %1 がありません").arg(target.bank);
            return p;
        }
    } else if (target.page < 1) {
        p.error = QStringLiteral("ページは 1 以上で指定してください");
        return p;
    }
    const auto codes = readCodes(book, program);
    if (!codes) {
        p.error = QStringLiteral("データベースを読めません");
        return p;
    }
    for (const auto& [code, deposit, what] : {std::tuple{mapping.depositCode, true, QStringLiteral("入金")},
                                              std::tuple{mapping.withdrawalCode, false, QStringLiteral("出金")}}) {
        if (code < 1) {
            p.error = QStringLiteral("%1の%2を指定してください").arg(what, codeWord(program));
            return p;
        }
        if (const QString why = codeProblem(program, *codes, code, deposit); !why.isEmpty()) {
            p.error = QStringLiteral("%1の%2: %3").arg(what, codeWord(program), why);
            return p;
        }
    }
    for (const ImportRule& r : mapping.rules) {
        if (!codes->contains(r.code)) {
            p.error = QStringLiteral("規則「%1」の%2 %3 がありません")
                          .arg(app::clip(r.contains), codeWord(program))
                          .arg(r.code);
            return p;
        }
    }
    const CsvFile file = readCsvBytes(csv, mapping.encoding, mapping.skipLines);
    if (!file.ok) {
        p.error = file.error;
        return p;
    }
    p.encoding = file.encoding;

    // Every line on its own: its fields, date, amount, description and code.
    QList<QString> ruleTexts;
    for (const ImportRule& r : mapping.rules) ruleTexts << matchForm(r.contains.trimmed());
    const int needed = std::max({mapping.dateColumn, mapping.amountColumn, mapping.depositColumn,
                                 mapping.withdrawalColumn, mapping.textColumn});
    for (const CsvRecord& rec : file.records) {
        if (rec.isBlank() && rec.problem.isEmpty()) continue;
        PreviewRow row;
        row.line = rec.line;
        row.fields = rec.fields;
        auto refuse = [&](const QString& why) {
            row.status = RowStatus::Unreadable;
            row.reason = why;
            p.rows << row;
        };
        if (!rec.problem.isEmpty()) {
            refuse(rec.problem);
            continue;
        }
        if (rec.fields.size() < needed) {
            refuse(QStringLiteral("列が足りません (%1 列あり、%2 列目が必要です)").arg(rec.fields.size()).arg(needed));
            continue;
        }
        auto field = [&](int column) { return column > 0 ? rec.fields[column - 1].trimmed() : QString(); };
        const auto date = parseStatementDate(field(mapping.dateColumn));
        if (!date) {
            refuse(QStringLiteral("日付「%1」を読めません").arg(app::clip(field(mapping.dateColumn))));
            continue;
        }
        row.date = *date;
        if (mapping.amountColumn > 0) {
            bool empty = false;
            const auto a = parseStatementAmount(field(mapping.amountColumn), &empty);
            if (!a || empty) {
                refuse(
                    empty ? QStringLiteral("金額がありません")
                          : QStringLiteral("金額「%1」が数ではありません").arg(app::clip(field(mapping.amountColumn))));
                continue;
            }
            row.amount = *a;
        } else {
            bool inEmpty = false, outEmpty = false;
            const auto in = parseStatementAmount(field(mapping.depositColumn), &inEmpty);
            const auto out = parseStatementAmount(field(mapping.withdrawalColumn), &outEmpty);
            if (!in || !out) {
                refuse(QStringLiteral("%1の金額「%2」が数ではありません")
                           .arg(!in ? QStringLiteral("入金") : QStringLiteral("出金"),
                                app::clip(field(!in ? mapping.depositColumn : mapping.withdrawalColumn))));
                continue;
            }
            if (inEmpty && outEmpty) {
                refuse(QStringLiteral("金額がありません"));
                continue;
            }
            if (*in != 0 && *out != 0) {
                refuse(QStringLiteral("入金と出金の両方に金額があります"));
                continue;
            }
            row.amount = *in - *out;
        }
        row.description = field(mapping.textColumn);
        const bool deposit = row.amount > 0;
        row.code = deposit ? mapping.depositCode : mapping.withdrawalCode;
        const QString text = matchForm(row.description);
        for (int k = 0; k < mapping.rules.size(); ++k) {
            const qint64 code = mapping.rules[k].code;
            if (text.contains(ruleTexts[k]) && codes->value(code).income == deposit) {
                row.code = code;
                break;
            }
        }
        row.codeName = codes->value(row.code).name;
        p.rows << row;
    }

    // Duplicates: the same date and signed amount (and bank) with an equal or containing
    // description, in the book or earlier in the file. The book is read once over the file's dates.
    QString minDate, maxDate;
    for (const PreviewRow& r : p.rows) {
        if (r.status == RowStatus::Unreadable) continue;
        if (minDate.isEmpty() || r.date < minDate) minDate = r.date;
        if (maxDate.isEmpty() || r.date > maxDate) maxDate = r.date;
    }
    struct Seen {
        QString text;
        qint64 cd;  // record number in the book; 0 for a line of the file
        int line;
    };
    QHash<QString, QList<Seen>> seen;  // "date|amount"
    auto key = [](const QString& date, qint64 amount) { return date + QLatin1Char('|') + QString::number(amount); };
    if (!minDate.isEmpty()) {
        QSqlQuery q(book.connection());
        q.setForwardOnly(true);
        q.prepare(bank
                      ? QStringLiteral("SELECT S01.CD, S01.K_DATE, S01.KINGAKU, T02.KIND, T02.CD IS NOT NULL, S01.BIKO "
                                       "FROM S01 LEFT JOIN T02 ON T02.CD = S01.K_CD "
                                       "WHERE S01.B_CD = ? AND S01.K_DATE >= ? AND S01.K_DATE <= ?")
                      : QStringLiteral("SELECT S01.CD, S01.K_DATE, S01.KINGAKU, T01.KIND, T01.CD IS NOT NULL, S01.BIKO "
                                       "FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD "
                                       "WHERE S01.K_DATE >= ? AND S01.K_DATE <= ?"));
        if (bank) q.addBindValue(target.bank);
        q.addBindValue(minDate);
        q.addBindValue(maxDate);
        if (!q.exec()) {
            p.error = QStringLiteral("データベースを読めません: %1").arg(q.lastError().text());
            return p;
        }
        while (q.next()) {
            const bool income = q.value(4).toBool() && db::isNumeric(q.value(3)) && db::To_Long(q.value(3), 1) == 0;
            const qint64 amount = db::To_Cur(q.value(2), 0);
            seen[key(q.value(1).toString(), income ? amount : -amount)].append(
                {matchForm(q.value(5).toString().trimmed()), q.value(0).toLongLong(), 0});
        }
    }

    // The page's month (household book).
    QString month = target.pageMonth;
    if (!bank && month.isEmpty()) {
        month =
            book.scalar(
                    QStringLiteral("SELECT substr(K_DATE, 1, 7) FROM S01 WHERE P_CD = ? ORDER BY K_DATE, CD LIMIT 1"),
                    {target.page})
                .toString();
        if (month.isEmpty()) {
            std::map<QString, int> months;
            for (const PreviewRow& r : p.rows)
                if (r.status != RowStatus::Unreadable) ++months[r.date.left(7)];
            int most = 0;
            for (const auto& [m, n] : months)
                if (n > most) {
                    most = n;
                    month = m;
                }
        }
        p.target.pageMonth = month;
    }

    for (PreviewRow& r : p.rows) {
        if (r.status == RowStatus::Unreadable) continue;
        const QString text = matchForm(r.description);
        QList<Seen>& same = seen[key(r.date, r.amount)];
        for (const Seen& s : same) {
            if (!sameOrContaining(text, s.text)) continue;
            r.status = RowStatus::Duplicate;
            // The description may hold the other one's or be held in it (banks shorten them).
            r.reason = s.cd ? QStringLiteral("同じ日付・金額で摘要の重なる行が帳簿にあります (番号 %1)").arg(s.cd)
                            : QStringLiteral("%1 行目と日付・金額が同じで、摘要が重なります").arg(s.line);
            break;
        }
        same.append({text, 0, r.line});
        if (r.status != RowStatus::Ready) continue;
        if (!bank && r.date.left(7) != month) {
            r.status = RowStatus::OtherMonth;
            r.reason = QStringLiteral("ページの月 (%1) と違う月です").arg(month);
        } else if (r.amount == 0) {
            r.status = RowStatus::Zero;
            r.reason = QStringLiteral("金額が 0 円です");
        }
        r.ticked = r.status == RowStatus::Ready;
    }
    p.ok = true;
    return p;
}

// ---------------------------------------------------------------- apply

ImportReport applyStatement(db::Book& book, const ImportPreview& preview) {
    ImportReport r;
    const ImportTarget& target = preview.target;
    const bool bank = target.program == app::Program::Bank;
    if (!preview.ok) {
        r.error = preview.error;
        return r;
    }
    for (const PreviewRow& row : preview.rows) {
        if (row.status == RowStatus::Unreadable)
            r.refused.append({row.line, row.reason});
        else if (!row.ticked)
            ++(row.status == RowStatus::Duplicate ? r.duplicates : r.leftOut);
    }
    if (!r.refused.isEmpty()) {
        r.error = QStringLiteral("読めない行が %1 行あるため、何も書き込みませんでした").arg(r.refused.size());
        return r;
    }
    if (!book.isOpen() || book.isReadOnly()) {
        r.error = QStringLiteral("データベースに書き込めません");
        return r;
    }
    const auto codes = readCodes(book, target.program);
    if (!codes) {
        r.error = QStringLiteral("データベースを読めません");
        return r;
    }
    QList<const PreviewRow*> rows;
    for (const PreviewRow& row : preview.rows) {
        if (!row.ticked) continue;
        // A code whose kind does not fit would turn a deposit into a withdrawal.
        const QString why = codeProblem(target.program, *codes, row.code, row.amount > 0);
        if (!why.isEmpty() && (row.amount != 0 || !codes->contains(row.code))) {
            r.error = QStringLiteral("%1 行目: %2").arg(row.line).arg(why);
            return r;
        }
        rows << &row;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PreviewRow* a, const PreviewRow* b) { return a->date < b->date; });

    db::Transaction tx(book);
    if (!tx.ok()) {
        r.error = QStringLiteral("トランザクションを始められません");
        return r;
    }
    const qint64 highest = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("CD"));
    if (highest < 0) {
        r.error = QStringLiteral("データベースを読めません");
        return r;
    }
    if (highest + rows.size() > db::kMaxRecordNumber) {
        r.error = QStringLiteral("番号が上限 %1 を超えます").arg(db::kMaxRecordNumber);
        return r;
    }
    QSqlQuery ins(book.connection());
    ins.prepare(
        bank ? QStringLiteral("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (?, ?, ?, ?, ?, ?)")
             : QStringLiteral("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO) "
                              "VALUES (?, ?, ?, ?, ?, 0, ?)"));
    qint64 cd = highest;
    QString error;
    for (const PreviewRow* row : rows) {
        ++cd;
        const QVariant note = row->description.isEmpty() ? QVariant() : QVariant(row->description);
        const qint64 stored = row->amount < 0 ? -row->amount : row->amount;
        const QVariantList values = bank ? QVariantList{cd, row->date, target.bank, row->code, stored, note}
                                         : QVariantList{cd, target.page, row->date, row->code, stored, note};
        if (!exec(ins, values, &error)) {
            r.error = QStringLiteral("%1 行目を書き込めません: %2").arg(row->line).arg(error);
            return r;
        }
    }
    if (!rows.isEmpty()) {
        // The balances once, after all rows: per row it would be a pass over the bank each time.
        if (bank) {
            const ledger::BankZan z = ledger::Recalc_BankZan(book, target.bank);
            if (!z.ok) {
                r.error = QStringLiteral("残高を計算できません: %1").arg(z.error);
                return r;
            }
        } else {
            const ledger::Recalc z = ledger::Recalc_Zan(book, target.page);
            if (!z.ok) {
                r.error = QStringLiteral("差引を計算できません: %1").arg(z.error);
                return r;
            }
        }
    }
    if (!tx.commit()) {
        r.error = QStringLiteral("書き込みを確定できません");
        return r;
    }
    r.ok = true;
    r.added = int(rows.size());
    if (r.added) {
        r.firstNumber = highest + 1;
        r.lastNumber = cd;
    }
    return r;
}

QStringList ImportReport::lines() const {
    QStringList out;
    if (ok)
        out << (!added ? QStringLiteral("追加した行はありません")
                : firstNumber
                    ? QStringLiteral("%1 件を追加しました (番号 %2～%3)").arg(added).arg(firstNumber).arg(lastNumber)
                    : QStringLiteral("%1 件を追加しました").arg(added));
    else
        out << error;
    // When nothing was written, only the lines that stopped it are worth reading.
    if (ok && duplicates) out << QStringLiteral("重複のため %1 件を取り込みませんでした").arg(duplicates);
    if (ok && leftOut) out << QStringLiteral("チェックのない %1 件を取り込みませんでした").arg(leftOut);
    for (const Refusal& f : refused) out << QStringLiteral("%1 行目: %2").arg(f.line).arg(f.reason);
    return out;
}

// ---------------------------------------------------------------- profiles

QStringList profileNames(const ImportTarget& target) {
    auto s = importSettings();
    s->beginGroup(profileScope(target));
    QStringList names;
    for (const QString& k : s->childKeys()) names << QUrl::fromPercentEncoding(k.toUtf8());
    names.sort();
    return names;
}

std::optional<ImportMapping> loadProfile(const ImportTarget& target, const QString& name) {
    auto s = importSettings();
    s->beginGroup(profileScope(target));
    const QVariant v = s->value(profileKey(name));
    if (!v.isValid()) return std::nullopt;
    return ImportMapping::fromJson(v.toString());
}

void saveProfile(const ImportTarget& target, const QString& name, const ImportMapping& mapping) {
    auto s = importSettings();
    s->beginGroup(profileScope(target));
    s->setValue(profileKey(name), mapping.toJson());
}

void removeProfile(const ImportTarget& target, const QString& name) {
    auto s = importSettings();
    s->beginGroup(profileScope(target));
    s->remove(profileKey(name));
}

// ---------------------------------------------------------------- own export

ImportReport importOwnExport(db::Book& book, app::Program program, OwnTable table, const QString& csvPath,
                             std::optional<Encoding> encoding, bool raw) {
    QFile file(csvPath);
    if (!QFileInfo(csvPath).isFile() || !file.open(QIODevice::ReadOnly)) {
        ImportReport r;
        r.error = QStringLiteral("CSV ファイルを読めません: %1").arg(shownPath(csvPath));
        r.fileUnreadable = true;
        return r;
    }
    ImportReport r = importOwnExportBytes(book, program, table, file.readAll(), encoding, raw);
    if (!r.ok) r.error = QStringLiteral("%1: %2").arg(shownPath(csvPath), r.error);
    return r;
}

ImportReport importOwnExportBytes(db::Book& book, app::Program program, OwnTable table, const QByteArray& csv,
                                  std::optional<Encoding> encoding, bool raw) {
    ImportReport r;
    const bool bank = program == app::Program::Bank;
    const bool journal = table == OwnTable::Journal;
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
    const QStringList header = journal ? journalHeader(program) : mastersHeader(program);
    const QSet<int> textColumns = raw       ? QSet<int>()
                                  : journal ? journalTextColumns(program)
                                            : mastersTextColumns(program);
    if (file.records.isEmpty() || file.records.first().fields != header) {
        r.error =
            QStringLiteral("このプログラムが書き出した%1の CSV ではありません (1 行目が %2 ではありません)")
                .arg(journal ? QStringLiteral("仕訳") : QStringLiteral("マスター"), header.join(QLatin1Char(',')));
        r.fileUnreadable = true;
        return r;
    }
    // Only into an empty journal (masters): what is there would mix with what comes.
    const QStringList tables = journal ? QStringList{QStringLiteral("S01")}
                               : bank  ? QStringList{QStringLiteral("T01"), QStringLiteral("T02")}
                                       : QStringList{QStringLiteral("T01")};
    for (const QString& t : tables) {
        bool ok = false;
        const qint64 n = book.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(t), {}, &ok).toLongLong();
        if (!ok || n > 0) {
            r.error = ok ? QStringLiteral("%1が空の帳簿にだけ読み込めます (%2 行あります)")
                               .arg(journal ? QStringLiteral("仕訳") : QStringLiteral("マスター"))
                               .arg(n)
                         : QStringLiteral("データベースを読めません");
            return r;
        }
    }

    // Every line checked before anything is written.
    struct Insert {
        int table;  // 0: S01 / T01, 1: T02
        QVariantList values;
        int line;
    };
    QList<Insert> inserts;
    QSet<qint64> codes[2];
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
        // An empty field is no value; "" is empty text. Numbers go in as text and are stored as
        // the column's type makes them, exactly as they were when first written.
        auto value = [&](int c) -> QVariant {
            // A null QString would be bound as Null: empty text must be a non-null one.
            if (rec.fields[c].isEmpty()) return rec.emptyText.contains(c) ? QVariant(QStringLiteral("")) : QVariant();
            // A guarded ' alone leaves empty text, which must stay text.
            if (textColumns.contains(c)) {
                const QString text = unguardFormula(rec.fields[c]);
                return QVariant(text.isEmpty() ? QStringLiteral("") : text);
            }
            return rec.fields[c];
        };
        bool whole = false;
        const qint64 cd = rec.fields[journal ? 0 : 1].toLongLong(&whole);
        if (!whole) {
            refuse(QStringLiteral("%1「%2」が整数ではありません")
                       .arg(journal ? QStringLiteral("番号") : QStringLiteral("ｺｰﾄﾞ"),
                            app::clip(rec.fields[journal ? 0 : 1])));
            continue;
        }
        int into = 0;
        if (!journal && bank) {
            if (rec.fields[0] == QStringLiteral("項目"))
                into = 1;
            else if (rec.fields[0] != QStringLiteral("銀行")) {
                refuse(QStringLiteral("区分「%1」は 銀行 でも 項目 でもありません").arg(app::clip(rec.fields[0])));
                continue;
            }
        } else if (!journal && rec.fields[0] != QStringLiteral("科目")) {
            refuse(QStringLiteral("区分「%1」は 科目 ではありません").arg(app::clip(rec.fields[0])));
            continue;
        }
        if (codes[into].contains(cd)) {
            refuse(QStringLiteral("%1 %2 が二度あります")
                       .arg(journal ? QStringLiteral("番号") : QStringLiteral("ｺｰﾄﾞ"))
                       .arg(cd));
            continue;
        }
        codes[into].insert(cd);
        Insert ins{into, {}, rec.line};
        if (journal) {
            const int in = bank ? 6 : 5;  // 収入, then 支出
            if (!value(in).isNull() && !value(in + 1).isNull()) {
                refuse(QStringLiteral("収入と支出の両方に金額があります"));
                continue;
            }
            const QVariant amount = value(in).isNull() ? value(in + 1) : value(in);
            ins.values = bank ? QVariantList{cd, value(1), value(2), value(4), amount, value(8)}
                              : QVariantList{cd, value(1), value(2), value(3), amount, value(7), value(8)};
        } else {
            ins.values = QVariantList{cd, value(2), bank && into == 0 ? value(5) : value(3)};
        }
        inserts << ins;
    }
    if (!r.refused.isEmpty()) {
        r.error = QStringLiteral("読めない行が %1 行あるため、何も書き込みませんでした").arg(r.refused.size());
        return r;
    }

    db::Transaction tx(book);
    if (!tx.ok()) {
        r.error = QStringLiteral("トランザクションを始められません");
        return r;
    }
    QSqlQuery q[2] = {QSqlQuery(book.connection()), QSqlQuery(book.connection())};
    if (journal) {
        q[0].prepare(
            bank ? QStringLiteral("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (?, ?, ?, ?, ?, ?)")
                 : QStringLiteral("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    } else {
        q[0].prepare(bank ? QStringLiteral("INSERT INTO T01 (CD, NM, ZAN) VALUES (?, ?, ?)")
                          : QStringLiteral("INSERT INTO T01 (CD, NM, KIND) VALUES (?, ?, ?)"));
        q[1].prepare(QStringLiteral("INSERT INTO T02 (CD, NM, KIND) VALUES (?, ?, ?)"));
    }
    QString error;
    for (const Insert& ins : inserts) {
        if (!exec(q[ins.table], ins.values, &error)) {
            r.error = QStringLiteral("%1 行目を書き込めません: %2").arg(ins.line).arg(error);
            return r;
        }
    }
    if (!tx.commit()) {
        r.error = QStringLiteral("書き込みを確定できません");
        return r;
    }
    r.ok = true;
    r.added = int(inserts.size());
    return r;
}

}  // namespace io
