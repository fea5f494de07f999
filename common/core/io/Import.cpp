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

// Rules are typed as people type and compared with what banks print: besides width and case,
// the long-vowel mark's look-alikes are one mark and small kana are full-size (ｷﾕｳﾖ, キュウヨ).
QString ruleForm(const QString& s) {
    QString t = matchForm(s);
    for (QChar& c : t) {
        const char16_t u = c.unicode();
        if (u == u'-' || u == 0x2212 || (u >= 0x2010 && u <= 0x2015) || u == 0xFF0D) c = QChar(0x30FC);
        // ぁぃぅぇぉ ァィゥェォ: the small one is the odd code point before the full one.
        else if (((u >= 0x3041 && u <= 0x304A) || (u >= 0x30A1 && u <= 0x30AA)) && (u & 1))
            c = QChar(char16_t(u + 1));
        else if (u == 0x3063 || u == 0x30C3 || u == 0x3083 || u == 0x3085 || u == 0x3087 || u == 0x30E3 ||
                 u == 0x30E5 || u == 0x30E7 || u == 0x308E || u == 0x30EE)
            c = QChar(char16_t(u + 1));  // っ ッ ゃ ゅ ょ ャ ュ ョ ゎ ヮ
        else if (u == 0x3095 || u == 0x30F5)
            c = QChar(char16_t(u == 0x3095 ? 0x304B : 0x30AB));  // ゕ ヵ
        else if (u == 0x3096 || u == 0x30F6)
            c = QChar(char16_t(u == 0x3096 ? 0x3051 : 0x30B1));  // ゖ ヶ
    }
    return t;
}

// A header cell or a condition's value as compared: NFKC, trimmed, without what brackets hold
// ("受入金額（円）" is 受入金額, "現在（貸付）高" is 現在高).
QString headerForm(const QString& s) {
    static const QRegularExpression bracketed(QStringLiteral("\\([^)]*\\)|\\s"));
    return matchForm(s).remove(bracketed);
}

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
    // A lone dash (-, −, －) is how apps and banks fill the cell a row does not use.
    if (t == QLatin1String("-")) t.clear();
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
    if (bad(amountColumn) || bad(depositColumn) || bad(withdrawalColumn) || bad(balanceColumn) ||
        std::any_of(textColumns.begin(), textColumns.end(), [&](int c) { return c < 1 || bad(c); }))
        return QStringLiteral("列の番号が範囲外です");
    for (const SkipCondition& c : skipIf) {
        bool number = false;
        const int n = c.column.trimmed().toInt(&number);
        if (c.column.trimmed().isEmpty() || (number && (n < 1 || bad(n))))
            return QStringLiteral("読み飛ばす条件には列 (番号か見出しの名前) を指定してください");
    }
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
    // One text column stays a number, as profiles saved before lists were possible hold it.
    if (textColumns.size() == 1) {
        o[QStringLiteral("textCol")] = textColumns.first();
    } else {
        QJsonArray cols;
        for (int c : textColumns) cols.append(c);
        o[QStringLiteral("textCol")] = cols;
    }
    if (balanceColumn) o[QStringLiteral("balanceCol")] = balanceColumn;
    if (negate) o[QStringLiteral("negate")] = true;
    if (!skipIf.isEmpty()) {
        QJsonArray conds;
        for (const SkipCondition& c : skipIf)
            conds.append(QJsonObject{{QStringLiteral("col"), c.column}, {QStringLiteral("value"), c.value}});
        o[QStringLiteral("skipIf")] = conds;
    }
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
    const QJsonValue text = o.value(QStringLiteral("textCol"));
    if (text.isArray()) {
        for (const QJsonValue& v : text.toArray()) m.textColumns << v.toInt();
    } else if (text.toInt() > 0) {
        m.textColumns << text.toInt();
    }
    m.balanceColumn = o.value(QStringLiteral("balanceCol")).toInt();
    m.negate = o.value(QStringLiteral("negate")).toBool();
    for (const QJsonValue& v : o.value(QStringLiteral("skipIf")).toArray())
        m.skipIf.append({v.toObject().value(QStringLiteral("col")).toString(),
                         v.toObject().value(QStringLiteral("value")).toString()});
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

