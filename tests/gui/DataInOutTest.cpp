// Data in and out of the windows: every grid's CSV export (Ctrl+E), the statement import window
// (Ctrl+I) and the search window (Ctrl+F), driven by keys with files answered through the
// scripted messages, and the book read back.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include "bank/BankJournal.h"
#include "bank/BankWindows.h"
#include "core/io/Csv.h"
#include "core/ledger/Undo.h"
#include "purse/PurseJournal.h"
#include "support/TestEnv.h"
#include "ui/io/CsvExport.h"
#include "ui/io/ImportWindow.h"
#include "ui/io/SearchWindow.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"

namespace {

// What a cell of one of the import window's tables holds, read from the table's model.
QVariant cell(QWidget* window, const char* table, int row, int column, int role = Qt::DisplayRole) {
    return child<QTableView>(window, table)->model()->index(row, column).data(role);
}

// A UTF-8 file's lines, after its byte order mark.
QStringList utf8Lines(const QByteArray& bytes) {
    QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

class DataInOutTest : public AppTest {
  protected:
    void bankBook() { startBank("(1, 'A銀行', 0), (2, 'B銀行', 0)", "(1, '給与', 0), (2, '食費', 1)"); }
    void purseBook() { startPurse("(1, '給料', 0), (2, '食費', 1)"); }
    QString file(const QString& name, const QByteArray& bytes = {}) {
        const QString path = dir() + QLatin1Char('/') + name;
        EXPECT_TRUE(bytes.isEmpty() || writeFile(path, bytes));
        return path;
    }
    template <class W>
    W* open() {
        auto* w = new W(session());
        EXPECT_TRUE(showActive(w));
        m_window = w;
        return w;
    }
    // A Ctrl key where the focus is, else in the window last opened.
    void ctrl(int key) {
        QWidget* focus = QApplication::focusWidget();
        press(focus ? focus : m_window.data(), key, Qt::ControlModifier);
    }
    // Ctrl+I with the file answered; `inWindow` runs in the import window once it is open.
    void importWith(const QString& csv, std::function<void(ui::ImportWindow*)> inWindow) {
        messages().pushFile(csv);
        bool opened = false;
        whenModal([&](QWidget* modal) {
            opened = true;
            auto* w = qobject_cast<ui::ImportWindow*>(modal);
            ASSERT_NE(w, nullptr);
            inWindow(w);
            if (w->isVisible()) w->close();
        });
        ctrl(Qt::Key_I);
        EXPECT_TRUE(opened);
    }
    // Ctrl+F, the word typed and Enter; the search window once it is active, else null.
    ui::SearchWindow* searchFor(const QString& word) {
        ctrl(Qt::Key_F);
        auto* search = m_window->findChild<ui::SearchWindow*>();
        for (int i = 0; search && i < 200 && QApplication::activeWindow() != search; ++i) QTest::qWait(5);
        if (!search || QApplication::activeWindow() != search) return nullptr;
        typeEnter(child(search, "textEdit"), word);
        return search;
    }
    qint64 count() { return value("SELECT COUNT(*) FROM S01").toLongLong(); }
    QList<ledger::BookChange> changes;
    QPointer<QWidget> m_window;
};

// ---------------------------------------------------------------- export

TEST_F(DataInOutTest, CtrlEWritesEachGridsRowsAsUtf8OrRefusesShiftJisNamingWhatItLacks) {
    bankBook();
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES "
        "(1, '2024/05/05', 1, 1, 1234567, '給料, 5月'), (2, '2024/05/06', 1, 2, 300, '=1+1'), "
        "(3, '2024/05/07', 2, 2, 1000, 'other bank'), (4, '2024/05/08', 1, 2, 800, '寿司🍣')");
    auto* w = open<bank::form_S0101>();
    QStringList menu;
    for (QAction* a : child(w, "grd_S01")->actions()) menu << a->text().section(QLatin1Char('\t'), 0, 0);
    EXPECT_EQ(menu, (QStringList{"CSV出力...", "明細取込...", "検索..."}));
    typeEnter(child(w, "txt_b_cd"), "1");
    typeText(child(w, "txt_biko"), "memo");

    const QString path = file("month.csv");
    messages().pushFile(path);
    press(child(w, "txt_biko"), Qt::Key_E, Qt::ControlModifier);
    const QList<app::FileRequest> asked = messages().takeFileRequests();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].save);
    EXPECT_EQ(asked[0].filters, (QStringList{ui::kCsvUtf8Filter, ui::kCsvShiftJisFilter}));
    EXPECT_TRUE(asked[0].suggested.endsWith(QStringLiteral("銀行帳_A銀行_2024-05.csv")));
    // utf8Lines drops three bytes: without the byte order mark the header would lose 番.
    EXPECT_EQ(utf8Lines(fileBytes(path)),
              (QStringList{"番号,日付,科目ｺｰﾄﾞ,科目名,収入,支出,備考", "1,2024/05/05,1,給与,1234567,,\"給料, 5月\"",
                           "2,2024/05/06,2,食費,,300,'=1+1", "4,2024/05/08,2,食費,,800,寿司🍣"}));
    EXPECT_EQ(child<QLineEdit>(w, "txt_biko")->text(), QStringLiteral("memo"));
    EXPECT_TRUE(messages().takeTexts().isEmpty());
    const QStringList notes = messages().takeStatuses();
    EXPECT_TRUE(notes.size() == 1 && notes[0].contains(QStringLiteral("3 行を書き出しました")))
        << notes.join('\n').toStdString();

    // shiftJIS has no 🍣: nothing is written, the character and its line are named.
    const QString sjis = file("sjis.csv");
    messages().pushFile(sjis, ui::kCsvShiftJisFilter);
    ctrl(Qt::Key_E);
    EXPECT_FALSE(QFile::exists(sjis));
    const QList<app::Shown> shown = messages().takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].icon, app::Icon::Critical);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("U+1F363"))) << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("4 行目"))) << shown[0].text.toStdString();

    // A銀行's totals and the master lists write their rows without the grid's spacing.
    open<bank::form_S01T0101>();
    const QString totalsPath = file("totals.csv");
    messages().pushFile(totalsPath);
    ctrl(Qt::Key_E);
    EXPECT_EQ(utf8Lines(fileBytes(totalsPath)),
              (QStringList{"項目ｺｰﾄﾞ,項目名,項目分類,件数,,金額,平均", "1,給与,収入,1,合計,1234567,1234567",
                           "2,食費,支出,2,合計,-1100,-550", ",,,,総合計,1233467,"}));
    open<bank::form_T0101>();
    const QString banksPath = file("banks.csv");
    messages().pushFile(banksPath);
    ctrl(Qt::Key_E);
    EXPECT_EQ(utf8Lines(fileBytes(banksPath)).value(1), QStringLiteral("1,A銀行,0"));
    EXPECT_EQ(messages().takeStatuses().size(), 2);
}

