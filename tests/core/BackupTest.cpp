// Backups of the open book and restoring one: made only after a change, the newest kept,
// private files, and a restore that refuses what is not a sound book of the program.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "core/care/Backup.h"
#include "core/care/Check.h"
#include "core/db/Book.h"
#include "core/settings/Settings.h"
#include "support/TestEnv.h"

namespace {

const QFile::Permissions kOwnerRw = QFile::ReadOwner | QFile::WriteOwner;
const QFile::Permissions kOwnerRwx = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

class BackupTest : public AppTest {
  protected:
    void SetUp() override {
        startPurse("(1,'給料',0),(2,'食費',1)");
        Add(1000);
    }
    // Appends an income row of the same day, with its right balance.
    void Add(qint64 amount) {
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) "
            "SELECT COALESCE(MAX(CD),0)+1,1,'2024/05/01',1,?,COALESCE(SUM(KINGAKU),0)+?,'' FROM S01",
            {amount, amount});
    }
    static QDateTime At(int minute) { return QDateTime(QDate(2026, 12, 6), QTime(9, minute)); }
    db::BackupResult Backup(QDateTime now, bool force = false) { return db::backupBook(book(), {0, force, now}); }
    // The journal rows of a file other than the open book.
    qint64 RowsIn(const QString& path) {
        sql("ATTACH DATABASE ? AS copy", {path});
        const qint64 n = value("SELECT count(*) FROM copy.S01").toLongLong();
        sql("DETACH DATABASE copy");
        return n;
    }
    QString Book() { return session().databasePath(); }
    QString Folder() const { return QDir(dir()).filePath(QStringLiteral("backup")); }
};

// ---- making copies -------------------------------------------------------------------------------

TEST_F(BackupTest, ACopyIsMadeOnceAndAgainOnlyAfterAChange) {
    QList<int> progress;
    const db::BackupResult first =
        db::backupBook(book(), {0, false, At(30)}, [&](int done, int total) { progress << done << total; });
    ASSERT_EQ(first.outcome, db::BackupOutcome::Made) << first.error.toStdString();
    EXPECT_EQ(QFileInfo(first.path).fileName(), QStringLiteral("moneta-20261206-093000.mdb"));
    EXPECT_EQ(RowsIn(first.path), 1);
    ASSERT_GE(progress.size(), 2);
    EXPECT_EQ(progress[progress.size() - 2], progress.last()) << "the last report is all pages done";
    EXPECT_EQ(QFile::permissions(first.path) & 0x7077, kOwnerRw);
    EXPECT_EQ(QFile::permissions(Folder()) & 0x7077, kOwnerRwx);
    EXPECT_EQ(QFile::permissions(Book() + QStringLiteral(".lock")) & 0x7077, kOwnerRw);

    // Reading the book changes nothing.
    value("SELECT count(*) FROM S01");
    const db::BackupResult again = Backup(At(31));
    EXPECT_EQ(again.outcome, db::BackupOutcome::Unchanged);
    EXPECT_EQ(again.path, first.path);

    Add(300);
    const db::BackupResult changed = Backup(At(32));
    ASSERT_EQ(changed.outcome, db::BackupOutcome::Made) << changed.error.toStdString();
    EXPECT_EQ(RowsIn(changed.path), 2);
    // A second copy within the same second gets a number.
    const db::BackupResult sameSecond = Backup(At(32), true);
    EXPECT_EQ(QFileInfo(sameSecond.path).fileName(), QStringLiteral("moneta-20261206-093200-2.mdb"));

    const QList<db::BackupInfo> list = db::listBackups(Book());
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].path, sameSecond.path) << "newest first";
    EXPECT_EQ(list[2].path, first.path);
    EXPECT_EQ(list[2].time, At(30));

    // A copy deleted by hand is not taken for the book's latest state.
    QFile::remove(sameSecond.path);
    QFile::remove(changed.path);
    EXPECT_EQ(Backup(At(40)).outcome, db::BackupOutcome::Made);
}

