#include "core/io/Csv.h"

#include <iconv.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

namespace io {
namespace {

// ---------------------------------------------------------------- Windows-31J
//
// Qt 6.4 brings no CP932 of its own, and the ICU converter it reaches under "windows-31j" is
// IBM's 943 table, which swaps the control bytes 0x1A, 0x1C and 0x7F. glibc's CP932 is
// Microsoft's table (the NEC and IBM extensions, IBM's codes preferred when writing, as Windows
// does); the tables below are read from it once, so that a character is looked up rather than
// converted through a library call each time, and only pairs that convert both ways are kept.

constexpr int kLead = -1;
constexpr int kInvalid = -2;
constexpr quint16 kNone = 0xFFFF;

struct Cp932 {
    bool ok = false;
    std::array<int, 256> single{};  // the character of a byte, kLead or kInvalid
    std::vector<char16_t> pairs;    // [(lead - 0x80) * 256 + trail]; 0: no character
    std::vector<quint16> codes;     // [character]: one byte (< 0x100) or two; kNone: none
};

// One character out of a conversion to UTF-32LE; -1 when the bytes do not make exactly one.
long convertOne(iconv_t cd, const char* in, size_t n, int* err) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(in);
    size_t il = n;
    char out[16];
    char* op = out;
    size_t ol = sizeof out;
    *err = 0;
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1)) {
        *err = errno;
        return -1;
    }
    if (il != 0 || op - out != 4) return -1;
    const auto* u = reinterpret_cast<const unsigned char*>(out);
    return long(u[0]) | long(u[1]) << 8 | long(u[2]) << 16 | long(u[3]) << 24;
}

Cp932 buildCp932() {
    Cp932 t;
    t.single.fill(kInvalid);
    t.pairs.assign(128 * 256, 0);
    t.codes.assign(65536, kNone);
    iconv_t dec = iconv_open("UTF-32LE", "CP932");
    if (dec == iconv_t(-1)) return t;
    iconv_t enc = iconv_open("CP932", "UTF-32LE");
    if (enc == iconv_t(-1)) {
        iconv_close(dec);
        return t;
    }
    int err = 0;
    for (int b = 0; b < 256; ++b) {
        const char in[1] = {char(b)};
        const long ch = convertOne(dec, in, 1, &err);
        if (ch >= 0 && ch <= 0xFFFF)
            t.single[b] = int(ch);
        else if (err == EINVAL)
            t.single[b] = kLead;
    }
    for (int lead = 0x80; lead < 256; ++lead) {
        if (t.single[lead] != kLead) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char in[2] = {char(lead), char(trail)};
            const long ch = convertOne(dec, in, 2, &err);
            if (ch > 0 && ch <= 0xFFFF) t.pairs[(lead - 0x80) * 256 + trail] = char16_t(ch);
        }
    }
    // Writing: the code glibc chooses for each character that reading can give, when that code
    // reads back as the same character (one-way fallbacks are left out: they would replace).
    auto readBack = [&](quint16 code) -> long {
        if (code < 0x100) return t.single[code] >= 0 ? t.single[code] : -1;
        const int lead = code >> 8;
        if (lead < 0x80) return -1;
        const char16_t c = t.pairs[(lead - 0x80) * 256 + (code & 0xFF)];
        return c ? long(c) : -1;
    };
    auto learn = [&](char32_t ch) {
        if (t.codes[ch] != kNone) return;
        const unsigned char in[4] = {uchar(ch), uchar(ch >> 8), uchar(ch >> 16), uchar(ch >> 24)};
        iconv(enc, nullptr, nullptr, nullptr, nullptr);
        char* ip = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        size_t il = 4;
        char out[8];
        char* op = out;
        size_t ol = sizeof out;
        if (iconv(enc, &ip, &il, &op, &ol) == size_t(-1)) return;
        const auto* o = reinterpret_cast<const unsigned char*>(out);
        quint16 code = kNone;
        if (op - out == 1)
            code = o[0];
        else if (op - out == 2)
            code = quint16(o[0] << 8 | o[1]);
        if (code != kNone && readBack(code) == long(ch)) t.codes[ch] = code;
    };
    for (int b = 0; b < 256; ++b)
        if (t.single[b] >= 0) learn(char32_t(t.single[b]));
    for (char16_t c : t.pairs)
        if (c) learn(c);
    iconv_close(enc);
    iconv_close(dec);
    t.ok = true;
    return t;
}

