// A book is kept safe: one program at a time, no death by a file-size limit, read-only books
// noticed at opening, numbers as an input method types them, real dates only, the household
// balances of a book from an earlier version made right once, and books of other versions.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "core/db/Book.h"
#include "core/settings/Settings.h"
#include "purse/PurseJournal.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/menu/MenuForm.h"
#include "ui/shell/Grid.h"

namespace {

class BookSafetyTest : public AppTest {
  protected:
    void purseWithCategories() { startPurse("(1,'給料',0),(2,'食費',1),(3,'臨時収入',0)"); }
    purse::form_S0101* journal() { return shown(new purse::form_S0101(session())); }
    QLineEdit* box(QWidget* w, const char* name) { return w->findChild<QLineEdit*>(QLatin1String(name)); }
    void write(QWidget* w, const QString& day, const QString& code, const QString& amount, const QString& note = {}) {
        typeFields(w, {{"txt_day", day}, {"txt_k_cd", code}, {"txt_kingaku", amount}, {"txt_biko", note}});
        QTest::mouseClick(child<QPushButton>(w, "cmd_input"), Qt::LeftButton);
    }
    qint64 count() { return value("SELECT count(*) FROM S01").toLongLong(); }
};

// ---- one program per book, read-only books -----------------------------------------------------

// Another program holds the book's lock (a living process holds it: this one). That a running
// program keeps it, and that a killed one's lock is taken over, the command-line test shows.
// Once the lock is free, the book opened read-only is said so and refuses every save.
TEST_F(BookSafetyTest, ABookInUseEndsTheStartUpAndAReadOnlyOneRefusesEverySave) {
    purseWithCategories();
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (1,1,'2024/05/01',1,5000,5000,'')");
    book().close();
    QLockFile other(session().databasePath() + QStringLiteral(".lock"));
    ASSERT_TRUE(other.tryLock(0));
    ui::form_Menu inUse(session(), purse::menuConfig());
    int code = 0;
    EXPECT_FALSE(inUse.startUp(&code));
    EXPECT_EQ(code, 2);
    const QString text = messages().takeTexts().value(0);
    EXPECT_TRUE(text.contains(QStringLiteral("moneta.mdb は他のプログラムで使用中です"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("dbinit"))) << "a book in use is not one to make";
    EXPECT_EQ(book().lastOpenFailure(), db::OpenFailure::InUse);
    other.unlock();

    QString error;
    ASSERT_TRUE(session().openBook(session().databasePath(), &error, true)) << error.toStdString();
    ASSERT_TRUE(book().isReadOnly());
    ui::form_Menu menu(session(), purse::menuConfig());
    ASSERT_TRUE(menu.startUp(&code));
    EXPECT_EQ(messages().takeTexts().value(0), QStringLiteral("読み取り専用で開きます"));
    settings::saveSetting(QStringLiteral("lastMonth"), QStringLiteral("5"));
    auto* w = journal();
    EXPECT_EQ(w->findChild<ui::FlexGrid*>(QStringLiteral("grd_S01"))->text(0, 1), QStringLiteral("1"));
    write(w, "2", "2", "300");
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("読み取り専用で開きます")});
    press(w, Qt::Key_F8);
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("読み取り専用で開きます")});
    EXPECT_EQ(count(), 1);
    w->close();
}

// ---- a file-size limit -----------------------------------------------------------------------