// ---------------------------------------------------------------- statement import

const QByteArray kStatement =
    "日付,金額,摘要\r\n"
    "2024/05/10,\"1,000\",給与 5月分\r\n"
    "令和6年5月12日,-300,\"スーパー, 駅前\"\r\n";

TEST_F(DataInOutTest, BankStatementGoesIntoTheChosenBankOnceAndNotAtAllWithABadAmount) {
    bankBook();
    QObject::connect(&session(), &app::Session::changeRecorded, [this](const ledger::BookChange& c) { changes << c; });
    auto* w = open<bank::form_S0101>();
    const QString csv = file("statement.csv", kStatement);

    // Without a bank chosen nothing opens, and no file is asked for.
    ctrl(Qt::Key_I);
    EXPECT_EQ(messages().takeTexts(), QStringList{"明細を取り込む銀行を選んでください"});
    EXPECT_TRUE(messages().takeFileRequests().isEmpty());

    typeEnter(child(w, "txt_b_cd"), "2");
    // A line that cannot be read: nothing is written, the line is named, the window stays.
    importWith(file("bad.csv", "2024/05/10,1000,給与\n2024/05/11,12x4,本屋\n"), [&](ui::ImportWindow* iw) {
        QTest::mouseClick(child<QPushButton>(iw, "importButton"), Qt::LeftButton);
        EXPECT_TRUE(iw->isVisible()) << "the window stays, to read the file another way";
    });
    const QList<app::Shown> shown = messages().takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].icon, app::Icon::Critical);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("2 行目: 金額「12x4」が数ではありません")))
        << shown[0].text.toStdString();
    EXPECT_EQ(count(), 0);

    importWith(csv, [&](ui::ImportWindow* iw) {
        // The header line is skipped as a user skips it: one step up in the box.
        press(child<QSpinBox>(iw, "skipSpin"), Qt::Key_Up);
        EXPECT_EQ(iw->preview().tickedCount(), 2);
        // Saved under a name for this bank, for the next statement.
        typeText(child<QComboBox>(iw, "profileCombo")->lineEdit(), QStringLiteral("ネット明細"));
        QTest::mouseClick(child<QPushButton>(iw, "saveProfileButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(iw, "importButton"), Qt::LeftButton);
        EXPECT_FALSE(iw->isVisible());
    });
    EXPECT_EQ(messages().takeTexts(), QStringList{"2 件を追加しました (番号 1～2)"});
    EXPECT_EQ(messages().takeStatuses(), QStringList{"取り込み方「ネット明細」を保存しました"});
    EXPECT_EQ(value("SELECT group_concat(K_DATE || '|' || B_CD || '|' || K_CD || '|' || KINGAKU || '|' || BIKO, ';') "
                    "FROM (SELECT * FROM S01 ORDER BY CD)")
                  .toString(),
              QStringLiteral("2024/05/10|2|1|1000|給与 5月分;2024/05/12|2|2|300|スーパー, 駅前"));
    EXPECT_EQ(child<QLabel>(w, "lbl_zan")->text(), QStringLiteral("700"));
    EXPECT_EQ(child<ui::FlexGrid>(w, "grd_S01")->rows(), 3);
    EXPECT_EQ(child<QLineEdit>(w, "txt_rec_no")->text(), QStringLiteral("3")) << "入力 must not write over row 1";
    // Undo gets the rows as written, keyed by their record numbers.
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0].what, QStringLiteral("取込"));
    ASSERT_EQ(changes[0].parts.size(), 1);
    EXPECT_EQ(changes[0].parts[0].after.size(), 2);
    EXPECT_EQ(changes[0].parts[0].columns.value(0), QStringLiteral("CD"));

    // The same file again: both lines are duplicates, unticked with their reason.
    importWith(csv, [&](ui::ImportWindow* iw) {
        EXPECT_EQ(child<QSpinBox>(iw, "skipSpin")->value(), 1) << "the saved way of reading is loaded";
        EXPECT_EQ(iw->preview().tickedCount(), 0);
        const QString reason = cell(iw, "previewTable", 1, 7).toString();
        EXPECT_TRUE(reason.contains(QStringLiteral("帳簿にあります (番号 2)"))) << reason.toStdString();
        QTest::mouseClick(child<QPushButton>(iw, "importButton"), Qt::LeftButton);
    });
    EXPECT_EQ(messages().takeTexts(), QStringList{"追加した行はありません\n重複のため 2 件を取り込みませんでした"});
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(changes.size(), 1);
}

