// The consistency check and the repair of balances, on sample books spoilt one way at a time.

#include <QDir>
#include <QSqlQuery>
#include <QThread>

#include "core/care/Backup.h"
#include "core/care/Check.h"
#include "core/db/Book.h"
#include "support/TestEnv.h"
#include "tools/SampleBook.h"

namespace {

using ledger::FindingKind;

class CheckTest : public AppTest {
  protected:
    void Sample(app::Program p, int rows = 120) {
        start(p);
        QString error;
        ASSERT_TRUE(sample::fillSample(book(), p, rows, &error)) << error.toStdString();
        m_program = p;
    }
    ledger::CheckResult Check() {
        const ledger::CheckResult r = ledger::checkBook(book(), m_program);
        EXPECT_TRUE(r.ran) << r.error.toStdString();
        return r;
    }
    // The only finding of a kind; fails when there is none or more than one.
    ledger::Finding Only(const ledger::CheckResult& r, FindingKind kind) {
        const QList<ledger::Finding> found = r.of(kind);
        EXPECT_EQ(found.size(), 1);
        return found.value(0);
    }
    // Everything the journal holds but the balances.
    QString JournalWithoutBalances() {
        return value(
                   "SELECT group_concat(CD||'|'||P_CD||'|'||K_DATE||'|'||K_CD||'|'||KINGAKU||'|'||BIKO, ';') "
                   "FROM (SELECT * FROM S01 ORDER BY CD)")
                   .toString() +
               value("SELECT group_concat(CD||'|'||NM||'|'||KIND, ';') FROM T01").toString();
    }
    app::Program m_program = app::Program::Purse;
};

TEST_F(CheckTest, EachSpoilingOfTheHouseholdBookIsNamedAndARepairRewritesOnlyTheBalances) {
    Sample(app::Program::Purse);
    EXPECT_TRUE(Check().clean());
    // The household book's tables are not the bank book's.
    EXPECT_FALSE(ledger::checkBook(book(), app::Program::Bank, ledger::CheckDepth::Structure).clean());
    sql("UPDATE S01 SET ZAN=ZAN+1 WHERE CD=5");
    sql("UPDATE S01 SET ZAN=0 WHERE CD=40");
    ledger::CheckResult r = Check();
    ASSERT_EQ(r.findings.size(), 1);
    const ledger::Finding balance = Only(r, FindingKind::WrongBalance);
    EXPECT_EQ(balance.records, (QList<qint64>{5, 40}));
    EXPECT_TRUE(balance.describe().contains(QStringLiteral("記録番号: 5, 40"))) << balance.describe().toStdString();
    const QString before = JournalWithoutBalances();
    const ledger::Repair repair = ledger::repairBalances(book(), app::Program::Purse);
    ASSERT_TRUE(repair.ok) << repair.error.toStdString();
    EXPECT_EQ(repair.changed, 2);
    EXPECT_TRUE(Check().clean());
    EXPECT_EQ(JournalWithoutBalances(), before);

    // An amount as text: its own finding, whatever else it upsets.
    sql("UPDATE S01 SET KINGAKU='1,000' WHERE CD=9");
    sql("UPDATE S01 SET K_DATE='2023/02/29' WHERE CD=10");
    sql("UPDATE S01 SET K_DATE='2023/2/3' WHERE CD=11");
    sql("UPDATE S01 SET K_CD=999 WHERE CD=12");
    sql("UPDATE S01 SET ZAN=NULL WHERE CD=13");
    r = Check();
    const QList<ledger::Finding> types = r.of(FindingKind::WrongType);
    ASSERT_EQ(types.size(), 2);
    EXPECT_TRUE(types[0].text.contains(QStringLiteral("S01.KINGAKU")));
    EXPECT_EQ(types[0].records, QList<qint64>{9});
    EXPECT_TRUE(types[1].text.contains(QStringLiteral("S01.ZAN")));
    EXPECT_EQ(types[1].records, QList<qint64>{13});
    EXPECT_EQ(Only(r, FindingKind::BadDate).records, (QList<qint64>{10, 11}));
    EXPECT_EQ(Only(r, FindingKind::Orphan).records, QList<qint64>{12});

    // A missing column or table is named, and the rows are not read at all then.
    sql("ALTER TABLE S01 DROP COLUMN BIKO");
    sql("DROP TABLE U01");
    r = Check();
    EXPECT_TRUE(Only(r, FindingKind::MissingColumn).text.contains(QStringLiteral("BIKO")));
    EXPECT_TRUE(Only(r, FindingKind::MissingTable).text.contains(QStringLiteral("U01")));
    EXPECT_EQ(r.findings.size(), 2);
}

TEST_F(CheckTest, TheBankBookNamesTheBankAndTheOrphanRow) {
    Sample(app::Program::Bank);
    EXPECT_TRUE(Check().clean());
    sql("UPDATE T01 SET ZAN=ZAN+1 WHERE CD=2");
    sql("UPDATE S01 SET K_CD=NULL WHERE CD=7");
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (100000,'2024/01/01',99,1,5,'')");
    const ledger::CheckResult r = Check();
    const QList<ledger::Finding> orphans = r.of(FindingKind::Orphan);
    ASSERT_EQ(orphans.size(), 2);
    EXPECT_EQ(orphans[0].records, QList<qint64>{7}) << "no item";
    EXPECT_EQ(orphans[1].records, QList<qint64>{100000}) << "no bank";
    EXPECT_EQ(Only(r, FindingKind::WrongType).records, QList<qint64>{7});
    const ledger::Finding balance = Only(r, FindingKind::WrongBalance);
    EXPECT_TRUE(balance.byCode);
    EXPECT_TRUE(balance.records.contains(2));
    EXPECT_TRUE(balance.describe().contains(QStringLiteral("コード")));

    const ledger::Repair repair = ledger::repairBalances(book(), app::Program::Bank);
    ASSERT_TRUE(repair.ok) << repair.error.toStdString();
    EXPECT_GE(repair.changed, 1);
    EXPECT_TRUE(Check().of(FindingKind::WrongBalance).isEmpty());
    EXPECT_TRUE(wrongBankBalances().isEmpty());
    EXPECT_EQ(Check().of(FindingKind::Orphan).size(), 2) << "a repair changes nothing but balances";
}

TEST_F(CheckTest, AFileIsCheckedInAWorkerThreadWhileTheBookStaysOpen) {
    Sample(app::Program::Purse, 300);
    const db::BackupResult copy = db::backupBook(book());
    ASSERT_TRUE(copy.ok()) << copy.error.toStdString();
    // Spoil the book after the copy: the copy's check must not see it.
    sql("UPDATE S01 SET ZAN=ZAN+1 WHERE CD=5");

    ledger::CheckResult ofCopy;
    QThread* worker = QThread::create([&] { ofCopy = ledger::checkFile(app::Program::Purse, copy.path); });
    worker->start();
    ASSERT_TRUE(worker->wait(60000));
    delete worker;
    EXPECT_TRUE(ofCopy.clean()) << (ofCopy.findings.isEmpty() ? ofCopy.error : ofCopy.findings[0].text).toStdString();
    EXPECT_EQ(Check().of(FindingKind::WrongBalance).size(), 1);
    EXPECT_EQ(QSqlDatabase::connectionNames(), QStringList{book().connection().connectionName()})
        << "the file's connection is gone";

    // Asked to stop (the program is closing), the check says it did not run: nothing to be told,
    // and it is due again next time.
    const std::atomic<bool> stop{true};
    const ledger::CheckResult stopped =
        ledger::checkFile(app::Program::Purse, copy.path, ledger::CheckDepth::Full, &stop);
    EXPECT_FALSE(stopped.ran);
    EXPECT_TRUE(stopped.findings.isEmpty());
}

}  // namespace