const Cp932& cp932() {
    static const Cp932 table = buildCp932();
    return table;
}

// The characters JIS-based converters give for these CP932 characters.
char16_t towardCp932(char16_t c) {
    switch (c) {
        case 0x301C:
            return 0xFF5E;  // 〜 → ～
        case 0x2212:
            return 0xFF0D;  // − → －
        case 0x2016:
            return 0x2225;  // ‖ → ∥
        case 0x00A2:
            return 0xFFE0;  // ¢ → ￠
        case 0x00A3:
            return 0xFFE1;  // £ → ￡
        case 0x00AC:
            return 0xFFE2;  // ¬ → ￢
        case 0x2014:
            return 0x2015;  // — → ―
        default:
            return c;
    }
}

void appendShiftJis(QByteArray& out, QStringView text, QList<char32_t>* missing) {
    const Cp932& t = cp932();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 && t.codes[c] == c) {
            out.append(char(c));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            if (missing) missing->append(QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            ++i;
            continue;
        }
        const quint16 code = t.ok && !QChar::isSurrogate(c) ? t.codes[towardCp932(c)] : kNone;
        if (code == kNone) {
            if (missing) missing->append(c);
        } else if (code < 0x100) {
            out.append(char(code));
        } else {
            out.append(char(code >> 8));
            out.append(char(code & 0xFF));
        }
    }
}

// Shift_JIS bytes to text; positions (in the text) of bytes that could not be read.
QString decodeShiftJis(const QByteArray& bytes, QList<qsizetype>* bad) {
    const Cp932& t = cp932();
    QString s;
    s.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const int b = p[i];
        const int single = t.single[b];
        if (single >= 0) {
            s.append(QChar(char16_t(single)));
            continue;
        }
        if (single == kLead && i + 1 < n && p[i + 1] >= 0x40 && p[i + 1] <= 0xFC && p[i + 1] != 0x7F) {
            const char16_t c = t.pairs[(b - 0x80) * 256 + p[i + 1]];
            ++i;  // a valid trail byte belongs to its lead even when the pair means nothing
            if (c) {
                s.append(QChar(c));
                continue;
            }
        }
        // Anything else, the following byte read afresh: a line end or a comma after a broken
        // lead byte still ends its line or field.
        bad->append(s.size());
        s.append(QChar(QChar::ReplacementCharacter));
    }
    return s;
}

// The lines (from 1) of positions in a text, lines ending with LF.
QList<int> linesOf(const QString& text, const QList<qsizetype>& positions) {
    QList<int> lines;
    int line = 1;
    qsizetype at = 0;
    for (qsizetype pos : positions) {
        for (; at < pos && at < text.size(); ++at)
            if (text[at] == QLatin1Char('\n')) ++line;
        if (lines.isEmpty() || lines.last() != line) lines << line;
    }
    return lines;
}

bool needsQuotes(const QString& f) {
    for (QChar c : f)
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return true;
    // Blanks at either end survive readers that trim unquoted fields.
    return !f.isEmpty() && (f.front().isSpace() || f.back().isSpace());
}

QString quoted(const QString& f) {
    QString q;
    q.reserve(f.size() + 2);
    q.append(QLatin1Char('"'));
    for (QChar c : f) {
        if (c == QLatin1Char('"')) q.append(QLatin1Char('"'));
        q.append(c);
    }
    q.append(QLatin1Char('"'));
    return q;
}

const QByteArray kBom("\xEF\xBB\xBF");

}  // namespace

std::optional<Encoding> parseEncoding(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("utf8") || n == QLatin1String("utf-8")) return Encoding::Utf8;
    if (n == QLatin1String("sjis") || n == QLatin1String("shift_jis") || n == QLatin1String("shift-jis") ||
        n == QLatin1String("cp932") || n == QLatin1String("windows-31j") || n == QLatin1String("ms932"))
        return Encoding::ShiftJis;
    return std::nullopt;
}