TEST_F(DataInOutTest, ACardStatementIsRecognisedAndReadWithTheWindowsNewChoices) {
    bankBook();
    auto* w = open<bank::form_S0101>();
    typeEnter(child(w, "txt_b_cd"), "1");
    const QString csv =
        file("card.csv",
             io::encodeShiftJis(QStringLiteral("ご利用日,ご利用店名,ご利用者,支払区分,ご利用金額,お支払金額,備考\r\n"
                                               ",山田 太郎 様,,,,,\r\n"
                                               "2024/05/03,ｱﾏｿﾞﾝ,本人,1回,\"1,980\",\"1,980\",\r\n"
                                               "2024/05/08,ｱﾏｿﾞﾝ 返品,本人,1回,-500,-500,\r\n"
                                               "2024/05/09,ｽｰﾊﾟｰ,家族,1回,700,700,\r\n"
                                               ",合計,,,\"2,180\",,\r\n")));
    importWith(csv, [&](ui::ImportWindow* iw) {
        EXPECT_EQ(child<QComboBox>(iw, "layoutCombo")->currentData().toString(), QStringLiteral("card"));
        EXPECT_TRUE(child<QCheckBox>(iw, "negateCheck")->isChecked());
        EXPECT_EQ(child<QSpinBox>(iw, "skipSpin")->value(), 1);
        EXPECT_EQ(iw->preview().tickedCount(), 3);
        EXPECT_EQ(cell(iw, "previewTable", 0, 7).toString(), QStringLiteral("日付のない行です"));
        // The card user's name joins the description; the family card's rows are left out.
        auto* more = child<QListWidget>(iw, "moreTextList");
        ASSERT_GE(more->count(), 3);
        EXPECT_EQ(more->item(2)->text(), QStringLiteral("3 ご利用者"));
        more->item(2)->setCheckState(Qt::Checked);
        QTest::mouseClick(child<QPushButton>(iw, "addSkipIfButton"), Qt::LeftButton);
        QAbstractItemModel* conditions = child<QTableView>(iw, "skipIfTable")->model();
        conditions->setData(conditions->index(0, 1), QStringLiteral("家族"));
        conditions->setData(conditions->index(0, 0), QStringLiteral("ご利用者"));
        EXPECT_EQ(iw->preview().tickedCount(), 2);
        QTest::mouseClick(child<QPushButton>(iw, "importButton"), Qt::LeftButton);
    });
    EXPECT_EQ(messages().takeTexts(),
              QStringList{"2 件を追加しました (番号 1～2)\n条件に当たった 1 件を読み飛ばしました\n"
                          "2 行目: 読み飛ばしました (日付のない行です)\n"
                          "6 行目: 読み飛ばしました (日付のない行です)"});
    EXPECT_EQ(value("SELECT group_concat(K_DATE || '|' || K_CD || '|' || KINGAKU || '|' || BIKO, ';') "
                    "FROM (SELECT * FROM S01 ORDER BY CD)")
                  .toString(),
              QStringLiteral("2024/05/03|2|1980|ｱﾏｿﾞﾝ 本人;2024/05/08|1|500|ｱﾏｿﾞﾝ 返品 本人"));
}

