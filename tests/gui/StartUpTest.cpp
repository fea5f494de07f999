#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/Password.h"
#include "core/care/Backup.h"
#include "core/db/Book.h"
#include "core/settings/Settings.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/menu/HelpWindow.h"
#include "ui/shell/Msg.h"

namespace {

const char* const kJournalButtons[] = {"cmd_S0101", "cmd_S01T0101", "cmd_S01T0102", "cmd_grp_S0101", "cmd_grp_S0102",
                                       "cmd_F1",    "cmd_F2",       "cmd_F3",       "cmd_F4",        "cmd_F5"};

class StartUpTest : public AppTest {
  protected:
    // A book of the program holding the rows the statements insert, its profile (U01) first.
    void startWith(app::Program p, std::initializer_list<const char*> inserts) {
        start(p);
        for (const char* statement : inserts) sql(statement);
    }
    // The household book of the tests below that need no password: a profile and one category.
    void startPurseBook() {
        startWith(app::Program::Purse, {"INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,'a',5,' ')",
                                        "INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0)"});
    }
    // Starts the program's menu as main() does, the database closed until start-up opens it.
    bool launch(app::Program p) {
        book().close();
        delete menu;
        menu = new ui::form_Menu(session(), p == app::Program::Bank ? bank::menuConfig() : purse::menuConfig());
        return menu->startUp(&exitCode);
    }
    bool enabled(const char* name) { return menu->findChild<QPushButton*>(QLatin1String(name))->isEnabled(); }
    // A function key pressed in the menu (F10 ends the program).
    void key(int k) { press(menu->findChild<QPushButton*>(QStringLiteral("cmd_End")), k); }
    // Answers the password prompt with each text in turn.
    void answerPrompt(QStringList answers) {
        whenModal([answers](QWidget* w) mutable {
            auto* box = w->findChild<QLineEdit*>(QStringLiteral("txt_pass"));
            auto* ok = w->findChild<QPushButton*>(QStringLiteral("Command1"));
            while (!answers.isEmpty() && w->isVisible()) {
                typeText(box, answers.takeFirst());
                if (answers.size() % 2)
                    press(box, Qt::Key_Return);  // Enter presses OK, as the button does
                else
                    QTest::mouseClick(ok, Qt::LeftButton);
            }
            if (w->isVisible()) w->close();
        });
    }
    QPointer<ui::form_Menu> menu;
    int exitCode = 0;
};

// Closing any window the menu opened enables every button again, whatever the book holds.
TEST_F(StartUpTest, AnEmptyBankBookAsksForSetUpAndLocksTheJournalButtonsUntilAWindowCloses) {
    start(app::Program::Bank);
    ASSERT_TRUE(launch(app::Program::Bank));
    EXPECT_EQ(messages().takeTexts(),
              (QStringList{QStringLiteral("システム設定を行ってください"), QStringLiteral("銀行を設定してください"),
                           QStringLiteral("項目を設定してください")}));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->findChild<QLabel*>(QStringLiteral("lbl_UserName"))->text(), QStringLiteral("未登録"));
    for (const char* b : kJournalButtons) EXPECT_FALSE(enabled(b)) << b;
    for (const char* b : {"cmd_T0101", "cmd_T0201", "cmd_U0101", "cmd_Help", "cmd_End", "cmd_F6", "cmd_F10"})
        EXPECT_TRUE(enabled(b)) << b;

    whenModal([this](QWidget* w) {
        EXPECT_EQ(w->objectName(), QStringLiteral("form_U0101"));
        EXPECT_FALSE(enabled("cmd_T0101")) << "the menu waits while a bank-book window is open";
        w->close();
    });
    key(Qt::Key_F6);  // the system information, whatever the focus
    for (const char* b : kJournalButtons) EXPECT_TRUE(enabled(b)) << b;
}

// The household book's windows stay beside a usable menu; help opens only when its file is there.
TEST_F(StartUpTest, AnEmptyHouseholdBookAsksOnlyForItsCategoriesAndItsWindowsComeForward) {
    start(app::Program::Purse);
    launch(app::Program::Purse);
    EXPECT_EQ(messages().takeTexts(),
              (QStringList{QStringLiteral("システム設定を行ってください"), QStringLiteral("科目を設定してください")}));
    for (const char* b : kJournalButtons) EXPECT_FALSE(enabled(b)) << b;

    menu->openTarget(ui::MenuTarget::SystemInfo);
    ui::FormBase* info = menu->openWindow(ui::MenuTarget::SystemInfo);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->isVisible());
    EXPECT_TRUE(enabled("cmd_U0101"));
    menu->openTarget(ui::MenuTarget::SystemInfo);
    EXPECT_EQ(menu->openWindow(ui::MenuTarget::SystemInfo), info) << "brought forward, not opened twice";
    key(Qt::Key_F8);  // no item master in purse
    EXPECT_EQ(QApplication::topLevelWidgets().count(QApplication::activeModalWidget()), 0);

    key(Qt::Key_F9);
    EXPECT_EQ(menu->findChild<ui::HelpWindow*>(), nullptr);
    ASSERT_TRUE(writeFile(session().helpPath(), "<html><body><h1>目次</h1></body></html>"));
    menu->help();
    auto* help = menu->findChild<ui::HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->shownText().contains(QStringLiteral("目次")));
}

