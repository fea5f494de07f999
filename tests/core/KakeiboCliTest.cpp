// The command-line tool as a user runs it: the built kakeibo and dbinit, their exit status and
// what they say; a running purse from the build holds a book's lock.

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include "support/TestEnv.h"

namespace {

struct Ran {
    int code = -1;
    QString out;
    QString err;
};

class KakeiboCli : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QProcessEnvironment Env() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }
    static QString Built(const char* name) {
        return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
    }
    Ran Tool(const char* name, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(Env());
        p.start(Built(name), args);
        Ran r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    Ran Kakeibo(const QStringList& args) { return Tool("kakeibo", args); }
    QString Path(const QString& rel) const { return m_dir.filePath(rel); }
    // A statement on a file, through a connection of the test's own.
    QVariant sql(const QString& file, const QString& sql) {
        QVariant v;
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli-test"));
            c.setDatabaseName(file);
            EXPECT_TRUE(c.open());
            QSqlQuery q(c);
            EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
            if (q.next()) v = q.value(0);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("cli-test"));
        return v;
    }
    // A book with sample rows; its path.
    QString Sample(int rows) {
        const Ran r = Kakeibo({QStringLiteral("init"), QStringLiteral("purse"), Path(QStringLiteral("book")),
                               QStringLiteral("--sample"), QString::number(rows)});
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return Path(QStringLiteral("book/moneta.mdb"));
    }
    QTemporaryDir m_dir;
};

TEST_F(KakeiboCli, UsageMistakesAndUnreadableFilesEndWithStatus2) {
    EXPECT_EQ(Kakeibo({}).code, 2);
    const Ran unknown = Kakeibo({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("frobnicate")));
    const Ran help = Kakeibo({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"init", "backup", "restore", "check", "upgrade", "list-backups"}) {
        EXPECT_TRUE(help.out.contains(QLatin1String(command))) << command;
        const Ran own = Kakeibo({QLatin1String(command), QStringLiteral("--help")});
        EXPECT_EQ(own.code, 0) << command;
        EXPECT_TRUE(own.out.contains(QStringLiteral("使い方: kakeibo %1").arg(QLatin1String(command)))) << command;
    }
    EXPECT_EQ(Kakeibo({QStringLiteral("check")}).code, 2);

    // A missing file and one that is no database are named.
    const QString junk = Path(QStringLiteral("junk.mdb"));
    ASSERT_TRUE(writeFile(junk, QByteArray(5000, 'j')));
    for (const auto& [command, file] :
         {std::pair{"check", Path(QStringLiteral("none/moneta.mdb"))}, std::pair{"backup", junk}}) {
        const Ran r = Kakeibo({QLatin1String(command), file});
        EXPECT_EQ(r.code, 2) << command;
        EXPECT_TRUE(r.err.contains(file)) << r.err.toStdString();
    }
}

TEST_F(KakeiboCli, InitMakesABookOnceAndDbinitIsTheSameCommand) {
    const QString dir = Path(QStringLiteral("new"));
    const Ran made = Kakeibo({QStringLiteral("init"), QStringLiteral("purse"), dir});
    EXPECT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains(QStringLiteral("moneta.mdb")));
    const Ran again = Kakeibo({QStringLiteral("init"), QStringLiteral("purse"), dir});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains(dir + QStringLiteral("/moneta.mdb"))) << again.err.toStdString();

    EXPECT_EQ(Tool("dbinit", {QStringLiteral("purse"), dir, QStringLiteral("--if-absent")}).code, 0);
    const Ran bank = Tool("dbinit", {QStringLiteral("bank"), dir, QStringLiteral("--preset")});
    EXPECT_EQ(bank.code, 0) << bank.err.toStdString();
    EXPECT_GT(sql(dir + QStringLiteral("/bank.mdb"), QStringLiteral("SELECT count(*) FROM T02")).toInt(), 0);
    const Ran usage = Tool("dbinit", {});
    EXPECT_EQ(usage.code, 2);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("dbinit bank|purse DIR")));
}