namespace {

// Recurring rules: a missing master, impossible values and a next date off the schedule are
// named by the rule's code; a finished rule is sound.
TEST_F(CheckTest, RecurringRulesWithMissingMastersOrImpossibleDatesAreNamed) {
    Sample(app::Program::Purse);
    const QString insert = QStringLiteral(
        "INSERT INTO R01 (CD,B_CD,K_CD,KINGAKU,BIKO,DAY,EVERY,S_DATE,E_DATE,N_DATE,SHIFT) VALUES "
        "(?,0,?,1000,NULL,27,?,'2024/01/01',?,?,2)");
    const qint64 category = value("SELECT MIN(CD) FROM T01").toLongLong();
    sql(insert, {1, category, 1, "", "2024/05/27"});            // sound
    sql(insert, {2, category, 1, "2024/03/31", "2024/04/27"});  // finished: sound
    sql(insert, {3, 9999, 1, "", "2024/05/27"});                // no such category
    sql(insert, {4, category, 4, "", "2024/05/27"});            // interval 4
    sql(insert, {5, category, 2, "", "2024/04/27"});            // every two months: January, March, May
    sql(insert, {6, category, 1, "", "2023/12/27"});            // before the start
    const ledger::CheckResult r = Check();
    ASSERT_EQ(r.of(FindingKind::Orphan).size(), 1);
    EXPECT_EQ(r.of(FindingKind::Orphan)[0].records, (QList<qint64>{3}));
    QList<qint64> bad;
    for (const ledger::Finding& f : r.of(FindingKind::BadRule)) bad << f.records;
    std::sort(bad.begin(), bad.end());
    EXPECT_EQ(bad, (QList<qint64>{4, 5, 6}));
}

}  // namespace