// A profile without a password (NULL, as older books hold it) asks for none. Closing the prompt
// is no right password; three wrong ones (case counts) end the program.
TEST_F(StartUpTest, AFilledBookStartsQuietlyButAClosedPromptOrThreeWrongPasswordsEndTheProgram) {
    startWith(app::Program::Bank, {"INSERT INTO U01 (CD,NM,PASSWORD) VALUES (1,'山田 花子',NULL)",
                                   "INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'さくら銀行',0)",
                                   "INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0)"});
    ASSERT_TRUE(launch(app::Program::Bank));
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_EQ(menu->findChild<QLabel*>(QStringLiteral("lbl_UserName"))->text(), QStringLiteral("山田 花子"));
    for (const char* b : kJournalButtons) EXPECT_TRUE(enabled(b)) << b;

    sql("UPDATE U01 SET PASSWORD='Secret'");
    whenModal([](QWidget* w) { w->close(); });
    EXPECT_FALSE(launch(app::Program::Bank));
    EXPECT_FALSE(menu->isVisible());

    answerPrompt({QStringLiteral("secret"), QStringLiteral("SECRET"), QStringLiteral("x")});
    EXPECT_FALSE(launch(app::Program::Bank));
    EXPECT_NE(exitCode, 0);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(book().isOpen());
    const QString again = QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\nもう一度入力してください");
    EXPECT_EQ(messages().takeTexts(), (QStringList{again, again, QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います\r\n終了します")}));
}

// The folder was named on the command line: the program asks before making a book there, and
// makes one only after はい. A file that is no book of the program is named and left as it is.
TEST_F(StartUpTest, AMissingBookIsMadeOnlyAfterYesAndAForeignFileIsNamedAndLeftAlone) {
    start(app::Program::Purse, false);
    messages().pushAnswer(ui::Answer::No);
    EXPECT_FALSE(launch(app::Program::Purse));
    EXPECT_EQ(exitCode, 2);
    const QList<ui::Shown> shown = messages().takeShown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].buttons, ui::Buttons::YesNo);
    EXPECT_TRUE(shown[0].text.contains(QDir::toNativeSeparators(session().databasePath())));
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("moneta.mdb")));
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("dbinit purse")));
    EXPECT_EQ(shown[1].icon, ui::Icon::Critical);
    EXPECT_FALSE(QFile::exists(session().databasePath()));

    messages().pushAnswer(ui::Answer::Yes);  // make the book
    messages().pushAnswer(ui::Answer::No);   // no standard categories
    ASSERT_TRUE(launch(app::Program::Purse));
    EXPECT_EQ(messages().takeShown().value(0).text, shown[0].text);
    EXPECT_TRUE(QFile::exists(session().databasePath()));
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 0);
    key(Qt::Key_F10);

    ASSERT_TRUE(writeFile(session().databasePath(), QByteArray(4096, 'x')));
    EXPECT_FALSE(launch(app::Program::Purse));
    EXPECT_TRUE(messages().takeTexts().value(0).contains(QStringLiteral("moneta.mdb")));
    EXPECT_EQ(QFileInfo(session().databasePath()).size(), 4096);
}

// ---- what the program does for the book on its own ------------------------------------------

int backups(const app::Session& session) { return int(db::listBackups(session.databasePath()).size()); }

// The right password opens the menu, the mistakes before it counted; F10 ends the program.
TEST_F(StartUpTest, AnOldPlainPasswordBecomesItsHashBeforeAnyCopyIsWritten) {
    start(app::Program::Purse);
    sql("INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,'a',5,'Sesame-42')");
    answerPrompt({QStringLiteral("Sesame-42")});
    ASSERT_TRUE(launch(app::Program::Purse));
    EXPECT_TRUE(app::isHashed(value("SELECT PASSWORD FROM U01").toString()));
    key(Qt::Key_F10);
    EXPECT_EQ(m_endCode, 0);
    ASSERT_FALSE(book().isOpen());
    EXPECT_FALSE(fileBytes(session().databasePath()).contains("Sesame-42"));
    const QList<db::BackupInfo> copies = db::listBackups(session().databasePath());
    ASSERT_FALSE(copies.isEmpty());
    for (const db::BackupInfo& b : copies)
        EXPECT_FALSE(fileBytes(b.path).contains("Sesame-42")) << b.path.toStdString();

    // The next start asks for the same password and takes it against the hash.
    answerPrompt({QStringLiteral("sesame-42"), QStringLiteral("Sesame-42")});
    EXPECT_TRUE(launch(app::Program::Purse));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(session().passwordFailures, 1);
}

