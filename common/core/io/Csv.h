#pragma once
// CSV files as spreadsheets and banks exchange them (RFC 4180), in UTF-8 or in shiftJIS as
// Windows writes it (Windows-31J, code page 932, with the NEC and IBM extension characters).
//
// Written: fields holding a comma, a double quote, CR or LF are quoted (quotes doubled), every
// record ends with CRLF. Read: LF or CRLF (a lone CR too) ends a record outside quotes, a quoted
// field may span lines and keeps its line ends as they are, and each record knows the line of
// the file it starts on.
//
// Empty text and no value: an empty field is no value (Null); a cell that holds empty text is
// written as "" so that a reader can tell the two apart (CsvRecord::emptyText).

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace io {

enum class Encoding { Utf8, ShiftJis };

// "utf8" / "sjis", and the usual other names ("utf-8", "shift_jis", "cp932", "windows-31j"),
// in any case; nullopt for anything else.
std::optional<Encoding> parseEncoding(const QString& name);
// "UTF-8" / "shiftJIS", as messages name them.
QString encodingLabel(Encoding e);

// ---------------------------------------------------------------- writing

// A spreadsheet opening a CSV file takes a cell that begins with = + - @, a tab or a carriage
// return as a formula, and a crafted text (a statement's description comes from a third party)
// could run there. Free-text cells are therefore written with one leading ' when they begin
// with one of those or with ' itself (so that reading back takes exactly one away). Which
// cells are free text is said by their column, never guessed from the value: an amount, a
// balance, a code or a date is written as it is, even when negative.
bool looksLikeFormula(const QString& text);
// The text as written into a free-text cell: with one ' in front when it looks like a formula.
QString guardFormula(const QString& text);
// The text of a free-text cell as read back from this program's own file: one leading ' less.
QString unguardFormula(const QString& text);

// A table to write: rows of fields (a header is simply the first row).
struct CsvTable {
    QList<QStringList> rows;
    // Free-text columns (from 0): their cells below the header are guarded (guardFormula).
    QSet<int> textColumns;
    // Cells holding empty text rather than no value, keyed by cellKey(row, column) (from 0).
    QSet<quint64> emptyText;
    static quint64 cellKey(int row, int column) { return (quint64(quint32(row)) << 32) | quint32(column); }
};

// A character the chosen encoding lacks: where it is (row and column counted from 1, as a
// spreadsheet shows them) and which it is.
struct Unencodable {
    int row = 0;
    int column = 0;
    char32_t ch = 0;
};

struct EncodedCsv {
    QByteArray bytes;                // the whole file; to be used only when `unencodable` is empty
    QList<Unencodable> unencodable;  // every character that could not be written, in file order
};

// The file's bytes. UTF-8 starts with a byte order mark when `bom` is set (spreadsheets then
// read it as UTF-8); shiftJIS has none. `raw` writes free-text cells unguarded (for scripts that
// want the stored text). Encoded field by field: a character the encoding lacks
// is left out of the bytes and named in `unencodable`, never replaced by another.
EncodedCsv encodeCsv(const CsvTable& table, Encoding encoding, bool bom = true, bool raw = false);

// Windows-31J, both ways. Before encoding, the characters that Linux input methods and
// converters give for the CP932 ones are taken as those (〜 U+301C as ～ U+FF5E, − U+2212 as
// － U+FF0D, and likewise ‖ ¢ £ ¬ —), so that text typed here can be written; reading gives the
// CP932 characters, so that a file read and written again stays the same.
// False when this system has no CP932 converter (glibc's iconv provides it).
bool shiftJisAvailable();
// The bytes of one text in Windows-31J; characters it lacks are left out and listed (as code
// points) in *missing when given.
QByteArray encodeShiftJis(const QString& text, QList<char32_t>* missing = nullptr);

// ---------------------------------------------------------------- reading

struct CsvRecord {
    int line = 0;  // the line of the file this record starts on, from 1
    QStringList fields;
    QList<int> emptyText;  // columns (from 0) written as "": empty text rather than no value
    QString problem;       // how the record breaks the format (Japanese); empty when well-formed
    bool isBlank() const;  // an empty line (or a record of empty fields only)
};

// The records of a file's text. The first `skipLines` lines are passed over as they are (a
// bank's preamble need not be CSV); line numbers still count from the top of the file.
QList<CsvRecord> parseCsv(const QString& text, int skipLines = 0);

// The encoding a file is read in: a UTF-8 byte order mark or valid UTF-8 means UTF-8; anything
// else is taken as shiftJIS.
Encoding detectEncoding(const QByteArray& bytes);

struct DecodedText {
    QString text;  // without a byte order mark
    Encoding encoding = Encoding::Utf8;
    QList<int> badLines;  // lines (from 1) holding bytes the encoding cannot read
};
// The text of a file's bytes, in the given encoding or the detected one. Bytes that cannot be
// read become U+FFFD and their lines are listed.
DecodedText decodeText(const QByteArray& bytes, std::optional<Encoding> encoding = std::nullopt);

struct CsvFile {
    bool ok = false;  // false: the file could not be read (see error)
    QString error;    // names the file (Japanese)
    Encoding encoding = Encoding::Utf8;
    QList<CsvRecord> records;  // a record holding unreadable bytes has its problem set
};
CsvFile readCsvBytes(const QByteArray& bytes, std::optional<Encoding> encoding = std::nullopt, int skipLines = 0);

// How a character is named in messages: 「😀」(U+1F600).
QString describeChar(char32_t ch);

}  // namespace io
