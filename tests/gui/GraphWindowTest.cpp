#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>

#include "bank/BankWindows.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"

namespace {

class GraphWindowTest : public AppTest {};

// A line joins only neighbouring months that both have a value; the highest point has room
// above it, and a point tells its period and value.
TEST_F(GraphWindowTest, YearlyBankGraphSkipsEmptyMonthsAndFollowsTheChosenItemAndYear) {
    startBank("(1,'本店',0),(2,'支店',0)", "(1,'給与',0),(2,'食費',1)");
    addBankEntry(1, "2024/01/25", 1, 1, 5000);
    addBankEntry(2, "2024/03/10", 1, 2, 2000);
    addBankEntry(3, "2024/03/11", 1, 2, 500);
    addBankEntry(4, "2023/07/11", 1, 2, 800);
    session().reopenMasters();
    session().periodMode = 1;
    auto* w = shown(new bank::form_Graph(session()));
    EXPECT_EQ(child<QLineEdit>(w, "txt_b_cd")->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLineEdit>(w, "txt_k_cd")->text(), QStringLiteral("0"));
    EXPECT_EQ(child<QComboBox>(w, "cmb_k_nm")->itemText(0), QStringLiteral("0 残高"));
    EXPECT_FALSE(child<QFrame>(w, "frm_syukei_mode_0")->isVisible());
    ASSERT_TRUE(w->chart()->isVisible());
    EXPECT_EQ(seriesValues(w->series()).mid(0, 4), (QList<qint64>{5000, -1, 2500, -1}));

    QChart* chart = w->chart()->chart();
    int linePoints = 0;
    QScatterSeries* marks = nullptr;
    for (QAbstractSeries* s : chart->series()) {
        if (auto* m = qobject_cast<QScatterSeries*>(s)) marks = m;
        if (auto* line = qobject_cast<QLineSeries*>(s)) {
            const auto pts = line->points();
            for (int i = 1; i < pts.size(); ++i) EXPECT_EQ(pts[i].x() - pts[i - 1].x(), 1.0);
            for (const QPointF& p : pts) EXPECT_NE(w->series()[int(p.x())].value, std::nullopt);
            linePoints += pts.size();
        }
    }
    EXPECT_EQ(linePoints, 2);
    auto* x = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->categoriesLabels().size(), 12);
    auto* y = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
    ASSERT_NE(y, nullptr);
    EXPECT_LE(y->min(), 0.0);
    EXPECT_GT(y->max(), 5000.0) << "the point of 5,000 does not touch the top";
    EXPECT_EQ(y->categoriesLabels().first(), QStringLiteral("0"));
    EXPECT_TRUE(y->categoriesLabels().contains(QStringLiteral("5,000")))
        << y->categoriesLabels().join(' ').toStdString();
    ASSERT_NE(marks, nullptr);
    emit marks->hovered(QPointF(0, 5000), true);
    EXPECT_EQ(w->hoverText(), QStringLiteral("/1  5,000円"));
    emit marks->hovered(QPointF(0, 5000), false);
    EXPECT_TRUE(w->hoverText().isEmpty());

    // An item's own series; a code the list lacks changes nothing; a period without entries
    // hides the chart.
    auto* item = child<QLineEdit>(w, "txt_k_cd");
    typeEnter(item, QStringLiteral("2"));
    EXPECT_EQ(child<QComboBox>(w, "cmb_k_nm")->currentText(), QStringLiteral("2 食費"));
    EXPECT_EQ(seriesValues(w->series()).mid(0, 3), (QList<qint64>{-1, -1, 2500}));
    typeEnter(item, QStringLiteral("9"));
    EXPECT_EQ(seriesValues(w->series()).mid(0, 3), (QList<qint64>{-1, -1, 2500}));
    EXPECT_TRUE(w->chart()->isVisible());
    typeEnter(item, QStringLiteral("2"));

    QTest::mouseClick(child<QPushButton>(w, "Command2"), Qt::LeftButton);  // 2025
    EXPECT_FALSE(w->chart()->isVisible());
    EXPECT_TRUE(w->series().isEmpty());
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);  // 2023
    ASSERT_TRUE(w->chart()->isVisible());
    EXPECT_EQ(seriesValues(w->series()).value(6), 800);
}

TEST_F(GraphWindowTest, PurseMonthHasOnePointPerEntryLabelledByDay) {
    startPurse("(1,'小遣い',0),(2,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
        "(1,1,'2024/05/05',1,10000,0),(2,1,'2024/05/05',2,300,0),(3,1,'2024/05/05',2,500,0),(4,2,'2024/05/"
        "20',2,200,0)");
    session().reopenMasters();
    auto* w = shown(new purse::form_Graph(session()));
    QStringList labels;
    for (const auto& p : w->series()) labels << p.label;
    EXPECT_EQ(labels, (QStringList{"/05", "/05", "/05", "/20"}));
    EXPECT_EQ(seriesValues(w->series()), (QList<qint64>{10000, 9700, 9200, 9000}));
    // The axis shows each entry's own label, also where several share a day.
    auto* x = qobject_cast<QCategoryAxis*>(w->chart()->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    QStringList shown = x->categoriesLabels();
    for (QString& s : shown) s.remove(QChar(0x200B));
    EXPECT_EQ(shown, labels);
}

}  // namespace
