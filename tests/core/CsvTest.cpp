#include <gtest/gtest.h>

#include "core/io/Csv.h"
#include "core/io/StatementDate.h"

using namespace io;

namespace {

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

TEST(Csv, QuotedFieldsSpanLinesEachRecordKnowsWhereItStartsAndOwnsItsBrokenQuoting) {
    const QString text = QStringLiteral(
        "a,\"b,c\",d\r\n"
        "\"two\r\nlines\",\"say \"\"hi\"\"\"\n"
        "\n"
        "last,");
    const QList<CsvRecord> r = parseCsv(text);
    ASSERT_EQ(r.size(), 4);
    EXPECT_EQ(r[0].line, 1);
    EXPECT_EQ(r[0].fields, (QStringList{"a", "b,c", "d"}));
    EXPECT_EQ(r[1].line, 2);
    EXPECT_EQ(r[1].fields, (QStringList{"two\r\nlines", "say \"hi\""}));
    EXPECT_EQ(r[2].line, 4);
    EXPECT_TRUE(r[2].isBlank());
    EXPECT_EQ(r[3].line, 5);
    EXPECT_EQ(r[3].fields, (QStringList{"last", ""}));
    for (const CsvRecord& rec : r) EXPECT_TRUE(rec.problem.isEmpty()) << rec.line;

    // Skipped lines are passed over as they are, however broken; numbering goes on.
    const QList<CsvRecord> skipped = parseCsv(QStringLiteral("\"broken preamble\nx,y\n"), 1);
    ASSERT_EQ(skipped.size(), 1);
    EXPECT_EQ(skipped[0].line, 2);
    EXPECT_EQ(skipped[0].fields, (QStringList{"x", "y"}));

    const QList<CsvRecord> broken = parseCsv(QStringLiteral("a,b\n\"x\"y,z\n\"open,c\nd\n"));
    ASSERT_EQ(broken.size(), 3);
    EXPECT_TRUE(broken[0].problem.isEmpty());
    EXPECT_FALSE(broken[1].problem.isEmpty());
    EXPECT_EQ(broken[2].line, 3);
    EXPECT_FALSE(broken[2].problem.isEmpty());
}

TEST(Csv, WrittenTablesReadBackFieldForFieldWithEmptyTextKeptApart) {
    CsvTable t;
    t.rows = {{"番号", "備考"}, {"1", "comma, \"quote\"\nnew line"}, {"2", ""}, {"3", ""}, {"4", " padded "}};
    t.emptyText.insert(CsvTable::cellKey(3, 1));
    const EncodedCsv e = encodeCsv(t, Encoding::Utf8);
    ASSERT_TRUE(e.unencodable.isEmpty());
    EXPECT_TRUE(e.bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(e.bytes.endsWith("4,\" padded \"\r\n"));
    const CsvFile f = readCsvBytes(e.bytes);
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.records.size(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(f.records[i].fields, t.rows[i]) << i;
    EXPECT_TRUE(f.records[2].emptyText.isEmpty());
    EXPECT_EQ(f.records[3].emptyText, QList<int>{1});
    EXPECT_EQ(f.records[4].line, 6);  // the note's line end counted
}

TEST(ShiftJis, Cp932CharactersRoundTripAndOnesItLacksAreNamedNeverReplaced) {
    ASSERT_TRUE(shiftJisAvailable());
    // 〜 and − as typed on Linux, ～ and － as Windows has them, NEC row 13 (①, ㈱) and an IBM
    // extension kanji, which Windows writes in the IBM range (FA/FB), as does this program.
    const QString typed = QStringLiteral("〜−～－①㈱纊髙\\~");
    QList<char32_t> missing;
    const QByteArray bytes = encodeShiftJis(typed, &missing);
    EXPECT_TRUE(missing.isEmpty());
    EXPECT_EQ(bytes.toHex(), QByteArray("8160817c8160817c8740878afa5cfbfc5c7e"));
    const DecodedText back = decodeText(bytes, Encoding::ShiftJis);
    EXPECT_EQ(back.text, QStringLiteral("～－～－①㈱纊髙\\~"));
    EXPECT_EQ(encodeShiftJis(back.text), bytes);  // read and written again: the same file
    // The NEC-selected code of the same kanji reads as it too; control bytes are themselves.
    EXPECT_EQ(decodeText(hex("ed401a1c7f"), Encoding::ShiftJis).text, QString::fromUtf16(u"纊\x1a\x1c\x7f"));

    // An emoji and ¥ (no cp932 character, though a naive encoder writes 5C) by row and column.
    CsvTable t;
    t.rows = {{"名前", "備考"}, {"a", "ok"}, {"b", QStringLiteral("絵😀と¥")}};
    const EncodedCsv e = encodeCsv(t, Encoding::ShiftJis);
    ASSERT_EQ(e.unencodable.size(), 2);
    EXPECT_EQ(e.unencodable[0].row, 3);
    EXPECT_EQ(e.unencodable[0].column, 2);
    EXPECT_EQ(e.unencodable[0].ch, char32_t(0x1F600));
    EXPECT_EQ(e.unencodable[1].ch, char32_t(0xA5));
    EXPECT_FALSE(e.bytes.contains('?'));
}

TEST(ShiftJis, DetectionAndUnreadableBytesNameTheirLine) {
    EXPECT_EQ(detectEncoding(QByteArray("\xEF\xBB\xBF") + "a,b"), Encoding::Utf8);
    EXPECT_EQ(detectEncoding(QStringLiteral("日付,金額").toUtf8()), Encoding::Utf8);
    EXPECT_EQ(detectEncoding(encodeShiftJis(QStringLiteral("日付,金額"))), Encoding::ShiftJis);
    // A lead byte followed by a comma: the comma still separates, the line is marked.
    const QByteArray bytes =
        encodeShiftJis(QStringLiteral("日付,金額\n")) + hex("81") + ",2\n" + encodeShiftJis(QStringLiteral("円,3\n"));
    const CsvFile f = readCsvBytes(bytes);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.encoding, Encoding::ShiftJis);
    ASSERT_EQ(f.records.size(), 3);
    EXPECT_TRUE(f.records[0].problem.isEmpty());
    EXPECT_FALSE(f.records[1].problem.isEmpty());
    EXPECT_EQ(f.records[1].fields.size(), 2);
    EXPECT_TRUE(f.records[2].problem.isEmpty());
    EXPECT_EQ(f.records[2].fields.first(), QStringLiteral("円"));
}

TEST(StatementDate, WesternAndEraFormsTimesOfDayAndEraDatesPastTheirEnd) {
    const std::pair<const char*, const char*> good[] = {
        {"2024/05/03", "2024/05/03"},
        {"2024-5-3", "2024/05/03"},
        {"2024.05.03", "2024/05/03"},
        {"20240503", "2024/05/03"},
        {"2024年5月3日", "2024/05/03"},
        {"２０２４／０５／０３", "2024/05/03"},
        {"R6.5.3", "2024/05/03"},
        {"R06/05/03", "2024/05/03"},
        {"r6-5-3", "2024/05/03"},
        {"令和6年5月3日", "2024/05/03"},
        {"令和元年5月1日", "2019/05/01"},
        {"R1.5.1", "2019/05/01"},
        {"H31.4.30", "2019/04/30"},
        {"平成31年4月30日", "2019/04/30"},
        {"平成元年1月8日", "1989/01/08"},
        {"S64.1.7", "1989/01/07"},
        {"昭和64年1月7日", "1989/01/07"},
        {"S1.12.25", "1926/12/25"},
        {"T15.12.24", "1926/12/24"},
        {"M45.7.29", "1912/07/29"},
        {"H12.2.29", "2000/02/29"},
        {" R６．５．３ ", "2024/05/03"},
        {"㍻31年4月30日", "2019/04/30"},
        // An era's dates after its end count on.
        {"H31.5.7", "2019/05/07"},
        {"平成31年6月1日", "2019/06/01"},
        {"H32.1.1", "2020/01/01"},
        {"S64.1.8", "1989/01/08"},
        {"T15.12.25", "1926/12/25"},
        // A time of day is no part of the date.
        {"2024/05/28 19:02:11", "2024/05/28"},
        {"2024-05-28T19:02", "2024/05/28"},
        {"R6.5.28 9:05", "2024/05/28"},
    };
    for (const auto& [in, out] : good)
        EXPECT_EQ(parseStatementDate(QString::fromUtf8(in)), std::optional<QString>(QString::fromUtf8(out))) << in;
    const char* bad[] = {"2024/02/30", "2023/2/29", "H31.2.30",   "R1.4.30", "2024/05/28 25",
                         "H1.1.7",     "S1.12.24",  "R0.5.1",     "X6.5.3",  "24/05/03",
                         "2024/13/01", "",          "令和6年5月", "M5.12.1", "2024/05/28 19:02:11 x"};
    for (const char* in : bad) EXPECT_FALSE(parseStatementDate(QString::fromUtf8(in))) << in;
}

}  // namespace