TEST_F(KakeiboCli, CheckNamesTheRecordAndRepairLeavesACleanBook) {
    const QString book = Sample(200);
    EXPECT_EQ(Kakeibo({QStringLiteral("check"), book}).code, 0);
    EXPECT_EQ(Kakeibo({QStringLiteral("check"), book, QStringLiteral("--fix")}).code, 2) << "an unknown option";
    sql(book, QStringLiteral("UPDATE S01 SET ZAN=ZAN+1 WHERE CD=5"));
    const Ran found = Kakeibo({QStringLiteral("check"), book});
    EXPECT_EQ(found.code, 1);
    EXPECT_TRUE(found.out.contains(QStringLiteral("記録番号: 5）"))) << found.out.toStdString();

    const Ran repaired = Kakeibo({QStringLiteral("check"), book, QStringLiteral("--repair")});
    EXPECT_EQ(repaired.code, 0) << repaired.out.toStdString() << repaired.err.toStdString();
    EXPECT_TRUE(repaired.out.contains(QStringLiteral("バックアップを作成しました")));
    EXPECT_TRUE(repaired.out.contains(QStringLiteral("残高を 1 件計算し直しました"))) << repaired.out.toStdString();
    EXPECT_EQ(Kakeibo({QStringLiteral("check"), book}).code, 0);

    // A spoilt backup keeps the spoilt balance: the copy was made before the repair.
    const QStringList lines =
        Kakeibo({QStringLiteral("list-backups"), book}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    const QString copy = lines[0].section(QLatin1Char(' '), -1);
    EXPECT_EQ(Kakeibo({QStringLiteral("check"), copy}).code, 1) << "a backup is checked by its tables";

    // What a recalculation cannot mend is left alone: an amount stored as text would count as 0.
    sql(book, QStringLiteral("UPDATE S01 SET KINGAKU='abc' WHERE CD=7"));
    const Ran text = Kakeibo({QStringLiteral("check"), book, QStringLiteral("--repair")});
    EXPECT_EQ(text.code, 1);
    EXPECT_TRUE(text.out.contains(QStringLiteral("KINGAKU"))) << text.out.toStdString();
    EXPECT_FALSE(text.out.contains(QStringLiteral("計算し直しました"))) << text.out.toStdString();
    sql(book, QStringLiteral("UPDATE S01 SET KINGAKU=1, ZAN=ZAN+1 WHERE CD=7"));
    sql(book, QStringLiteral("ALTER TABLE S01 DROP COLUMN BIKO"));
    const Ran refused = Kakeibo({QStringLiteral("check"), book, QStringLiteral("--repair")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.out.contains(QStringLiteral("BIKO")));
    EXPECT_EQ(Kakeibo({QStringLiteral("list-backups"), book}).out.count(QLatin1Char('\n')), 1) << "no copy made";
}

// purse, running, holds the book: every writing command waits for it to be gone.
TEST_F(KakeiboCli, BackupRestoreAndTheProgramThatHoldsTheBook) {
    const QString book = Sample(50);
    const Ran first = Kakeibo({QStringLiteral("backup"), book});
    EXPECT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("バックアップを作成しました")));
    const QString copy = first.out.trimmed().section(QStringLiteral(": "), 1);
    ASSERT_TRUE(QFile::exists(copy)) << copy.toStdString();

    // purse holds the book while it waits at its first message.
    QProcess purse;
    purse.setProcessEnvironment(Env());
    purse.start(Built("purse"), {QStringLiteral("--data-dir"), Path(QStringLiteral("book"))});
    ASSERT_TRUE(purse.waitForStarted());
    for (int i = 0; i < 400 && !QFile::exists(book + QStringLiteral(".lock")); ++i) QThread::msleep(25);
    ASSERT_TRUE(QFile::exists(book + QStringLiteral(".lock")));
    const QByteArray before = fileBytes(book);
    for (const QStringList& args :
         {QStringList{QStringLiteral("restore"), copy, book}, QStringList{QStringLiteral("backup"), book},
          QStringList{QStringLiteral("check"), book, QStringLiteral("--repair")}}) {
        const Ran r = Kakeibo(args);
        EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("%1 は他のプログラムで使用中です").arg(book))) << r.err.toStdString();
    }
    // Reading goes on.
    EXPECT_EQ(Kakeibo({QStringLiteral("check"), book}).code, 0);
    // Killed, purse leaves its lock behind: the next writer takes it over, and finds nothing new.
    purse.kill();
    purse.waitForFinished();
    EXPECT_TRUE(fileBytes(book) == before);
    EXPECT_TRUE(QFile::exists(book + QStringLiteral(".lock")));
    const Ran same = Kakeibo({QStringLiteral("backup"), book});
    EXPECT_EQ(same.code, 0);
    EXPECT_TRUE(same.out.contains(QStringLiteral("変更がない"))) << same.out.toStdString();

    sql(book, QStringLiteral("DELETE FROM S01"));
    const Ran restored = Kakeibo({QStringLiteral("restore"), copy, book});
    EXPECT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_EQ(sql(book, QStringLiteral("SELECT count(*) FROM S01")).toInt(), 50);
    const Ran foreign = Kakeibo({QStringLiteral("restore"), book, Path(QStringLiteral("other/bank.mdb"))});
    EXPECT_EQ(foreign.code, 1) << "a household book cannot become a bank book";
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("other/bank.mdb"))));

    // Another name: the program is told by the tables, the copies by the name.
    const QString renamed = Path(QStringLiteral("book/household.mdb"));
    ASSERT_TRUE(QFile::copy(book, renamed));
    EXPECT_EQ(Kakeibo({QStringLiteral("backup"), renamed}).code, 0);
    const Ran list = Kakeibo({QStringLiteral("list-backups"), renamed});
    EXPECT_EQ(list.code, 0);
    EXPECT_TRUE(list.out.contains(QStringLiteral("/backup/household-"))) << list.out.toStdString();
    EXPECT_FALSE(list.out.contains(QStringLiteral("moneta-")));
}