// A book another tool left with amounts stored as text is left as it was found: even its plain
// password waits until the book is mended, and the user is told why.
TEST_F(StartUpTest, APlainPasswordWaitsWhileTheBookHoldsTextAmounts) {
    startWith(app::Program::Bank, {"INSERT INTO U01 (CD,NM,PASSWORD) VALUES (1,'a','Sesame-42')",
                                   "INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'A銀行','1,000')"});
    book().close();
    const QByteArray found = fileBytes(session().databasePath());
    answerPrompt({QStringLiteral("Sesame-42")});
    ASSERT_TRUE(launch(app::Program::Bank));
    EXPECT_EQ(messages().takeTexts().filter(QStringLiteral("kakeibo check")).size(), 1);
    key(Qt::Key_F10);
    EXPECT_TRUE(fileBytes(session().databasePath()) == found);
}

TEST_F(StartUpTest, OpeningAndClosingCopyTheBookOnlyWhenItChangedAndKeepTheNewest) {
    startPurse("(1,'給与',0)");
    auto openAndClose = [this](const QString& change) {
        launch(app::Program::Purse);
        if (!change.isEmpty()) sql(change);
        key(Qt::Key_F10);
    };
    openAndClose({});
    EXPECT_EQ(backups(session()), 1);
    openAndClose({});
    EXPECT_EQ(backups(session()), 1) << "nothing changed";
    openAndClose(QStringLiteral("INSERT INTO T01 (CD,NM,KIND) VALUES (2,'食費',1)"));
    EXPECT_EQ(backups(session()), 2);

    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Purse"), QStringLiteral("Purse"))
        .setValue(QStringLiteral("backup/keep"), 3);
    for (int i = 3; i <= 7; ++i) openAndClose(QStringLiteral("INSERT INTO T01 (CD,NM,KIND) VALUES (%1,'x',1)").arg(i));
    EXPECT_EQ(backups(session()), 3);
}

TEST_F(StartUpTest, ACopyThatCannotBeWrittenIsSaidOnceAndTheBookOpensAnyway) {
    startPurseBook();
    // A file where the backup folder should be: no copy can go there.
    ASSERT_TRUE(writeFile(db::backupFolder(session().databasePath())));
    EXPECT_TRUE(launch(app::Program::Purse));
    EXPECT_TRUE(menu->isVisible());
    const QStringList shown = messages().takeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains(QStringLiteral("バックアップ"))) << shown.first().toStdString();
    sql("INSERT INTO T01 (CD,NM,KIND) VALUES (2,'食費',1)");
    key(Qt::Key_F10);
    EXPECT_TRUE(messages().takeTexts().isEmpty()) << "said once a run";
}

TEST_F(StartUpTest, TheWeeklyCheckOfTheFreshCopyNamesWhatIsWrongAndTheRepair) {
    startPurseBook();
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (5,1,'2024/05/01',1,100,101,NULL)");
    // The book was made right by this version before: only the check can see the wrong balance.
    settings::saveBookSetting(session().databasePath(), QStringLiteral("chain"), QStringLiteral("1"));
    launch(app::Program::Purse);
    menu->care().waitForCheck();
    const QStringList shown = messages().takeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains(QStringLiteral("5"))) << shown.first().toStdString();
    EXPECT_TRUE(shown.first().contains(QStringLiteral("kakeibo check --repair"))) << shown.first().toStdString();
    EXPECT_EQ(value("SELECT ZAN FROM S01 WHERE CD = 5").toLongLong(), 101) << "the live book is only read";

    // Within the week the check is not run again; a week later it is.
    for (const auto& [days, told] : {std::pair{3, 0}, std::pair{8, 1}}) {
        key(Qt::Key_F10);
        setNow(QDateTime(QDate(2024, 5, 17).addDays(days), QTime(9, 0)));
        launch(app::Program::Purse);
        menu->care().waitForCheck();
        EXPECT_EQ(messages().takeTexts().size(), told) << days;
    }
}

// A book kept by an earlier version may hold balances that were never recalculated: the copy made
// at opening keeps it as found, the one-time recalculation mends it, and the check that follows
// reads the mended copy, so it has nothing to say.
TEST_F(StartUpTest, AnOlderBookIsCopiedAsFoundThenMendedOnceAndTheCheckStaysQuiet) {
    startPurseBook();
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (5,1,'2024/05/01',1,100,101,NULL)");
    ASSERT_TRUE(launch(app::Program::Purse));
    menu->care().waitForCheck();
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    EXPECT_TRUE(wrongPurseBalances().isEmpty());

    QList<qint64> copied;
    for (const db::BackupInfo& b : db::listBackups(session().databasePath())) {
        const QString name = QStringLiteral("copy");
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            c.setDatabaseName(b.path);
            ASSERT_TRUE(c.open());
            QSqlQuery q(QStringLiteral("SELECT ZAN FROM S01 WHERE CD = 5"), c);
            ASSERT_TRUE(q.next());
            copied.append(q.value(0).toLongLong());
        }
        QSqlDatabase::removeDatabase(name);
    }
    std::sort(copied.begin(), copied.end());
    EXPECT_EQ(copied, (QList<qint64>{100, 101})) << "one copy as found, one as mended";
}

}  // namespace
