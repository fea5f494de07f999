// The tables under the grids, without a view: Qt's model tester, and the rows against the book.

#include <QAbstractItemModelTester>

#include "core/io/Import.h"
#include "core/models/ImportModels.h"
#include "core/models/JournalModels.h"
#include "core/models/MasterModels.h"
#include "core/models/TotalsModels.h"
#include "support/TestEnv.h"

namespace {

QStringList cells(const models::GridModel& m, int row) {
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c) out << m.data(m.index(row, c)).toString();
    return out;
}
bool right(const models::GridModel& m, int row, int col) {
    return m.data(m.index(row, col), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight;
}

class GridModelsTest : public AppTest {};

TEST_F(GridModelsTest, ABanksMonthShowsItsRowsWithAmountsUnderTheirKind) {
    start(app::Program::Bank);
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0),(2,'家賃',1)");
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (7,'2024/05/02',1,2,300,'x'),"
        "(3,'2024/05/01',1,1,1000,NULL),(9,'2024/05/03',1,99,40,''),(4,'2024/06/01',1,1,5,''),(5,'2024/05/"
        "01',2,1,5,'')");
    models::BankMonthModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.setRows(ledger::readBankMonth(book(), 1, QStringLiteral("2024/05")).rows);
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_EQ(cells(m, 0), (QStringList{"3", "2024/05/01", "1", "給与", "1000", "", ""}));
    EXPECT_EQ(cells(m, 1), (QStringList{"7", "2024/05/02", "2", "家賃", "", "300", "x"}));
    // An item missing from the master: no name, and the amount under 支出.
    EXPECT_EQ(cells(m, 2), (QStringList{"9", "2024/05/03", "99", "", "", "40", ""}));
    EXPECT_TRUE(right(m, 0, 4) && right(m, 1, 5));
    EXPECT_FALSE(right(m, 0, 3));
    EXPECT_EQ(m.rowAt(1)->cd, 7);
    EXPECT_EQ(m.rowAt(3), nullptr);
    m.clear();
    EXPECT_EQ(m.rowCount(), 0);
}

TEST_F(GridModelsTest, AHouseholdPageShowsTheDayAndTheBalanceAndAnEmptyPageOneEmptyRow) {
    startPurse("(1,'給料',0),(2,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (2,1,'2024/05/04',2,300,700,''),"
        "(1,1,'2024/05/03',1,1000,1000,'pay'),(3,2,'2024/06/01',2,1,699,'')");
    models::PageModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.setRows(ledger::readPage(book(), 1).rows);
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(cells(m, 0), (QStringList{"1", "03", "1", "給料", "1000", "", "1000", "pay"}));
    EXPECT_EQ(cells(m, 1), (QStringList{"2", "04", "2", "食費", "", "300", "700", ""}));
    EXPECT_EQ(m.rowOfRecord(2), 1);
    EXPECT_FALSE(m.rowOfRecord(3));
    EXPECT_EQ(m.rowAt(0)->kDate, QStringLiteral("2024/05/03"));
    for (int c : {4, 5, 6}) EXPECT_TRUE(right(m, 0, c)) << c;
    m.setRows(ledger::readPage(book(), 5).rows);
    ASSERT_EQ(m.rowCount(), 1);
    EXPECT_EQ(cells(m, 0), QStringList(8, QString()));
    EXPECT_EQ(m.rowAt(0), nullptr);
}

TEST_F(GridModelsTest, AMasterListTakesWrittenRowsInPlaceOrAtTheEnd) {
    start(app::Program::Bank);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'さくら',1000),(3,'みどり',NULL)");
    models::MasterListModel m(ledger::Master::Bank);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.setRows(ledger::readMasterList(book(), ledger::Master::Bank));
    EXPECT_EQ(m.rowTexts(), (QList<QStringList>{{"1", "さくら", "1000"}, {"3", "みどり", ""}}));
    EXPECT_TRUE(right(m, 0, 2)) << "a balance is an amount";
    EXPECT_EQ(m.put({3, QStringLiteral("みどり信金"), 5, {}}, false), 1);
    EXPECT_EQ(m.put({2, QStringLiteral("新銀行"), 0, {}}, true), 2) << "unsorted until read again";
    // An update of a code the list does not show adds the row.
    EXPECT_EQ(m.put({9, QStringLiteral("外"), 0, {}}, false), 3);
    EXPECT_EQ(m.rowTexts().value(1), (QStringList{"3", "みどり信金", "5"}));
    EXPECT_EQ(m.rowOfCode(2), 2);

    models::MasterListModel items(ledger::Master::Item);
    items.setRows({{1, "給与", {}, 0}, {2, "家賃", {}, 1}, {3, "予備", {}, 2}, {4, "外部", {}, 7}, {5, "空", {}, {}}});
    EXPECT_EQ(
        items.rowTexts(),
        (QList<QStringList>{
            {"1", "給与", "収入"}, {"2", "家賃", "支出"}, {"3", "予備", ""}, {"4", "外部", "7"}, {"5", "空", "収入"}}));
    EXPECT_FALSE(right(items, 0, 2));
}