TEST_F(BookSafetyTest, AWriteBeyondTheFileSizeLimitFailsLikeAFullDisk) {
    purseWithCategories();
    app::surviveFileSizeLimit();
    auto* w = journal();
    write(w, "1", "1", "1000");
    ASSERT_EQ(count(), 1);
    messages().takeTexts();

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit low = old;
    low.rlim_cur = static_cast<rlim_t>(QFileInfo(session().databasePath()).size());
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
    typeFields(w, {{"txt_day", "2"}, {"txt_k_cd", "2"}, {"txt_kingaku", "300"}});
    box(w, "txt_biko")->setText(QString(30000, QLatin1Char('x')));  // more than the file may grow by
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmd_input")), Qt::LeftButton);
    ::setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("追加できません")});
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(box(w, "txt_biko")->text().size(), 30000) << "what was typed is not lost";
    EXPECT_EQ(box(w, "txt_kingaku")->text(), QStringLiteral("300"));
    EXPECT_EQ(value("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
    // The program goes on.
    write(w, "3", "2", "300");
    EXPECT_EQ(count(), 2);
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
}

// Root may write anywhere, so the check is made by an ordinary user in a child process.
TEST(ReadOnlyProbe, AFileOrFolderThatCannotBeWrittenIsSeenAsSuch) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString book = dir.filePath(QStringLiteral("moneta.mdb"));
    QString error;
    ASSERT_TRUE(db::createBook(app::Program::Purse, book, &error));
    EXPECT_TRUE(db::canWrite(book));
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto listable = readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QFile::setPermissions(dir.path(), listable);
    QFile::setPermissions(book, readable);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(3);
        ::_exit(db::canWrite(book) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QFile::setPermissions(dir.path(), listable | QFile::WriteOwner);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a read-only file in a read-only folder";
}

// ---- numbers and dates as typed ----------------------------------------------------------------

TEST_F(BookSafetyTest, FullWidthNumbersAreReadAndStoredPlainAndOnlyRealDaysAreTaken) {
    purseWithCategories();
    auto* w = journal();
    write(w, QString::fromUtf8("５"), QString::fromUtf8("１"), QString::fromUtf8("１，０００"));
    write(w, QString::fromUtf8("６"), QString::fromUtf8("２"), QString::fromUtf8("１２３"),
          QString::fromUtf8("メモ１２３"));
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(
        value("SELECT group_concat(K_DATE || ':' || K_CD || ':' || KINGAKU || ':' || BIKO, ' ') FROM S01").toString(),
        QString::fromUtf8("2024/05/05:1:1000: 2024/05/06:2:123:メモ１２３"))
        << "the note keeps what was typed";
    // The box shows the plain form once it is left.
    typeEnter(box(w, "txt_kingaku"), QString::fromUtf8("－５００"));
    EXPECT_EQ(box(w, "txt_kingaku")->text(), QStringLiteral("-500"));
    // The month box takes full-width digits too.
    typeText(box(w, "txt_date"), QString::fromUtf8("２０２４０２"));
    ASSERT_EQ(box(w, "txt_date")->text(), QStringLiteral("2024/02"));
    write(w, "30", "1", "100");
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("日付が正しくありません")});
    EXPECT_EQ(count(), 2);
    write(w, "29", "1", "100");
    EXPECT_EQ(value("SELECT K_DATE FROM S01 WHERE KINGAKU=100").toString(), QStringLiteral("2024/02/29"));
}

// ---- balances of a book from an earlier version ---------------------------------------------

// A book kept by an earlier version, with late balances and a chain broken by an empty page, is
// made right once, at its first opening by this version.
TEST_F(BookSafetyTest, AnOldHouseholdBookIsRecomputedOnceAtItsFirstOpening) {
    startPurse("(1,'給料',0),(2,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (1,1,'2024/03/01',1,1000,1000,''),"
        "(2,3,'2024/05/01',2,100,-100,''),(3,3,'2024/05/02',2,50,999,'')");
    // An opening is the menu's start-up on the closed book.
    auto launch = [this] {
        book().close();
        ui::form_Menu menu(session(), purse::menuConfig());
        int code = 0;
        EXPECT_TRUE(menu.startUp(&code));
    };
    launch();
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    EXPECT_EQ(value("SELECT ZAN FROM S01 WHERE CD=3").toLongLong(), 850);
    // Remembered: a later opening leaves the book alone.
    sql("UPDATE S01 SET ZAN=1 WHERE CD=3");
    launch();
    EXPECT_EQ(value("SELECT ZAN FROM S01 WHERE CD=3").toLongLong(), 1);
}

