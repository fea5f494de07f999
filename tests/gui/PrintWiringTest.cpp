#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/db/Recordset.h"
#include "core/settings/Settings.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/shell/FormBase.h"
#include "ui/shell/Msg.h"

namespace {

// Every window's print button ends in a printout: here one PDF in the chosen folder.
class PrintWiringTest : public AppTest {
  protected:
    void begin(app::Program p) {
        start(p);
        session().places.printDir = dir() + QStringLiteral("/out");
    }
    void TearDown() override {
        session().places.printDir = QString();
        AppTest::TearDown();
    }
    ui::FormBase* Show(ui::FormBase* w) { return window = shown(w); }
    // Presses the print frame's button with the side chosen; the frame closes and the keys work again.
    void printFromFrame(bool front) {
        window->findChild<QRadioButton*>(front ? QStringLiteral("Option1_0") : QStringLiteral("Option1_1"))
            ->setChecked(true);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command6")), Qt::LeftButton);
        EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("frm_select_omote"))->isVisible());
        EXPECT_TRUE(window->fKey(1)->isEnabled());
    }
    // The pages of the one PDF written, and the message that named it; the file is then removed,
    // so that the next printout is again the only one.
    int printedPages() {
        const QStringList files = QDir(dir() + QStringLiteral("/out")).entryList({QStringLiteral("*.pdf")});
        EXPECT_EQ(files.size(), 1);
        if (files.isEmpty()) return 0;
        const QString path = dir() + QStringLiteral("/out/") + files.first();
        EXPECT_TRUE(messages().takeTexts().join(QLatin1Char('\n')).contains(path));
        const int pages =
            int(QString::fromLatin1(fileBytes(path)).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
        QFile::remove(path);
        return pages;
    }
    ui::FormBase* window = nullptr;
};

// The master list, the journal (of the side chosen in its frame) and the totals (at once, on
// the back margin, leaving the side alone) each print what they show.
TEST_F(PrintWiringTest, BankWindowsPrintTheirRowsOnTheChosenSide) {
    begin(app::Program::Bank);
    for (int i = 1; i <= 31; ++i)
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (?,?,0)", {i, QStringLiteral("銀行%1").arg(i)});
    for (int i = 1; i <= 20; ++i) {
        sql("INSERT INTO T02 (CD,NM,KIND) VALUES (?,?,1)", {i, QStringLiteral("項目%1").arg(i)});
        addBankEntry(i, "2024/05/03", 1, i, 100, "");
    }
    session().reopenMasters();
    Show(new bank::form_T0101(session()));
    press(window, Qt::Key_F9);
    printFromFrame(true);
    EXPECT_EQ(printedPages(), 2);
    EXPECT_FALSE(session().flg_Front) << "one full page was printed on the front";

    session().flg_Front = true;
    Show(bank::createJournal(session(), nullptr));
    press(window, Qt::Key_F9);
    printFromFrame(false);
    EXPECT_EQ(printedPages(), 1);
    EXPECT_FALSE(session().flg_Front);

    session().periodMode = 0;
    Show(new bank::form_S01T0101(session()));
    session().flg_Front = true;
    press(window, Qt::Key_F2);
    EXPECT_EQ(printedPages(), 2) << "twenty items, their empty rows and the total: 41 rows";
    EXPECT_TRUE(session().flg_Front) << "the bank book's totals leave the side alone";
}

// The journal prints the shown page; the totals ask for the side first.
TEST_F(PrintWiringTest, HouseholdJournalPrintsTheShownPageAndTotalsAskForTheSide) {
    begin(app::Program::Purse);
    sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'食費',1)");
    for (int i = 1; i <= 30; ++i)
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,1,'2024/05/10',1,100,?,'')",
            {i, -100 * i});
    session().reopenMasters();
    settings::saveSetting(QStringLiteral("lastMonth"), QStringLiteral("5"));  // page 1 is this month's
    Show(purse::createJournal(session(), nullptr));
    press(window, Qt::Key_F9);
    printFromFrame(true);
    EXPECT_EQ(printedPages(), 2) << "thirty rows fill a sheet; the end is found on the next";
    EXPECT_FALSE(session().flg_Front);

    session().flg_Front = true;
    session().periodMode = 1;
    Show(new purse::form_S01T0101(session()));
    press(window, Qt::Key_F2);
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("frm_select_omote"))->isVisible());
    printFromFrame(false);
    EXPECT_EQ(printedPages(), 1);
    EXPECT_FALSE(session().flg_Front);
}

}  // namespace