TEST_F(GridModelsTest, TotalsHaveAnEmptyRowAfterEachLineAndTheGrandTotalLast) {
    start(app::Program::Bank);
    ledger::TotalsTable t;
    t.lines = {{1, "給与", "収入", 2, 5000, 2500}, {3, "雑費", "支出", 3, -1000, -333}};
    t.grandTotal = 4000;
    models::TotalsModel withCount(true);
    QAbstractItemModelTester tester(&withCount, QAbstractItemModelTester::FailureReportingMode::Fatal);
    withCount.setTable(t);
    EXPECT_EQ(withCount.rowTexts(), (QList<QStringList>{{"1", "給与", "収入", "2", "合計", "5000", "2500"},
                                                        QStringList(7, QString()),
                                                        {"3", "雑費", "支出", "3", "合計", "-1000", "-333"},
                                                        QStringList(7, QString()),
                                                        {"", "", "", "", "総合計", "4000", ""}}));
    for (int c : {0, 3, 4, 5, 6}) EXPECT_TRUE(right(withCount, 0, c)) << c;
    models::TotalsModel purse(false);
    purse.setTable(t);
    EXPECT_EQ(purse.rowTexts().last(), (QStringList{"", "", "", "総合計", "4000", ""}));
    purse.clear();
    EXPECT_EQ(purse.rowCount(), 0);
}

TEST_F(GridModelsTest, AStatementsTickAndCodeChangedInThePreviewAreWhatIsWritten) {
    startBank("(1, 'A銀行', 0)", "(1, '給与', 0), (2, '食費', 1), (3, '雑費', 1)");
    io::ImportMapping mapping;
    mapping.amountColumn = 2;
    mapping.textColumns = {3};
    mapping.depositCode = 1;
    mapping.withdrawalCode = 2;
    io::ImportTarget target;
    target.bank = 1;
    io::ImportPreview p = io::previewStatementBytes(
        book(), "2024/05/10,1000,給与\r\n2024/05/12,-300,スーパー\r\n2024/05/13,-50,本\r\n合計,650,\r\n", mapping,
        target);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    models::ImportPreviewModel m(session().rs_T02);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.setPreview(p);
    using P = models::ImportPreviewModel;
    ASSERT_EQ(m.rowCount(), 4);
    EXPECT_EQ(cells(m, 1), (QStringList{"", "2", "2024/05/12", "", "300", "スーパー", "2 食費", "", "", "0"}));

    EXPECT_TRUE(m.setData(m.index(1, P::kTick), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(m.setData(m.index(2, P::kCode), 3));
    EXPECT_EQ(m.data(m.index(2, P::kCode)).toString(), QStringLiteral("3 雑費"));
    // The total line is passed over: it can be neither ticked nor given a code.
    EXPECT_FALSE(m.flags(m.index(3, P::kTick)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(m.setData(m.index(3, P::kTick), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(m.setData(m.index(3, P::kCode), 2));

    p.rows = m.rows();
    EXPECT_TRUE(io::applyStatement(book(), p).ok);
    EXPECT_EQ(value("SELECT group_concat(K_CD || '|' || KINGAKU || '|' || BIKO, ';') FROM S01").toString(),
              QStringLiteral("1|1000|給与;3|50|本"));
}

TEST_F(GridModelsTest, ImportRulesAndConditionsLeftWithoutTextAreNoneAndTheRestAreTrimmed) {
    start(app::Program::Bank);
    sql("INSERT INTO T02 (CD, NM, KIND) VALUES (2, '食費', 1)");
    session().reopenMasters();
    models::ImportRulesModel rules(session().rs_T02);
    QAbstractItemModelTester ruleTester(&rules, QAbstractItemModelTester::FailureReportingMode::Fatal);
    // A rule with no text would match every description.
    EXPECT_EQ(rules.append({}), 0);
    EXPECT_EQ(rules.append({QStringLiteral("x"), 9}), 1);
    EXPECT_TRUE(rules.setData(rules.index(1, models::ImportRulesModel::kContains), QStringLiteral(" ｶｰﾄﾞ ")));
    EXPECT_TRUE(rules.setData(rules.index(1, models::ImportRulesModel::kCode), 2));
    EXPECT_EQ(rules.data(rules.index(1, models::ImportRulesModel::kCode)).toString(), QStringLiteral("2 食費"));
    ASSERT_EQ(rules.rules().size(), 1);
    EXPECT_EQ(rules.rules()[0].contains, QStringLiteral("ｶｰﾄﾞ"));
    EXPECT_EQ(rules.rules()[0].code, 2);
    EXPECT_TRUE(rules.removeRow(1));
    EXPECT_TRUE(rules.rules().isEmpty());

    models::ImportSkipIfModel skipIf;
    QAbstractItemModelTester skipTester(&skipIf, QAbstractItemModelTester::FailureReportingMode::Fatal);
    skipIf.setRows({{QString(), QStringLiteral("家族")}, {QStringLiteral("3"), QString()}});
    EXPECT_TRUE(skipIf.setData(skipIf.index(1, 1), QStringLiteral(" 家族 ")));
    ASSERT_EQ(skipIf.conditions().size(), 1);
    EXPECT_EQ(skipIf.conditions()[0].column, QStringLiteral("3"));
    EXPECT_EQ(skipIf.conditions()[0].value, QStringLiteral("家族"));
}

}  // namespace