// A book of a newer version is only read; a trigger, which no book of ours has, is named by the
// check and keeps a copy from being restored.
TEST_F(KakeiboCli, UpgradeSaysWhenCurrentAndNewerOrTriggeredBooksAreNeverWritten) {
    const QString book = Sample(20);
    const Ran current = Kakeibo({QStringLiteral("upgrade"), book});
    EXPECT_EQ(current.code, 0) << current.err.toStdString();
    EXPECT_TRUE(current.out.contains(QStringLiteral("最新"))) << current.out.toStdString();

    const QString newer = Path(QStringLiteral("newer/moneta.mdb"));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("newer"))));
    ASSERT_TRUE(QFile::copy(book, newer));
    sql(newer, QStringLiteral("PRAGMA user_version = 999"));
    sql(newer, QStringLiteral("UPDATE S01 SET ZAN = ZAN + 1 WHERE CD = 1"));  // something to repair
    const QByteArray bytes = fileBytes(newer);
    for (const QStringList& args :
         {QStringList{QStringLiteral("check"), newer, QStringLiteral("--repair")},
          QStringList{QStringLiteral("upgrade"), newer}, QStringList{QStringLiteral("restore"), book, newer}}) {
        const Ran r = Kakeibo(args);
        EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("新しいバージョン"))) << r.err.toStdString();
    }
    EXPECT_TRUE(fileBytes(newer) == bytes);
    EXPECT_EQ(Kakeibo({QStringLiteral("restore"), newer, book}).code, 2) << "nor is it put in place of another";

    const QString triggered = Path(QStringLiteral("triggered/moneta.mdb"));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("triggered"))));
    ASSERT_TRUE(QFile::copy(book, triggered));
    sql(triggered, QStringLiteral("CREATE TRIGGER wipe AFTER INSERT ON S01 BEGIN DELETE FROM S01; END"));
    sql(triggered, QStringLiteral("CREATE VIEW everything AS SELECT * FROM S01"));
    const Ran check = Kakeibo({QStringLiteral("check"), triggered});
    EXPECT_EQ(check.code, 1);
    EXPECT_TRUE(check.out.contains(QStringLiteral("トリガー wipe"))) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("ビュー everything"))) << check.out.toStdString();
    const QByteArray kept = fileBytes(book);
    const Ran restore = Kakeibo({QStringLiteral("restore"), triggered, book});
    EXPECT_EQ(restore.code, 1);
    EXPECT_TRUE(restore.err.contains(QStringLiteral("wipe"))) << restore.err.toStdString();
    EXPECT_TRUE(fileBytes(book) == kept);
    const Ran import = Kakeibo({QStringLiteral("import"), triggered, QStringLiteral("--table"),
                                QStringLiteral("journal"), Path(QStringLiteral("none.csv"))});
    EXPECT_EQ(import.code, 2);
    EXPECT_TRUE(import.err.contains(QStringLiteral("トリガー（wipe）"))) << import.err.toStdString();
}