namespace {

// The lines passed over at the top, as fields (a preamble need not be CSV: each line on its own).
QList<QStringList> topLines(const QByteArray& csv, std::optional<Encoding> encoding, int count) {
    QList<QStringList> out;
    if (count <= 0) return out;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = decodeText(csv, encoding).text.split(lineEnd);
    for (int k = 0; k < count && k < lines.size(); ++k) {
        const QList<CsvRecord> r = parseCsv(lines[k]);
        out << (r.isEmpty() ? QStringList() : r.first().fields);
    }
    return out;
}

// A condition's column from 0: its number, or where the header lines name it (the lowest such
// line first); -1 when no header line names it.
int conditionColumn(const SkipCondition& c, const QList<QStringList>& top) {
    bool number = false;
    const int n = c.column.trimmed().toInt(&number);
    if (number) return n - 1;
    const QString name = headerForm(c.column);
    for (int k = int(top.size()) - 1; k >= 0; --k)
        for (int i = 0; i < top[k].size(); ++i)
            if (headerForm(top[k][i]) == name) return i;
    return -1;
}

}  // namespace

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
    const QList<QStringList> top = topLines(csv, file.encoding, mapping.skipLines);
    for (int k = int(top.size()) - 1; k >= 0 && p.header.isEmpty(); --k)
        if (!top[k].join(QString()).trimmed().isEmpty()) p.header = top[k];
    QList<std::pair<int, QString>> conditions;  // column from 0, value
    for (const SkipCondition& c : mapping.skipIf) {
        const int column = conditionColumn(c, top);
        if (column < 0) {
            p.error = QStringLiteral("読み飛ばす条件の列「%1」が見出しの行にありません").arg(c.column);
            return p;
        }
        conditions.append({column, headerForm(c.value)});
    }

    // Every line on its own: its fields, date, amount, description and code.
    QList<QString> ruleTexts;
    for (const ImportRule& r : mapping.rules) ruleTexts << ruleForm(r.contains.trimmed());
    int needed = std::max({mapping.dateColumn, mapping.amountColumn, mapping.depositColumn, mapping.withdrawalColumn,
                           mapping.balanceColumn});
    for (int c : mapping.textColumns) needed = std::max(needed, c);
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
        auto passOver = [&](RowStatus status, const QString& why) {
            row.status = status;
            row.reason = why;
            p.rows << row;
        };
        if (!rec.problem.isEmpty()) {
            refuse(rec.problem);
            continue;
        }
        auto field = [&](int column) {
            return column > 0 && column <= rec.fields.size() ? rec.fields[column - 1].trimmed() : QString();
        };
        // A card holder's line, a total, a separator: no date, so no row. Digits that are no date
        // still stop the file, as they may be a row read wrongly.
        const QString dateCell = field(mapping.dateColumn);
        if (!std::any_of(dateCell.begin(), dateCell.end(), [](QChar c) { return c.isDigit(); })) {
            passOver(RowStatus::NotARow, dateCell.isEmpty()
                                             ? QStringLiteral("日付のない行です")
                                             : QStringLiteral("日付のない行です (「%1」)").arg(app::clip(dateCell)));
            continue;
        }
        const auto matches = std::find_if(conditions.begin(), conditions.end(),
                                          [&](const auto& c) { return headerForm(field(c.first + 1)) == c.second; });
        if (matches != conditions.end()) {
            const SkipCondition& c = mapping.skipIf[int(matches - conditions.begin())];
            passOver(RowStatus::Skipped, QStringLiteral("条件 %1=%2 で読み飛ばしました").arg(c.column, c.value));
            continue;
        }
        if (rec.fields.size() < needed) {
            refuse(QStringLiteral("列が足りません (%1 列あり、%2 列目が必要です)").arg(rec.fields.size()).arg(needed));
            continue;
        }
        const auto date = parseStatementDate(dateCell);
        if (!date) {
            refuse(QStringLiteral("日付「%1」を読めません").arg(app::clip(dateCell)));
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
        if (mapping.negate) row.amount = -row.amount;
        if (mapping.balanceColumn > 0) {
            bool empty = false;
            const auto b = parseStatementAmount(field(mapping.balanceColumn), &empty);
            if (b && !empty) row.balance = *b;
        }
        QStringList texts;
        for (int c : mapping.textColumns)
            if (!field(c).isEmpty()) texts << field(c);
        row.description = texts.join(QLatin1Char(' '));
        const bool deposit = row.amount > 0;
        row.code = deposit ? mapping.depositCode : mapping.withdrawalCode;
        const QString text = ruleForm(row.description);
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
    auto isRow = [](const PreviewRow& r) {
        return r.status != RowStatus::Unreadable && r.status != RowStatus::NotARow && r.status != RowStatus::Skipped;
    };

    // Newest first: dates that only fall are the account's moves backwards. Reversed whole, rows of
    // one day come in the order they happened, and running balances move as the account did.
    {
        QString previous;
        bool rises = false, falls = false;
        for (const PreviewRow& r : p.rows) {
            if (!isRow(r)) continue;
            if (!previous.isEmpty() && r.date > previous) rises = true;
            if (!previous.isEmpty() && r.date < previous) falls = true;
            previous = r.date;
        }
        if (falls && !rises) {
            std::reverse(p.rows.begin(), p.rows.end());
            p.newestFirst = true;
        }
    }

    // Duplicates only of rows already in the book: the same date and signed amount (and bank) and
    // an equal description, or one holding the other (banks shorten them) when neither is empty.
    // Each book row answers for one line of the file, so two equal withdrawals in the file stay two
    // unless the book holds two. The book is read once over the file's dates.
    QString minDate, maxDate;
    for (const PreviewRow& r : p.rows) {
        if (!isRow(r)) continue;
        if (minDate.isEmpty() || r.date < minDate) minDate = r.date;
        if (maxDate.isEmpty() || r.date > maxDate) maxDate = r.date;
    }
    struct Stored {
        QString text;
        qint64 cd;
        bool taken = false;
    };
    QHash<QString, QList<Stored>> stored;  // "date|amount"
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
            stored[key(q.value(1).toString(), income ? amount : -amount)].append(
                {matchForm(q.value(5).toString().trimmed()), q.value(0).toLongLong()});
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
                if (isRow(r)) ++months[r.date.left(7)];
            int most = 0;
            for (const auto& [m, n] : months)
                if (n > most) {
                    most = n;
                    month = m;
                }
        }
        p.target.pageMonth = month;
    }

    // Equal descriptions first, so that a shortened one does not take the book row an equal one
    // would have matched.
    for (const bool containing : {false, true}) {
        for (PreviewRow& r : p.rows) {
            if (!isRow(r) || r.status == RowStatus::Duplicate) continue;
            const QString text = matchForm(r.description);
            for (Stored& s : stored[key(r.date, r.amount)]) {
                if (s.taken) continue;
                const bool same = containing ? !text.isEmpty() && !s.text.isEmpty() &&
                                                   (text.contains(s.text) || s.text.contains(text))
                                             : text == s.text;
                if (!same) continue;
                s.taken = true;
                r.status = RowStatus::Duplicate;
                r.matched = s.cd;
                r.reason = QStringLiteral("同じ日付・金額で摘要の%1行が帳簿にあります (番号 %2)")
                               .arg(containing ? QStringLiteral("重なる") : QStringLiteral("同じ"))
                               .arg(s.cd);
                break;
            }
        }
    }

    for (PreviewRow& r : p.rows) {
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

    // The statement's balance against the total of its rows, from the balance before its first
    // row: where they part, a row is missing, read twice or read with the wrong sign.
    if (mapping.balanceColumn > 0) {
        std::optional<qint64> opening;
        qint64 moved = 0;
        for (PreviewRow& r : p.rows) {
            if (!isRow(r)) continue;
            moved += r.amount;
            if (!opening && r.balance) opening = *r.balance - moved;
            r.runningTotal = opening.value_or(0) + moved;
            if (opening && r.balance && *r.balance != r.runningTotal && !p.balancePartsAt) p.balancePartsAt = r.line;
        }
    }
    p.ok = true;
    return p;
}