QString encodingLabel(Encoding e) {
    return e == Encoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Shift_JIS");
}

QString describeChar(char32_t ch) {
    const QString code = QStringLiteral("U+%1").arg(uint(ch), 4, 16, QLatin1Char('0')).toUpper();
    if (ch < 0x20 || (ch >= 0xD800 && ch < 0xE000) || ch > 0x10FFFF) return QStringLiteral("(%1)").arg(code);
    return QStringLiteral("「%1」(%2)").arg(QString::fromUcs4(&ch, 1), code);
}

bool shiftJisAvailable() { return cp932().ok; }

QByteArray encodeShiftJis(const QString& text, QList<char32_t>* missing) {
    QByteArray out;
    appendShiftJis(out, text, missing);
    return out;
}

bool looksLikeFormula(const QString& text) {
    if (text.isEmpty()) return false;
    switch (text.front().unicode()) {
        case '=':
        case '+':
        case '-':
        case '@':
        case '\t':
        case '\r':
        case '\'':
            return true;
        default:
            return false;
    }
}

QString guardFormula(const QString& text) { return looksLikeFormula(text) ? QLatin1Char('\'') + text : text; }

QString unguardFormula(const QString& text) { return text.startsWith(QLatin1Char('\'')) ? text.mid(1) : text; }

EncodedCsv encodeCsv(const CsvTable& table, Encoding encoding, bool bom, bool raw) {
    EncodedCsv e;
    if (encoding == Encoding::Utf8 && bom) e.bytes.append(kBom);
    QString field;
    QString guarded;
    QList<char32_t> missing;
    for (int r = 0; r < table.rows.size(); ++r) {
        const QStringList& row = table.rows[r];
        for (int c = 0; c < row.size(); ++c) {
            if (c) e.bytes.append(',');
            const bool guard = !raw && r > 0 && table.textColumns.contains(c) && looksLikeFormula(row[c]);
            const QString& f = guard ? (guarded = QLatin1Char('\'') + row[c]) : row[c];
            const bool emptyText =
                f.isEmpty() && !table.emptyText.isEmpty() && table.emptyText.contains(CsvTable::cellKey(r, c));
            if (emptyText) {
                e.bytes.append("\"\"");
                continue;
            }
            const QString& text = needsQuotes(f) ? (field = quoted(f)) : f;
            if (encoding == Encoding::Utf8) {
                if (QStringView(text).isValidUtf16()) {
                    e.bytes.append(text.toUtf8());
                    continue;
                }
                // A lone surrogate (a broken character) has no UTF-8 form either.
                QString whole;
                for (qsizetype i = 0; i < text.size(); ++i) {
                    const QChar ch = text[i];
                    if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                        whole.append(ch).append(text[++i]);
                    } else if (ch.isSurrogate()) {
                        e.unencodable.append({r + 1, c + 1, ch.unicode()});
                    } else {
                        whole.append(ch);
                    }
                }
                e.bytes.append(whole.toUtf8());
            } else {
                missing.clear();
                appendShiftJis(e.bytes, text, &missing);
                for (char32_t ch : missing) e.unencodable.append({r + 1, c + 1, ch});
            }
        }
        e.bytes.append("\r\n");
    }
    return e;
}

bool CsvRecord::isBlank() const {
    if (!emptyText.isEmpty()) return false;
    for (const QString& f : fields)
        if (!f.trimmed().isEmpty()) return false;
    return true;
}

