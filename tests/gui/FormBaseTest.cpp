#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "core/settings/Settings.h"
#include "support/TestEnv.h"
#include "ui/shell/FormBase.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"

namespace {

// A small entry window with the conventions, as the real windows use them.
class Sample : public ui::FormBase {
  public:
    explicit Sample(app::Session& s) : FormBase(s, QStringLiteral("銀行マスター")) {
        setObjectName(QStringLiteral("form_Sample"));
        resize(674, 568);
        a = new QLineEdit(this);
        a->setObjectName(QStringLiteral("txt_a"));
        a->setGeometry(8, 8, 100, 24);
        b = new QLineEdit(this);
        b->setObjectName(QStringLiteral("txt_b"));
        b->setGeometry(120, 8, 100, 24);
        c = new QLineEdit(this);
        c->setObjectName(QStringLiteral("txt_c"));
        c->setGeometry(240, 8, 100, 24);
        grid = new ui::FlexGrid(QStringLiteral("grd_T01"), 3, this);
        grid->setGeometry(8, 40, 600, 400);
        grid->setHeader(0, QStringLiteral("ｺｰﾄﾞ"), 1000);
        grid->setHeader(1, QStringLiteral("銀行名"), 5000);
        grid->setHeader(2, QStringLiteral("残高"), 3000);
        createFKeyBar(8, 500, 658);
        setFillWidget(grid);
        setFKey(1, QStringLiteral("入力"), [this] { ++f1; });
        setFKey(10, QStringLiteral("終了"), [this] { close(); });
        onEnter(a, [this] { return a->text() != QStringLiteral("bad"); });
        onEnter(b);
        onShiftLeft(c, a);
        onLeave(b, [this] { return b->text() != QStringLiteral("stay"); });
        setLayoutKeys(QStringLiteral("T0101"), grid, QStringLiteral("grd_T01ColWidth"), 3);
        restoreLayout();
    }
    QLineEdit *a, *b, *c;
    ui::FlexGrid* grid;
    int f1 = 0;
};

class FormBaseTest : public AppTest {
  protected:
    void SetUp() override {
        start(app::Program::Bank, false);
        form = new Sample(session());
        ASSERT_TRUE(showActive(form));
    }
    Sample* form = nullptr;
};

// Also held down (a repeat is no press) and pressed with Enter on the focused button; F10 closes.
TEST_F(FormBaseTest, FunctionKeysRunTheirActionEvenWhenTheButtonIsDisabled) {
    form->a->setFocus();
    QKeyEvent first(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(form->a, &first);
    QApplication::sendEvent(form->a, &repeat);
    QApplication::sendEvent(form->a, &repeat);
    EXPECT_EQ(form->f1, 1);
    ui::Set_FKeyEnabled(form, false);
    EXPECT_FALSE(form->fKey(1)->isEnabled());
    press(form->a, Qt::Key_F1);
    EXPECT_EQ(form->f1, 2);
    QTest::mouseClick(form->fKey(1), Qt::LeftButton);
    EXPECT_EQ(form->f1, 2) << "a disabled button itself cannot be clicked";
    ui::Set_FKeyEnabled(form, true);
    QTest::mouseClick(form->fKey(1), Qt::LeftButton);
    EXPECT_EQ(form->f1, 3);
    form->fKey(1)->setFocus();
    press(form->fKey(1), Qt::Key_Return);
    EXPECT_EQ(form->f1, 4);
    // A key without an action does nothing and its button has no caption.
    press(form->a, Qt::Key_F2);
    EXPECT_EQ(form->fKey(2)->text(), QString());
    EXPECT_TRUE(form->isVisible());
    press(form->a, Qt::Key_F10);
    EXPECT_FALSE(form->isVisible());
}

// The focused field is pink, the others white; a field whose check fails keeps the focus.
TEST_F(FormBaseTest, EnterMovesOnAfterTheFieldsCheckAndShiftLeftGoesBack) {
    form->a->setFocus();
    typeText(form->a, QStringLiteral("bad"));
    press(form->a, Qt::Key_Return);
    EXPECT_TRUE(form->a->hasFocus()) << "a failed check keeps the focus";
    EXPECT_EQ(form->a->palette().color(QPalette::Base), QColor(255, 192, 192));
    EXPECT_EQ(form->b->palette().color(QPalette::Base), QColor(255, 255, 255));
    typeText(form->a, QStringLiteral("good"));
    press(form->a, Qt::Key_Return);
    EXPECT_TRUE(form->b->hasFocus());
    EXPECT_EQ(form->a->palette().color(QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(form->b->palette().color(QPalette::Base), QColor(255, 192, 192));
    // Leaving by other means than Enter is checked too.
    typeText(form->b, QStringLiteral("stay"));
    form->c->setFocus();
    QTest::qWait(20);
    EXPECT_TRUE(form->b->hasFocus());
    typeText(form->b, QStringLiteral("ok"));
    press(form->b, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(form->c->hasFocus());
    press(form->c, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(form->a->hasFocus()) << "back to the field named for it, not the one before";
}

// The bar keeps to the bottom and the grid fills the rest; the captions stay readable when narrow.
TEST_F(FormBaseTest, BarKeepsToTheBottomAndTheGridFillsTheRest) {
    form->tickClock();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("銀行マスター - 2024/05/17 09:30"));
    form->setFKey(2, QStringLiteral("番号指定削除"), [] {});
    form->resize(800, 600);
    QApplication::processEvents();
    QWidget* bar = form->findChild<QWidget*>(QStringLiteral("Frame1"));
    EXPECT_EQ(bar->geometry().top(), 600 - 49 - 8);
    EXPECT_EQ(bar->height(), 49);
    EXPECT_EQ(form->grid->height(), 600 - 49 - 40 - 8);
    EXPECT_EQ(form->grid->width(), 800 - 16);
    for (int width : {800, 420}) {
        form->resize(width, 500);
        QApplication::processEvents();
        for (int n = 1; n <= 10; ++n)
            EXPECT_GE(form->fKey(n)->font().pointSizeF(), 8.0) << "F" << n << " at width " << width;
    }
    form->resize(50, 60);  // too small: left alone rather than negative
    EXPECT_GE(form->grid->height(), 0);
}

// The first opening is centred at the designed size; then the layout is stored in twips.
TEST_F(FormBaseTest, LayoutIsStoredInTwipsAndComesBack) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form->width(), 674);
    EXPECT_NEAR(form->geometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(form->geometry().center().y(), screen.center().y(), 2);
    form->setGeometry(100, 80, 700, 500);
    form->grid->setColumnWidth(1, 200);
    form->close();
    EXPECT_EQ(settings::getSetting(QStringLiteral("T0101WindowSate"), {}), QStringLiteral("0"));
    EXPECT_EQ(settings::getNumber(QStringLiteral("T0101Width"), 0), 700 * 15);
    EXPECT_EQ(settings::getNumber(QStringLiteral("T0101Height"), 0), 500 * 15);
    EXPECT_EQ(settings::getNumber(QStringLiteral("grd_T01ColWidth1"), 0), 3000);
    EXPECT_EQ(settings::getNumber(QStringLiteral("grd_T01ColWidth0"), 0), 1000);
    Sample again(session());
    EXPECT_EQ(again.width(), 700);
    EXPECT_EQ(again.height(), 500);
    EXPECT_EQ(again.grid->columnWidth(1), 200);
    EXPECT_EQ(again.grid->colWidthTwips(2), 3000);
}

TEST_F(FormBaseTest, GridRoutinesReadCellsAsTheWindowsDo) {
    ui::FlexGrid* g = form->grid;
    EXPECT_EQ(ui::Find_Row(g, 0, 12), 0) << "header only";
    g->setRows(6);
    ui::Set_Cell(g, 0, 3, 12);
    ui::Set_Cell(g, 0, 5, QStringLiteral("12"));
    ui::Set_Cell(g, 0, 4, QStringLiteral("abc"));
    ui::Set_Cell(g, 1, 5, QStringLiteral("last"));
    EXPECT_EQ(ui::Find_Row(g, 0, 12), 3);
    EXPECT_EQ(ui::Get_Cell(g, 1, 6), QStringLiteral("last")) << "one past the last row reads the last";
    EXPECT_EQ(ui::Get_Cell(g, 0, 0), QStringLiteral("ｺｰﾄﾞ"));
    EXPECT_EQ(ui::Get_CellNum(g, 0, 4), 0);
    EXPECT_EQ(ui::Get_CellNum(g, 0, 5), 12);
    EXPECT_EQ(ui::Get_CellNum(g, 0, 0), 0);
    ui::Set_CellAlign(g, 0, 3, 7);
    EXPECT_EQ(g->gridModel()->data(g->gridModel()->index(2, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
}

TEST_F(FormBaseTest, TypedMonthsComeOutPaddedNotMultipliedByTen) {
    ui::MonthBox box;
    ASSERT_TRUE(showActive(&box));
    auto typed = [&box](const char* keys) {
        box.clear();
        box.setCursorPosition(0);
        QTest::keyClicks(&box, QLatin1String(keys));
        const QString whileTyping = box.month();
        box.normalise();  // what Enter and leaving the box do
        EXPECT_EQ(box.month(), whileTyping);
        return box.displayText();
    };
    EXPECT_EQ(typed("20013"), QStringLiteral("2001/03"));
    EXPECT_EQ(typed("200112"), QStringLiteral("2001/12"));
    EXPECT_EQ(typed("2001"), QStringLiteral("2001/00")) << "no month typed lists nothing";
}

}  // namespace