QString ImportPreview::balanceNote() const {
    const auto first =
        std::find_if(rows.begin(), rows.end(), [](const PreviewRow& r) { return r.balance.has_value(); });
    if (first == rows.end()) return QString();
    if (!balancePartsAt) return QStringLiteral("明細の残高と行の合計は最後まで合っています");
    const auto at =
        std::find_if(rows.begin(), rows.end(), [this](const PreviewRow& r) { return r.line == balancePartsAt; });
    return QStringLiteral("明細の残高と行の合計は %1 行目で分かれます (明細 %2、合計 %3)")
        .arg(balancePartsAt)
        .arg(*at->balance)
        .arg(at->runningTotal);
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
        else if (row.status == RowStatus::NotARow)
            r.notRows.append({row.line, row.reason});
        else if (row.status == RowStatus::Skipped)
            ++r.skipped;
        else if (!row.ticked)
            ++(row.status == RowStatus::Duplicate ? r.duplicates : r.leftOut);
    }
    if (!r.noneRefused()) return r;
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
    if (!r.begun(tx)) return r;
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
    if (!r.committed(tx, int(rows.size()))) return r;
    if (r.added) {
        r.firstNumber = highest + 1;
        r.lastNumber = cd;
    }
    return r;
}

bool ImportReport::noneRefused() {
    if (refused.isEmpty()) return true;
    error = QStringLiteral("読めない行が %1 行あるため、何も書き込みませんでした").arg(refused.size());
    return false;
}