QList<CsvRecord> parseCsv(const QString& text, int skipLines) {
    QList<CsvRecord> records;
    const qsizetype n = text.size();
    const QChar* s = text.constData();
    qsizetype i = 0;
    int line = 1;
    for (; line <= skipLines && i < n; ++i)
        if (s[i] == QLatin1Char('\n')) ++line;
    // A line end outside quotes: LF or CRLF.
    auto lineEndAt = [&](qsizetype k) {
        return s[k] == QLatin1Char('\n') || (s[k] == QLatin1Char('\r') && k + 1 < n && s[k + 1] == QLatin1Char('\n'));
    };
    while (i < n) {
        CsvRecord rec;
        rec.line = line;
        bool recordDone = false;
        while (!recordDone) {
            QString field;
            if (i < n && s[i] == QLatin1Char('"')) {
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = s[i];
                    if (c == QLatin1Char('"')) {
                        if (i + 1 < n && s[i + 1] == QLatin1Char('"')) {
                            field.append(c);
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (c == QLatin1Char('\n')) ++line;
                    field.append(c);
                    ++i;
                }
                if (!closed && rec.problem.isEmpty()) rec.problem = QStringLiteral("引用符 \" が閉じていません");
                // Text between the closing quote and the next comma is kept, but the record is
                // not well-formed.
                const qsizetype after = i;
                while (i < n && s[i] != QLatin1Char(',') && !lineEndAt(i)) field.append(s[i++]);
                if (i > after && rec.problem.isEmpty())
                    rec.problem = QStringLiteral("%1 列目: 引用符の後に文字があります").arg(rec.fields.size() + 1);
                if (field.isEmpty()) rec.emptyText << int(rec.fields.size());
            } else {
                const qsizetype start = i;
                while (i < n && s[i] != QLatin1Char(',') && !lineEndAt(i)) ++i;
                field = text.mid(start, i - start);
            }
            rec.fields << field;
            if (i >= n) {
                recordDone = true;
            } else if (s[i] == QLatin1Char(',')) {
                ++i;
                if (i >= n) {  // a comma at the very end: one more, empty field
                    rec.fields << QString();
                    recordDone = true;
                }
            } else {  // line end
                i += s[i] == QLatin1Char('\r') ? 2 : 1;
                ++line;
                recordDone = true;
            }
        }
        records << rec;
    }
    return records;
}

Encoding detectEncoding(const QByteArray& bytes) {
    if (bytes.startsWith(kBom)) return Encoding::Utf8;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);  // the decoding runs when its result is taken
    return utf8.hasError() ? Encoding::ShiftJis : Encoding::Utf8;
}

DecodedText decodeText(const QByteArray& bytes, std::optional<Encoding> encoding) {
    DecodedText d;
    d.encoding = encoding.value_or(detectEncoding(bytes));
    QList<qsizetype> bad;
    if (d.encoding == Encoding::ShiftJis) {
        d.text = decodeShiftJis(bytes, &bad);
        d.badLines = linesOf(d.text, bad);
        return d;
    }
    const QByteArray body = bytes.startsWith(kBom) ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    d.text = utf8.decode(body);
    if (utf8.hasError()) {
        // Which lines: an LF byte is never part of a longer UTF-8 sequence.
        const QList<QByteArray> lines = body.split('\n');
        for (int k = 0; k < lines.size(); ++k) {
            QStringDecoder one(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString line = one.decode(lines[k]);
            if (one.hasError()) d.badLines << k + 1;
        }
    }
    return d;
}

CsvFile readCsvBytes(const QByteArray& bytes, std::optional<Encoding> encoding, int skipLines) {
    CsvFile f;
    if (encoding == Encoding::ShiftJis || (!encoding && detectEncoding(bytes) == Encoding::ShiftJis)) {
        if (!shiftJisAvailable()) {
            f.error = QStringLiteral("この環境では Shift_JIS を読めません (iconv に CP932 がありません)");
            return f;
        }
    }
    const DecodedText d = decodeText(bytes, encoding);
    f.encoding = d.encoding;
    f.records = parseCsv(d.text, skipLines);
    // A line with bytes that could not be read spoils the record it belongs to.
    for (int bad : d.badLines) {
        auto it = std::upper_bound(f.records.begin(), f.records.end(), bad,
                                   [](int l, const CsvRecord& r) { return l < r.line; });
        if (it == f.records.begin()) continue;  // among the skipped lines
        CsvRecord& r = *(it - 1);
        if (r.problem.isEmpty())
            r.problem = QStringLiteral("%1 として読めない文字があります").arg(encodingLabel(d.encoding));
    }
    f.ok = true;
    return f;
}

}  // namespace io