// ---- books of other versions ------------------------------------------------------------------

// An older book that is only opened and closed keeps its shape: no window of the original design
// adds anything. A newer one, and one with a trigger, are opened read-only with the reason.
TEST_F(BookSafetyTest, OnlyOpeningABookNeverChangesItsShapeAndNewerOrTriggeredBooksAreOnlyRead) {
    purseWithCategories();
    sql("PRAGMA user_version = 0");
    auto shape = [this] {
        return value("SELECT group_concat(type || name, ',') FROM (SELECT * FROM sqlite_master ORDER BY name)")
                   .toString() +
               value("PRAGMA user_version").toString();
    };
    const QString old = shape();
    auto launch = [this] {
        book().close();
        ui::form_Menu menu(session(), purse::menuConfig());
        int code = 0;
        EXPECT_TRUE(menu.startUp(&code));
        messages().takeTexts();
        menu.close();
        QString error;
        EXPECT_TRUE(session().openBook(session().databasePath(), &error)) << error.toStdString();
    };
    launch();
    EXPECT_EQ(shape(), old);

    sql("CREATE TRIGGER wipe AFTER INSERT ON S01 BEGIN DELETE FROM S01; END");
    book().close();
    int code = 0;
    {
        ui::form_Menu menu(session(), purse::menuConfig());
        ASSERT_TRUE(menu.startUp(&code));
        EXPECT_TRUE(book().isReadOnly());
        EXPECT_EQ(messages().takeTexts().value(0),
                  QStringLiteral("このデータベースにはトリガー（wipe）があります。読み取り専用で開きます"));
    }
    book().close();
    {
        // The test's own connection, since the program's refuses to write this book.
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("by-hand"));
        c.setDatabaseName(session().databasePath());
        ASSERT_TRUE(c.open());
        QSqlQuery q(c);
        ASSERT_TRUE(q.exec(QStringLiteral("DROP TRIGGER wipe")));
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA user_version = 999")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("by-hand"));
    ui::form_Menu menu(session(), purse::menuConfig());
    ASSERT_TRUE(menu.startUp(&code));
    EXPECT_TRUE(book().isReadOnly());
    EXPECT_EQ(messages().takeTexts().value(0),
              QStringLiteral("このデータベースは新しいバージョンのプログラムで作られています。読み取り専用で開きます"));
    auto* w = journal();
    write(w, "2", "2", "300");
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("読み取り専用で開きます")});
    EXPECT_EQ(count(), 0);
    w->close();
}

// A book another tool left with amounts stored as text: a balance computed over them would count
// them as 0. Nothing the program writes on its own touches it, F8 neither, and the user is told.
TEST_F(BookSafetyTest, ABookWithTextAmountsIsLeftAsFoundByEveryWriteOfTheProgramsOwn) {
    purseWithCategories();
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (1,1,'2024/05/01',1,'1,000',0,''),"
        "(2,1,'2024/05/02',2,300,999,'')");
    book().close();
    const QByteArray found = fileBytes(session().databasePath());
    {
        ui::form_Menu menu(session(), purse::menuConfig());
        int code = 0;
        ASSERT_TRUE(menu.startUp(&code));
        QStringList told = messages().takeTexts().filter(QStringLiteral("kakeibo check \""));
        ASSERT_EQ(told.size(), 1) << "the recalculation at opening is skipped, and said once";
        EXPECT_TRUE(told[0].contains(session().databasePath())) << told[0].toStdString();

        auto* w = journal();
        press(w, Qt::Key_F8);
        EXPECT_EQ(messages().takeTexts().filter(QStringLiteral("kakeibo check \"")).size(), 1) << "F8 says it";
        press(w, Qt::Key_F10);
        EXPECT_TRUE(messages().takeTexts().filter(QStringLiteral("kakeibo check \"")).isEmpty()) << "once is enough";
        menu.exit();
    }
    EXPECT_TRUE(fileBytes(session().databasePath()) == found) << "byte for byte as found";
}

}  // namespace
