// Where the book lives and how the first start makes one: the folder chosen, the copy of the
// delivered empty book and the standard masters offered.

#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/db/Book.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/menu/AppMain.h"
#include "ui/shell/Msg.h"

namespace {

int mode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return st.st_mode & 0777;
}

class FirstStartTest : public AppTest {
  protected:
    bool launch(app::Program p) {
        book().close();
        menu = new ui::form_Menu(session(), p == app::Program::Bank ? bank::menuConfig() : purse::menuConfig());
        return menu->startUp(&exitCode);
    }
    // The data folder as the program chooses it without --data-dir, the per-user folder in `home`.
    void withoutDataDirOption(const QString& home) {
        qputenv("XDG_DATA_HOME", home.toLocal8Bit());
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(app::product().settingsApp);
        session().setDataDir({});
        session().places.resolveDataDir(session().product());
    }
    void TearDown() override {
        AppTest::TearDown();
        qunsetenv("XDG_DATA_HOME");
    }
    QStringList names(const char* table) {
        return value(QStringLiteral("SELECT group_concat(NM || ':' || KIND) FROM (SELECT * FROM %1 ORDER BY CD)")
                         .arg(QLatin1String(table)))
            .toString()
            .split(QLatin1Char(','));
    }
    ui::form_Menu* menu = nullptr;
    int exitCode = 0;
};

// The option wins even over a book beside the program; a portable copy, or the build tree, keeps
// its book beside the program; an installed program's folder holds none: the per-user folder.
TEST(BookPlace, TheOptionThenTheProgramsOwnFolderThenThePerUserFolder) {
    QTemporaryDir programDir;
    const QString program = programDir.path(), user = QStringLiteral("/home/someone/.local/share/Purse");
    ASSERT_TRUE(writeFile(QDir(program).filePath("moneta.mdb")));
    for (const auto& [option, book, dir] :
         {std::tuple{QStringLiteral("/books"), "moneta.mdb", QStringLiteral("/books")},
          std::tuple{QString(), "moneta.mdb", program}, std::tuple{QString(), "bank.mdb", user}}) {
        const app::BookPlace place = app::chooseBookPlace(option, program, user, QString::fromLatin1(book));
        EXPECT_EQ(place.dir, dir) << book;
        EXPECT_EQ(place.fromOption, !option.isEmpty()) << book;
    }
}

TEST_F(FirstStartTest, APurseWithoutBookMakesOnePrivateCopyAndOffersTheStandardCategories) {
    start(app::Program::Purse, false);
    const QString home = dir() + QStringLiteral("/home/.local/share");
    withoutDataDirOption(home);
    EXPECT_EQ(session().places.dataFolder(), home + QStringLiteral("/Purse"));
    ASSERT_TRUE(launch(app::Program::Purse));
    const QString path = home + QStringLiteral("/Purse/moneta.mdb");
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(book().path(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(mode(path), 0600) << "the book is the user's own";
    EXPECT_EQ(mode(home + QStringLiteral("/Purse")), 0700);
    // No question about making the book; the standard categories first, then the set-up messages.
    const QList<ui::Shown> shown = messages().takeShown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].buttons, ui::Buttons::YesNo);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("科目")));
    EXPECT_EQ(shown[1].text, QStringLiteral("システム設定を行ってください"));
    EXPECT_EQ(names("T01"),
              (QStringList{"給与:0", "臨時収入:0", "食費:1", "日用品:1", "交通費:1", "衣服:1", "医療費:1", "交際費:1",
                           "教養娯楽:1", "住居:1", "水道光熱費:1", "通信費:1", "保険:1", "税金:1", "雑費:1"}));
    EXPECT_EQ(value("SELECT count(*) FROM S01").toInt(), 0);
    // The categories are there, so the journal buttons are usable at once.
    EXPECT_TRUE(menu->findChild<QPushButton*>(QStringLiteral("cmd_S0101"))->isEnabled());

    // The next start opens the same book and asks nothing more.
    delete menu;
    ASSERT_TRUE(launch(app::Program::Purse));
    EXPECT_EQ(messages().takeTexts(), QStringList{QStringLiteral("システム設定を行ってください")});
}

TEST_F(FirstStartTest, TheStandardItemsOfTheBankBookCarryTheirKinds) {
    start(app::Program::Bank, false);
    withoutDataDirOption(dir() + QStringLiteral("/home"));
    ASSERT_TRUE(launch(app::Program::Bank));
    EXPECT_EQ(names("T02"), (QStringList{"給与:0", "賞与:0", "利息:0", "年金:0", "家賃:1", "光熱費:1", "通信費:1",
                                         "カード引落:1", "保険料:1", "税金:1", "振込手数料:1", "現金引出:1"}));
    EXPECT_EQ(value("SELECT count(*) FROM T01").toInt(), 0) << "banks are the user's own";
}

// Qt's own buttons speak Japanese: the real message box, not the scripted one.
TEST_F(FirstStartTest, QuestionBoxesShowJapaneseButtons) {
    start(app::Program::Purse);
    ui::loadQtTranslations();
    session().setMessages(std::make_shared<ui::MessageBoxes>());
    QStringList texts;
    // Escape answers as the box's own cancel or no button.
    auto read = [&texts](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons()) texts << b->text();
        QTest::keyClick(box, Qt::Key_Escape);
    };
    for (const auto& [buttons, answer] :
         {std::pair{ui::Buttons::OkCancel, ui::Answer::Cancel}, std::pair{ui::Buttons::YesNo, ui::Answer::No}}) {
        whenModal(read);
        EXPECT_EQ(session().show(nullptr, QStringLiteral("よろしいですか？"), ui::Icon::Question, buttons), answer);
    }
    session().setMessages(m_messages);
    EXPECT_TRUE(texts.contains(QStringLiteral("キャンセル"))) << texts.join(',').toStdString();
    EXPECT_TRUE(texts.filter(QStringLiteral("はい")).size() == 1) << texts.join(',').toStdString();
    EXPECT_TRUE(texts.filter(QStringLiteral("いいえ")).size() == 1) << texts.join(',').toStdString();
}

}  // namespace