// ---------------------------------------------------------------- search

TEST_F(DataInOutTest, BankSearchShowsTheFoundRowsMonthInTheJournal) {
    bankBook();
    sql("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES "
        "(1, '2024/05/05', 1, 2, 300, 'パン'), (2, '2024/03/02', 2, 2, 100, 'a'), (3, '2024/03/09', 2, 2, 480, "
        "'駅前の本屋'), (4, '2024/03/20', 2, 1, 90, 'b')");
    auto* w = open<bank::form_S0101>();
    auto* search = searchFor(QStringLiteral("本屋"));
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(child<QLabel>(search, "countLabel")->text(), QStringLiteral("1 件"));
    ASSERT_EQ(QApplication::focusWidget(), search->grid());
    EXPECT_EQ(search->grid()->text(1, 1), QStringLiteral("B銀行"));
    EXPECT_EQ(search->grid()->text(3, 1), QStringLiteral("-480"));

    press(search->grid(), Qt::Key_Return);
    EXPECT_EQ(child<QLineEdit>(w, "txt_b_cd")->text(), QStringLiteral("2"));
    EXPECT_EQ(child<ui::MonthBox>(w, "txt_date")->month(), QStringLiteral("2024/03"));
    auto* grid = child<ui::FlexGrid>(w, "grd_S01");
    EXPECT_EQ(grid->rows(), 4);
    EXPECT_EQ(grid->text(0, grid->row()), QStringLiteral("3"));
    EXPECT_TRUE(search->isVisible()) << "the search window stays for the next row";

    press(search->grid(), Qt::Key_Escape);
    EXPECT_FALSE(search->isVisible());
}

TEST_F(DataInOutTest, HouseholdImportKeepsToThePagesMonthAndSearchShowsAnotherPage) {
    purseBook();
    sql("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO) VALUES "
        "(1, 1, '2024/05/01', 1, 10000, 10000, 'x'), (2, 2, '2024/06/01', 2, 100, 9900, 'y'), "
        "(3, 2, '2024/06/02', 2, 200, 9700, 'お弁当'), (4, 3, '2024/07/01', 2, 50, 9650, 'z')");
    auto* w = open<purse::form_S0101>();
    press(w, Qt::Key_F6);  // 最初: page 1
    const QString csv = file("card.csv",
                             "2024/05/20,-500,コンビニ\r\n"
                             "2024/06/01,-800,翌月の買い物\r\n");
    importWith(csv, [&](ui::ImportWindow* iw) {
        EXPECT_EQ(cell(iw, "previewTable", 0, 0, Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_EQ(cell(iw, "previewTable", 1, 0, Qt::CheckStateRole).toInt(), Qt::Unchecked);
        EXPECT_EQ(cell(iw, "previewTable", 1, 7).toString(), QStringLiteral("ページの月 (2024/05) と違う月です"));
        EXPECT_TRUE(child<QLabel>(iw, "targetLabel")->text().contains(QStringLiteral("ページ 1 (2024/05)")));
        // Space unticks the current row, whichever cell is current, and ticks it again.
        auto* preview = child<QTableView>(iw, "previewTable");
        preview->setCurrentIndex(preview->model()->index(0, 5));
        press(preview, Qt::Key_Space);
        EXPECT_EQ(iw->preview().tickedCount(), 0);
        press(preview, Qt::Key_Space);
        EXPECT_EQ(iw->preview().tickedCount(), 1);
        QTest::mouseClick(child<QPushButton>(iw, "importButton"), Qt::LeftButton);
    });
    // The later pages' balances follow the row added to page 1.
    EXPECT_EQ(value("SELECT group_concat(CD || '|' || P_CD || '|' || K_DATE || '|' || ZAN, ';') FROM S01").toString(),
              QStringLiteral("1|1|2024/05/01|10000;2|2|2024/06/01|9400;3|2|2024/06/02|9200;4|3|2024/07/01|9150;"
                             "5|1|2024/05/20|9500"));
    EXPECT_EQ(child<ui::FlexGrid>(w, "grd_S01")->rows(), 3);

    auto* search = searchFor(QStringLiteral("弁当"));
    ASSERT_NE(search, nullptr);
    ASSERT_EQ(search->hits().size(), 1);
    press(search->grid(), Qt::Key_Return);
    EXPECT_EQ(w->page(), 2);
    auto* grid = child<ui::FlexGrid>(w, "grd_S01");
    EXPECT_EQ(grid->text(0, grid->row()), QStringLiteral("3"));
}

}  // namespace