// A transfer from the command line; a link an older program broke, found by the check and
// forgotten by --repair-links with both rows kept; books that cannot take a transfer say why.
TEST_F(KakeiboCli, TransferAddCheckRepairLinksAndTheBooksThatRefuseATransfer) {
    const QString dir = Path(QStringLiteral("bank"));
    ASSERT_EQ(Kakeibo({QStringLiteral("init"), QStringLiteral("bank"), dir}).code, 0);
    const QString book = dir + QStringLiteral("/bank.mdb");
    sql(book, QStringLiteral("INSERT INTO T01 (CD, NM, ZAN) VALUES (1, 'A銀行', 0), (2, 'B銀行', 0)"));
    sql(book, QStringLiteral("INSERT INTO T02 (CD, NM, KIND) VALUES (1, '振替出金', 1), (2, '振替入金', 0)"));
    sql(book, QStringLiteral("INSERT INTO F02 (CD, OUT_K_CD, IN_K_CD) VALUES (1, 1, 2)"));
    const QStringList add{QStringLiteral("transfer"),   book,
                          QStringLiteral("add"),        QStringLiteral("--from"),
                          QStringLiteral("1"),          QStringLiteral("--to"),
                          QStringLiteral("2"),          QStringLiteral("--date"),
                          QStringLiteral("2024/05/10"), QStringLiteral("--amount"),
                          QStringLiteral("30000")};
    const Ran added = Kakeibo(add);
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    EXPECT_EQ(sql(book, QStringLiteral("SELECT group_concat(ZAN) FROM T01")).toString(),
              QStringLiteral("-30000,30000"));
    EXPECT_EQ(Kakeibo({QStringLiteral("check"), book}).code, 0);

    sql(book, QStringLiteral("DELETE FROM S01 WHERE CD = 2"));
    const Ran found = Kakeibo({QStringLiteral("check"), book});
    EXPECT_EQ(found.code, 1);
    EXPECT_TRUE(found.out.contains(QStringLiteral("振替（F01）: 振替の入金の記録がありません（コード: 1）")))
        << found.out.toStdString();
    const Ran mended = Kakeibo({QStringLiteral("check"), book, QStringLiteral("--repair-links")});
    EXPECT_TRUE(mended.out.contains(QStringLiteral("バックアップを作成しました"))) << mended.out.toStdString();
    EXPECT_TRUE(mended.out.contains(QStringLiteral("振替のつながりを 1 件取り除きました")));
    EXPECT_FALSE(mended.out.contains(QStringLiteral("振替（F01）")));
    EXPECT_EQ(sql(book, QStringLiteral("SELECT COUNT(*) FROM F01")).toInt(), 0);
    EXPECT_EQ(sql(book, QStringLiteral("SELECT COUNT(*) FROM S01")).toInt(), 1);

    // A book of a newer version is read only; an older one needs the upgrade first.
    sql(book, QStringLiteral("PRAGMA user_version = 999"));
    const Ran newer = Kakeibo(add);
    EXPECT_EQ(newer.code, 2);
    EXPECT_TRUE(newer.err.contains(QStringLiteral("新しいバージョン"))) << newer.err.toStdString();
    sql(book, QStringLiteral("DROP TABLE F01"));
    sql(book, QStringLiteral("DROP TABLE F02"));
    sql(book, QStringLiteral("PRAGMA user_version = 3"));
    const Ran older = Kakeibo(add);
    EXPECT_EQ(older.code, 2);
    EXPECT_TRUE(older.err.contains(QStringLiteral("kakeibo upgrade"))) << older.err.toStdString();
    EXPECT_EQ(sql(book, QStringLiteral("SELECT COUNT(*) FROM S01")).toInt(), 1);
}

