#include "core/io/Search.h"
#include "support/TestEnv.h"
#include "tools/SampleBook.h"

using namespace io;

namespace {

SearchQuery text(const QString& text) {
    SearchQuery q;
    q.text = text;
    return q;
}

// The record numbers found, in order, written as SQLite's group_concat writes them.
QString numbers(const SearchResult& r) {
    QList<qint64> cds;
    for (const SearchHit& h : r.hits) cds << h.cd;
    std::sort(cds.begin(), cds.end());
    QStringList out;
    for (qint64 cd : cds) out << QString::number(cd);
    return out.join(QLatin1Char(','));
}

class SearchTest : public AppTest {};

TEST_F(SearchTest, FindsEveryRowWhoseNoteOrCategoryHoldsTheWord) {
    start(app::Program::Purse);
    QString error;
    ASSERT_TRUE(sample::fillSample(book(), app::Program::Purse, 3000, &error)) << error.toStdString();
    sql("UPDATE S01 SET BIKO = 'お昼のメモ書き' WHERE CD % 7 = 0");
    sql("UPDATE S01 SET BIKO = 'メモ' || CD WHERE CD % 11 = 0");
    const SearchResult r = search(book(), app::Program::Purse, text(QStringLiteral("メモ")));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_GT(r.hits.size(), 700);
    EXPECT_EQ(
        numbers(r),
        value("SELECT group_concat(CD) FROM (SELECT CD FROM S01 WHERE BIKO LIKE '%メモ%' ORDER BY CD)").toString());

    // A category's name finds its rows; amount and date limits narrow them down.
    SearchQuery q = text(QStringLiteral("外食"));
    q.minAmount = 1000;
    q.maxAmount = 2000;
    q.fromDate = value("SELECT MIN(K_DATE) FROM S01 WHERE CD > 1000").toString();
    const SearchResult dined = search(book(), app::Program::Purse, q);
    ASSERT_TRUE(dined.ok);
    EXPECT_EQ(numbers(dined), value("SELECT group_concat(CD) FROM (SELECT CD FROM S01 WHERE K_CD = 6 AND KINGAKU "
                                    "BETWEEN 1000 AND 2000 AND K_DATE >= ? ORDER BY CD)",
                                    {q.fromDate})
                                  .toString());
    ASSERT_FALSE(dined.hits.isEmpty());
    EXPECT_LT(*dined.hits.first().amount, 0);  // an expense, signed as the journal counts it
    EXPECT_EQ(dined.hits.first().codeName, QStringLiteral("外食"));
}

TEST_F(SearchTest, PercentUnderscoreAndBackslashAreFoundLiterally) {
    startBank("(1, 'A銀行', 0), (2, 'B_信金', 0)", "(1, '給与', 0), (2, '食費', 1)");
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES "
        "(1, '2024/05/01', 1, 2, 100, '50%引き'), (2, '2024/05/02', 1, 2, 100, '5000引き'), "
        "(3, '2024/05/03', 1, 2, 100, 'a_b'), (4, '2024/05/04', 1, 2, 100, 'axb'), "
        "(5, '2024/05/05', 1, 1, 100, 'c\\d'), (6, '2024/05/06', 2, 1, 100, 'ABC')");
    // The bank's name with its underscore finds that bank's rows, and only those; letters in either case.
    const std::pair<const char*, const char*> found[] = {
        {"50%", "1"}, {"a_b", "3"}, {"\\", "5"}, {"B_", "6"}, {"abc", "6"}};
    for (const auto& [word, cds] : found)
        EXPECT_EQ(numbers(search(book(), app::Program::Bank, text(QString::fromUtf8(word)))), QLatin1String(cds))
            << word;
    const SearchResult bank = search(book(), app::Program::Bank, text(QStringLiteral("B_")));
    ASSERT_EQ(bank.hits.size(), 1);
    EXPECT_EQ(bank.hits[0].bankName, QStringLiteral("B_信金"));
    EXPECT_EQ(bank.hits[0].amount, 100);
}

}  // namespace