bool ImportReport::begun(const db::Transaction& tx) {
    if (tx.ok()) return true;
    error = QStringLiteral("トランザクションを始められません");
    return false;
}

bool ImportReport::committed(db::Transaction& tx, int rows) {
    if (!tx.commit()) {
        error = QStringLiteral("書き込みを確定できません");
        return false;
    }
    ok = true;
    added = rows;
    return true;
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
    if (ok && skipped) out << QStringLiteral("条件に当たった %1 件を読み飛ばしました").arg(skipped);
    if (ok)
        for (const Refusal& f : notRows)
            out << QStringLiteral("%1 行目: 読み飛ばしました (%2)").arg(f.line).arg(f.reason);
    for (const Refusal& f : refused) out << QStringLiteral("%1 行目: %2").arg(f.line).arg(f.reason);
    return out;
}

// ---------------------------------------------------------------- built-in layouts

namespace {

struct LayoutDef {
    const char* name;
    const char16_t* label;
    const char16_t* description;
    int headerLine;             // where the header usually is, from 1
    const char16_t* header;     // as the layout writes it
    const char16_t* signature;  // the header's names that tell the layout from others
    const char16_t* date;
    const char16_t* amount;  // or in and out
    const char16_t* in;
    const char16_t* out;
    const char16_t* text;  // names, "," between them
    const char16_t* balance;
    bool negate;
    const char16_t* skipIf;  // "name=value", "," between them
};

// Most specific first: the payment app's out/in names also appear in some banks' headers.
const LayoutDef kLayouts[] = {
    {"payment-app", u"決済アプリ", u"取引日時、出金/入金の列、使わない欄は「-」", 1,
     u"取引日,出金金額（円）,入金金額（円）,海外出金金額,通貨,変換レート（円）,利用国,取引内容,取引先,取引方法,"
     u"支払い区分,利用者,取引番号",
     u"取引日,出金金額,入金金額,取引先", u"取引日", nullptr, u"入金金額", u"出金金額", u"取引内容,取引先", nullptr,
     false, nullptr},
    {"household-app", u"家計簿アプリ", u"符号付きの金額、振替と計算対象外の行は読み飛ばし", 1,
     u"計算対象,日付,内容,金額（円）,保有金融機関,大項目,中項目,メモ,振替,ID", u"計算対象,日付,金額,振替", u"日付",
     u"金額", nullptr, nullptr, u"内容", nullptr, false, u"振替=1,計算対象=0"},
    {"city-bank", u"都市銀行", u"支払い金額/預かり金額の列、摘要と摘要内容", 1,
     u"日付,摘要,摘要内容,支払い金額,預かり金額,差引残高,メモ,未資金化区分,入払区分", u"摘要内容,支払い金額,預かり金額",
     u"日付", nullptr, u"預かり金額", u"支払い金額", u"摘要,摘要内容", u"差引残高", false, nullptr},
    {"postal-bank", u"ゆうちょ銀行", u"口座の行のあとに見出し、受入金額/払出金額、yyyymmdd の日付", 4,
     u"取引日,受入金額（円）,払出金額（円）,詳細１,詳細２,現在（貸付）高", u"受入金額,払出金額", u"取引日", nullptr,
     u"受入金額", u"払出金額", u"詳細1,詳細2", u"現在高", false, nullptr},
    {"net-bank", u"ネット銀行", u"符号付きの入出金の列 (UTF-8 / Shift_JIS)", 1,
     u"取引日,入出金（円）,取引後残高（円）,入出金内容", u"取引日,入出金,入出金内容", u"取引日", u"入出金", nullptr,
     nullptr, u"入出金内容", u"取引後残高", false, nullptr},
    {"card", u"カード明細", u"正の金額が支払い、名義と合計の行は読み飛ばし", 1,
     u"ご利用日,ご利用店名,ご利用者,支払区分,ご利用金額,お支払金額,備考", u"ご利用日,ご利用店名,ご利用金額",
     u"ご利用日", u"ご利用金額", nullptr, nullptr, u"ご利用店名", nullptr, true, nullptr},
};

QStringList names(const char16_t* list) {
    return list ? QString::fromUtf16(list).split(QLatin1Char(','), Qt::SkipEmptyParts) : QStringList();
}

// The layout's columns in a header line; nullopt when the line is not its header.
std::optional<ImportMapping> fitLayout(const LayoutDef& d, const QStringList& header) {
    QStringList cells;
    for (const QString& h : header) cells << headerForm(h);
    auto column = [&](const QString& name) { return int(cells.indexOf(headerForm(name))) + 1; };
    for (const QString& n : names(d.signature))
        if (!column(n)) return std::nullopt;
    ImportMapping m;
    m.dateColumn = column(QString::fromUtf16(d.date));
    if (d.amount) {
        m.amountColumn = column(QString::fromUtf16(d.amount));
    } else {
        m.depositColumn = column(QString::fromUtf16(d.in));
        m.withdrawalColumn = column(QString::fromUtf16(d.out));
    }
    for (const QString& n : names(d.text))
        if (column(n)) m.textColumns << column(n);
    if (d.balance) m.balanceColumn = column(QString::fromUtf16(d.balance));
    m.negate = d.negate;
    for (const QString& c : names(d.skipIf))
        m.skipIf.append({c.section(QLatin1Char('='), 0, 0), c.section(QLatin1Char('='), 1)});
    if (!m.dateColumn || !(m.amountColumn || (m.depositColumn && m.withdrawalColumn))) return std::nullopt;
    return m;
}

// A header is looked for among the first lines: a preamble is a few lines, never a page.
constexpr int kHeaderSearch = 30;

QList<QStringList> firstLines(const QByteArray& csv) { return topLines(csv, std::nullopt, kHeaderSearch); }

}  // namespace