// A writer killed in the middle of a transaction, after some of its pages reached the book: the
// book and its rollback journal as they lay at that moment, copied while a transaction is open.
TEST_F(KakeiboCli, AHalfWrittenChangeIsRolledBackBeforeAReadingCommandReads) {
    const QString book = Sample(5000);
    const QByteArray clean = fileBytes(book);
    QStringList folders;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        c.setDatabaseName(book);
        ASSERT_TRUE(c.open());
        QSqlQuery q(c);
        // A small cache spills the changed pages into the book before the commit.
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA cache_size=10")));
        ASSERT_TRUE(q.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE S01 SET BIKO='half', KINGAKU=KINGAKU+1")));
        for (const char* name : {"check", "export", "search", "list", "used", "locked", "backup"}) {
            const QString folder = Path(QStringLiteral("hot-%1").arg(QLatin1String(name)));
            const QString into =
                QLatin1String(name) == QLatin1String("backup") ? folder + QStringLiteral("/backup") : folder;
            ASSERT_TRUE(QDir().mkpath(into));
            ASSERT_TRUE(QFile::copy(book, into + QStringLiteral("/moneta.mdb")));
            ASSERT_TRUE(QFile::copy(book + QStringLiteral("-journal"), into + QStringLiteral("/moneta.mdb-journal")));
            folders << into;
        }
        ASSERT_TRUE(q.exec(QStringLiteral("ROLLBACK")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    ASSERT_FALSE(fileBytes(folders[0] + QStringLiteral("/moneta.mdb")) == clean) << "pages reached the book";

    const QStringList commands[] = {{QStringLiteral("check")},
                                    {QStringLiteral("export"), QStringLiteral("--table"), QStringLiteral("journal")},
                                    {QStringLiteral("search"), QStringLiteral("half")},
                                    {QStringLiteral("list-backups")}};
    for (int i = 0; i < 4; ++i) {
        const QString hot = folders[i] + QStringLiteral("/moneta.mdb");
        QStringList args = commands[i];
        args.insert(1, hot);
        const Ran r = Kakeibo(args);
        EXPECT_EQ(r.code, 0) << args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(hot + QStringLiteral("-journal"))) << args.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(hot + QStringLiteral(".lock"))) << "the lock is given back";
        EXPECT_EQ(sql(hot, QStringLiteral("SELECT count(*) FROM S01 WHERE BIKO='half'")).toInt(), 0);
    }
    EXPECT_TRUE(fileBytes(folders[0] + QStringLiteral("/moneta.mdb")) == clean) << "the half change is gone";

    // A living program holds the lock: the book is in use, and nothing is touched.
    const QString used = folders[4] + QStringLiteral("/moneta.mdb");
    {
        QLockFile lock(used + QStringLiteral(".lock"));
        ASSERT_TRUE(lock.tryLock(0));
        for (const QStringList& args :
             {QStringList{QStringLiteral("check"), used},
              QStringList{QStringLiteral("export"), used, QStringLiteral("--table"), QStringLiteral("masters")}}) {
            const Ran r = Kakeibo(args);
            EXPECT_EQ(r.code, 2);
            EXPECT_TRUE(r.err.contains(QStringLiteral("%1 は他のプログラムで使用中です").arg(used)))
                << r.err.toStdString();
        }
        EXPECT_TRUE(QFile::exists(used + QStringLiteral("-journal")));
    }
    // A folder that cannot be written: said so.
    if (::geteuid() != 0) {
        const QString locked = folders[5] + QStringLiteral("/moneta.mdb");
        QFile::setPermissions(folders[5], QFile::ReadOwner | QFile::ExeOwner);
        const Ran r = Kakeibo({QStringLiteral("check"), locked});
        QFile::setPermissions(folders[5], QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(QStringLiteral("書き込めない"))) << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(locked + QStringLiteral("-journal")));
    }
    // A copy in a backup folder is never changed.
    const QString copy = folders[6] + QStringLiteral("/moneta.mdb");
    const QByteArray copyBytes = fileBytes(copy);
    const Ran inBackup = Kakeibo({QStringLiteral("check"), copy});
    EXPECT_EQ(inBackup.code, 2);
    EXPECT_TRUE(inBackup.err.contains(QStringLiteral("バックアップが書き込みの途中です")))
        << inBackup.err.toStdString();
    EXPECT_TRUE(fileBytes(copy) == copyBytes && QFile::exists(copy + QStringLiteral("-journal")));
}