TEST_F(BackupTest, TheNewestCopiesAreKeptAndNothingElseIsDeleted) {
    QSettings(settings::storeLocation(), QSettings::IniFormat).setValue(QStringLiteral("backup/keep"), 3);
    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QStringList strangers = {QStringLiteral("bank-20200101-000000.mdb"), QStringLiteral("moneta-old.mdb"),
                                   QStringLiteral("notes.txt")};
    for (const QString& name : strangers) ASSERT_TRUE(writeFile(QDir(Folder()).filePath(name)));
    QStringList made;
    for (int i = 0; i < 5; ++i) {
        const db::BackupResult r = Backup(At(i), true);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        made << r.path;
    }
    const QList<db::BackupInfo> list = db::listBackups(Book());
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].path, made[4]);
    EXPECT_EQ(list[2].path, made[2]);
    EXPECT_FALSE(QFile::exists(made[0]));
    for (const QString& name : strangers)
        EXPECT_TRUE(QFile::exists(QDir(Folder()).filePath(name))) << name.toStdString();

    // A copy made with the clock set back is still kept; the oldest of the others goes.
    const db::BackupResult back = Backup(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), true);
    EXPECT_TRUE(QFile::exists(back.path));
    EXPECT_EQ(back.removed, QStringList{made[2]});
}

// A backup killed before its rename leaves its temporary file; the next backup under the lock
// removes exactly such files of this book, and no listing or count ever takes one for a copy.
TEST_F(BackupTest, WhatKilledBackupsLeaveIsRemovedByTheNextOneAndNothingElse) {
    // Enough pages for the copy to take several steps, so that it can die between two.
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL "
        "SELECT i+1 FROM n WHERE i < 8000) SELECT i,1,'2024/05/01',2,1,0,hex(randomblob(100)) FROM n");
    for (int kill = 0; kill < 8; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            db::backupBook(book(), {0, true, At(kill)}, [](int done, int total) {
                if (done > 0 && done < total) ::kill(::getpid(), SIGKILL);
            });
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "killed in the middle of the copy";
    }
    const QDir folder(Folder());
    // Each killed backup removed the one before it: the last one's file is left.
    ASSERT_EQ(folder.entryList(QDir::Files).filter(QStringLiteral(".kakeibo-tmp")).size(), 1);
    EXPECT_TRUE(db::listBackups(Book()).isEmpty());
    // An earlier version's leftover, the other program's, and files that only look alike.
    const QStringList others = {QStringLiteral("bank.copy-AbC123.kakeibo-tmp"), QStringLiteral("moneta.tmp-AbC12"),
                                QStringLiteral("moneta.copy-AbC123.kakeibo-tmp.txt"), QStringLiteral("notes.txt")};
    for (const QString& name : others) ASSERT_TRUE(writeFile(folder.filePath(name)));
    ASSERT_TRUE(writeFile(folder.filePath(QStringLiteral("moneta.tmp-Q1w2E3")), "old"));
    ASSERT_TRUE(folder.mkdir(QStringLiteral("moneta.copy-ZZZZZZ.kakeibo-tmp")));

    QSettings(settings::storeLocation(), QSettings::IniFormat).setValue(QStringLiteral("backup/keep"), 1);
    const db::BackupResult good = Backup(At(30));
    ASSERT_EQ(good.outcome, db::BackupOutcome::Made) << good.error.toStdString();
    EXPECT_TRUE(good.removed.isEmpty()) << "leftovers are not copies";
    QStringList expected = others;
    expected << QFileInfo(good.path).fileName() << QStringLiteral("moneta.last");
    expected.sort();
    EXPECT_EQ(folder.entryList(QDir::Files, QDir::Name), expected);
    EXPECT_TRUE(folder.exists(QStringLiteral("moneta.copy-ZZZZZZ.kakeibo-tmp"))) << "a folder is not removed";
    EXPECT_EQ(RowsIn(good.path), 8000);
}

// ---- restoring -----------------------------------------------------------------------------------