const QList<StatementLayout>& statementLayouts() {
    static const QList<StatementLayout> layouts = [] {
        QList<StatementLayout> out;
        for (const LayoutDef& d : kLayouts) {
            const QList<CsvRecord> header = parseCsv(QString::fromUtf16(d.header));
            ImportMapping m = fitLayout(d, header.first().fields).value_or(ImportMapping{});
            m.skipLines = d.headerLine;
            out.append(
                {QString::fromLatin1(d.name), QString::fromUtf16(d.label), QString::fromUtf16(d.description), m});
        }
        return out;
    }();
    return layouts;
}

const StatementLayout* findLayout(const QString& nameOrLabel) {
    for (const StatementLayout& l : statementLayouts())
        if (l.name == nameOrLabel || l.label == nameOrLabel) return &l;
    return nullptr;
}

std::optional<StatementLayout> detectLayout(const QByteArray& csv) {
    const QList<QStringList> lines = firstLines(csv);
    for (int k = 0; k < lines.size(); ++k) {
        for (int i = 0; i < int(std::size(kLayouts)); ++i) {
            auto m = fitLayout(kLayouts[i], lines[k]);
            if (!m) continue;
            m->skipLines = k + 1;
            StatementLayout l = statementLayouts()[i];
            l.mapping = *m;
            return l;
        }
    }
    return std::nullopt;
}