// A refused statement line quotes its values cut short: a huge field never becomes a huge message.
TEST_F(KakeiboCli, AHugeAmountIsRefusedInAShortMessage) {
    const QString book = Sample(20);
    const QString in = sql(book, QStringLiteral("SELECT min(CD) FROM T01 WHERE KIND=0")).toString();
    const QString out = sql(book, QStringLiteral("SELECT min(CD) FROM T01 WHERE KIND<>0")).toString();
    const QString csv = Path(QStringLiteral("huge.csv"));
    ASSERT_TRUE(writeFile(csv, "2024/05/01," + QByteArray(200000, '9') + "x,スーパー\n2024/05/02,-300,店\n"));
    const QByteArray before = fileBytes(book);
    const Ran r = Kakeibo({QStringLiteral("import"), book, csv, QStringLiteral("--page"), QStringLiteral("1"),
                           QStringLiteral("--amount-col"), QStringLiteral("2"), QStringLiteral("--text-col"),
                           QStringLiteral("3"), QStringLiteral("--item-in"), in, QStringLiteral("--item-out"), out});
    EXPECT_EQ(r.code, 1);
    EXPECT_LT(r.out.size() + r.err.size(), 4000) << r.err.left(300).toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("金額「99999"))) << r.err.left(300).toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("…」"))) << r.err.left(300).toStdString();
    EXPECT_TRUE(fileBytes(book) == before);
}

}  // namespace