TEST_F(BackupTest, ARestoreKeepsTheBookAsItWasAndOpensTheRestoredOne) {
    const db::BackupResult old = Backup(At(0));
    ASSERT_TRUE(old.ok());
    Add(300);
    Add(200);

    const db::RestoreResult r = db::restoreBook(old.path, Book(), app::Program::Purse, {}, &book());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(r.reopened);
    ASSERT_TRUE(book().isOpen());
    EXPECT_FALSE(book().isReadOnly());
    EXPECT_EQ(value("SELECT count(*) FROM S01").toLongLong(), 1);
    EXPECT_EQ(RowsIn(r.keptCopy), 3) << "the book as it was is one more backup";
    bool listed = false;
    for (const db::BackupInfo& b : db::listBackups(Book())) listed = listed || b.path == r.keptCopy;
    EXPECT_TRUE(listed);
    EXPECT_EQ(QFile::permissions(Book()) & 0x7077, kOwnerRw);
    // The restored book is a new file: its first backup is made.
    EXPECT_EQ(Backup(At(50)).outcome, db::BackupOutcome::Made);
}

TEST_F(BackupTest, ARestoreRefusesAReadOnlyBookOrABadFileAndTakesTheLockOfAClosedBook) {
    const db::BackupResult good = Backup(At(0));
    ASSERT_TRUE(good.ok());
    // Opened read-only, the book is neither copied, even when asked to, nor replaced.
    book().close();
    ASSERT_TRUE(book().open(Book(), nullptr, true));
    EXPECT_EQ(Backup(At(1), true).outcome, db::BackupOutcome::ReadOnly);
    EXPECT_FALSE(db::restoreBook(good.path, Book(), app::Program::Purse, {}, &book()).ok);
    book().close();
    const QByteArray bookBefore = fileBytes(Book());

    // A copy with its second page overwritten.
    const QString damaged = QDir(dir()).filePath(QStringLiteral("damaged.mdb"));
    ASSERT_TRUE(QFile::copy(good.path, damaged));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_GE(f.size(), 3 * 4096);
        f.seek(4096);
        f.write(QByteArray(4096, '\x5a'));
    }
    // The other program's book.
    const QString bank = QDir(dir()).filePath(QStringLiteral("other/bank.mdb"));
    QString error;
    ASSERT_TRUE(db::createBook(app::Program::Bank, bank, &error)) << error.toStdString();
    // Not a database at all.
    const QString text = QDir(dir()).filePath(QStringLiteral("text.mdb"));
    ASSERT_TRUE(writeFile(text, QByteArray(8192, 'x')));

    for (const QString& bad : {damaged, bank, text}) {
        const db::RestoreResult r = db::restoreBook(bad, Book(), app::Program::Purse);
        EXPECT_FALSE(r.ok) << bad.toStdString();
        EXPECT_TRUE(r.refused) << bad.toStdString();
        EXPECT_TRUE(r.error.contains(QFileInfo(bad).fileName())) << r.error.toStdString();
    }
    EXPECT_EQ(ledger::checkFile(app::Program::Purse, damaged).of(ledger::FindingKind::Damaged).size(), 1);
    EXPECT_TRUE(fileBytes(Book()) == bookBefore) << "the book is untouched";
    EXPECT_EQ(db::listBackups(Book()).size(), 1) << "nothing was copied or kept for a refused restore";

    // A copy with a rollback journal beside it is being written: refused, and left as it is.
    const QString journal = good.path + QStringLiteral("-journal");
    ASSERT_TRUE(writeFile(journal, QByteArray(512, '\0')));
    const QByteArray copyBefore = fileBytes(good.path);
    const db::RestoreResult writing = db::restoreBook(good.path, Book(), app::Program::Purse);
    EXPECT_TRUE(writing.refused);
    EXPECT_TRUE(writing.error.contains(QStringLiteral("バックアップが書き込みの途中です")))
        << writing.error.toStdString();
    EXPECT_TRUE(fileBytes(good.path) == copyBefore && QFile::exists(journal));
    EXPECT_TRUE(fileBytes(Book()) == bookBefore);
    QFile::remove(journal);

    // A closed book: the lock is taken for the restore and given back; unchanged since its
    // newest copy, that copy stands for the book as it was.
    const db::RestoreResult done = db::restoreBook(good.path, Book(), app::Program::Purse);
    ASSERT_TRUE(done.ok) << done.error.toStdString();
    EXPECT_FALSE(done.reopened);
    EXPECT_FALSE(QFile::exists(Book() + QStringLiteral(".lock")));
    EXPECT_TRUE(done.keptEarlier);
    EXPECT_EQ(done.keptCopy, good.path);
}

}  // namespace