ImportMapping layoutMapping(const StatementLayout& layout, const QByteArray& csv) {
    const QList<QStringList> lines = firstLines(csv);
    for (int i = 0; i < int(std::size(kLayouts)); ++i) {
        if (QString::fromLatin1(kLayouts[i].name) != layout.name) continue;
        for (int k = 0; k < lines.size(); ++k) {
            if (auto m = fitLayout(kLayouts[i], lines[k])) {
                m->skipLines = k + 1;
                return *m;
            }
        }
    }
    return layout.mapping;
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

std::optional<CsvFile> readOwnExport(const QByteArray& csv, std::optional<Encoding> encoding, const QStringList& header,
                                     const QString& what, ImportReport& report) {
    CsvFile file = readCsvBytes(csv, encoding);
    if (!file.ok) {
        report.error = file.error;
    } else if (file.records.isEmpty() || file.records.first().fields != header) {
        report.error = QStringLiteral("このプログラムが書き出した%1の CSV ではありません (1 行目が %2 ではありません)")
                           .arg(what, header.join(QLatin1Char(',')));
    } else {
        return file;
    }
    report.fileUnreadable = true;
    return std::nullopt;
}

bool ownExportRow(const CsvRecord& rec, int columns, ImportReport& report) {
    if (!rec.problem.isEmpty()) {
        report.refused.append({rec.line, rec.problem});
        return false;
    }
    if (rec.isBlank()) return false;
    if (rec.fields.size() != columns) {
        report.refused.append(
            {rec.line, QStringLiteral("列の数が %1 ではありません (%2 列)").arg(columns).arg(rec.fields.size())});
        return false;
    }
    return true;
}

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
    const QStringList header = journal ? journalHeader(program) : mastersHeader(program);
    const std::optional<CsvFile> read =
        readOwnExport(csv, encoding, header, journal ? QStringLiteral("仕訳") : QStringLiteral("マスター"), r);
    if (!read) return r;
    const CsvFile& file = *read;
    const QSet<int> textColumns = raw       ? QSet<int>()
                                  : journal ? journalTextColumns(program)
                                            : mastersTextColumns(program);
    // Only into an empty journal (masters): what is there would mix with what comes.
    const QStringList tables = journal ? QStringList{QStringLiteral("S01")}
                               : bank  ? QStringList{QStringLiteral("T01"), QStringLiteral("T02")}
                                       : QStringList{QStringLiteral("T01")};
    for (const QString& t : tables) {
        const QString full = db::notEmptyRefusal(book, t, journal ? QStringLiteral("仕訳") : QStringLiteral("マスター"),
                                                 QStringLiteral("行"));
        if (!full.isEmpty()) {
            r.error = full;
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
        if (!ownExportRow(rec, int(header.size()), r)) continue;
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
    if (!r.noneRefused()) return r;

    db::Transaction tx(book);
    if (!r.begun(tx)) return r;
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
    if (!r.committed(tx, int(inserts.size()))) return r;
    return r;
}

}  // namespace io