namespace {

// Recurring entries from the command line: a rule added, what is due shown without writing,
// then posted once; a copy in backup/ and a book not yet upgraded are refused.
TEST_F(KakeiboCli, RecurringPostsWhatIsDueOnceAndNeverIntoACopy) {
    const QString dir = Path(QStringLiteral("bank"));
    ASSERT_EQ(Kakeibo({QStringLiteral("init"), QStringLiteral("bank"), dir, QStringLiteral("--preset")}).code, 0);
    const QString book = dir + QStringLiteral("/bank.mdb");
    sql(book, QStringLiteral("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'本店',0)"));
    const QString rent = sql(book, QStringLiteral("SELECT MIN(CD) FROM T02 WHERE KIND=1")).toString();
    auto recurring = [&](const QString& file, QStringList args) {
        return Kakeibo(QStringList{QStringLiteral("recurring"), file} + args);
    };
    const QStringList add{"add",     "--item",     rent,      "--amount", "80000",  "--day", "27",
                          "--start", "2024/03/01", "--shift", "after",    "--note", "家賃"};
    const Ran noBank = recurring(book, add + QStringList{"--bank", "9"});
    EXPECT_EQ(noBank.code, 2);
    EXPECT_TRUE(noBank.err.contains(QStringLiteral("銀行"))) << noBank.err.toStdString();
    const Ran added = recurring(book, add + QStringList{"--bank", "1"});
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    EXPECT_TRUE(recurring(book, {"list"}).out.contains(QStringLiteral("2024/03/27")));

    const Ran dry = recurring(book, {"post", "--until", "2024/04/30", "--dry-run"});
    EXPECT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_EQ(dry.out.count(QStringLiteral("定期入力 1")), 2) << dry.out.toStdString();
    EXPECT_EQ(sql(book, QStringLiteral("SELECT COUNT(*) FROM S01")).toInt(), 0);

    // A copy of the book in backup/ never takes the rows.
    QDir(dir).mkpath(QStringLiteral("backup"));
    ASSERT_TRUE(QFile::copy(book, dir + QStringLiteral("/backup/bank.mdb")));
    EXPECT_EQ(recurring(dir + QStringLiteral("/backup/bank.mdb"), {"post", "--until", "2024/04/30"}).code, 2);

    const Ran posted = recurring(book, {"post", "--until", "2024/04/30"});
    ASSERT_EQ(posted.code, 0) << posted.err.toStdString();
    EXPECT_TRUE(posted.out.contains(QStringLiteral("2024/04/30"))) << posted.out.toStdString();
    EXPECT_EQ(sql(book, QStringLiteral("SELECT ZAN FROM T01 WHERE CD=1")).toLongLong(), -160000);
    EXPECT_EQ(recurring(book, {"post", "--until", "2024/04/30"}).code, 0);
    EXPECT_EQ(sql(book, QStringLiteral("SELECT COUNT(*) FROM S01")).toInt(), 2);

    // The rules go to another book with their next date.
    const QString csv = Path(QStringLiteral("rules.csv"));
    ASSERT_EQ(Kakeibo({"export", book, "--table", "recurring", "--out", csv}).code, 0);
    const QString other = Path(QStringLiteral("other"));
    ASSERT_EQ(Kakeibo({QStringLiteral("init"), QStringLiteral("bank"), other, QStringLiteral("--preset")}).code, 0);
    sql(other + QStringLiteral("/bank.mdb"), QStringLiteral("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'本店',0)"));
    const Ran imported = Kakeibo({"import", other + QStringLiteral("/bank.mdb"), csv, "--table", "recurring"});
    EXPECT_EQ(imported.code, 0) << imported.err.toStdString();
    EXPECT_EQ(sql(other + QStringLiteral("/bank.mdb"), QStringLiteral("SELECT N_DATE || BIKO FROM R01")).toString(),
              QStringLiteral("2024/05/27家賃"));

    sql(book, QStringLiteral("PRAGMA user_version = 1"));
    const Ran old = recurring(book, {"list"});
    EXPECT_EQ(old.code, 2);
    EXPECT_TRUE(old.err.contains(QStringLiteral("kakeibo upgrade"))) << old.err.toStdString();
}

TEST_F(KakeiboCli, RecurringPostInAHouseholdBookNeedsItsPage) {
    const QString book = Sample(0);
    const Ran r = Kakeibo({"recurring", book, "post", "--until", "2024/04/30"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("--page"))) << r.err.toStdString();
}

}  // namespace
