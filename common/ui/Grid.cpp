#include "ui/Grid.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <cmath>

#include "core/db/Convert.h"
#include "core/settings/Settings.h"

namespace ui {

double Twips_Per_Pixel() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return settings::Twips_Per_Pixel(s ? s->logicalDotsPerInchY() : 96.0);
}
int Px(double twips) { return static_cast<int>(std::lround(twips / Twips_Per_Pixel())); }
int Twips(int px) { return static_cast<int>(std::lround(px * Twips_Per_Pixel())); }

FlexGrid::FlexGrid(const QString& name, int columns, QWidget* parent) : QTableWidget(parent) {
    setObjectName(name);
    setColumnCount(columns);
    setRowCount(0);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setStretchLastSection(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    for (int c = 0; c < columns; ++c) setHorizontalHeaderItem(c, new QTableWidgetItem());
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) { emit Clicked_Row(row + 1); });
}

void FlexGrid::Set_Rows(int rows) { setRowCount(rows < 1 ? 0 : rows - 1); }

void FlexGrid::Set_Row(int row) {
    if (row >= 1 && row < Rows()) setCurrentCell(row - 1, currentColumn() < 0 ? 0 : currentColumn());
}

void FlexGrid::Set_Header(int col, const QString& text, int widthTwips) {
    horizontalHeaderItem(col)->setText(text);
    Set_Col_Width_Twips(col, widthTwips);
}

void FlexGrid::Fit_Column(int col, const QString& sample) {
    const int px = fontMetrics().horizontalAdvance(sample) + 10;
    if (columnWidth(col) < px) Set_Col_Width_Twips(col, Twips(px));
}

int FlexGrid::Col_Width_Twips(int col) const {
    const auto it = m_twips.find(col);
    if (it != m_twips.end() && Px(it.value()) == columnWidth(col)) return it.value();
    return Twips(columnWidth(col));
}
void FlexGrid::Set_Col_Width_Twips(int col, int twips) {
    m_twips.insert(col, twips);
    setColumnWidth(col, Px(twips));
}

QString FlexGrid::Text(int col, int row) const {
    if (col < 0 || col >= columnCount()) return {};
    if (row == 0) return horizontalHeaderItem(col)->text();
    const QTableWidgetItem* it = item(row - 1, col);
    return it ? it->text() : QString();
}

void FlexGrid::Set_Text(int col, int row, const QString& text) {
    if (col < 0 || col >= columnCount()) return;
    if (row == 0) {
        horizontalHeaderItem(col)->setText(text);
        return;
    }
    if (row < 1 || row >= Rows()) return;
    QTableWidgetItem* it = item(row - 1, col);
    if (!it) {
        it = new QTableWidgetItem();
        setItem(row - 1, col, it);
    }
    it->setText(text);
}

void FlexGrid::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier) {
        emit Delete_Pressed();
        return;
    }
    QTableWidget::keyPressEvent(e);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    QTableWidget::mouseDoubleClickEvent(e);
    emit Double_Clicked();
}

void Set_Cell(FlexGrid* g, int col, int row, const QVariant& value) {
    g->Set_Text(col, row, value.isNull() ? QString() : value.toString());
}

void Set_CellAlign(FlexGrid* g, int col, int row, int alignment) {
    if (row < 1 || row >= g->Rows()) return;
    QTableWidgetItem* it = g->item(row - 1, col);
    if (!it) {
        it = new QTableWidgetItem();
        g->setItem(row - 1, col, it);
    }
    Qt::Alignment a = Qt::AlignLeft | Qt::AlignVCenter;
    switch (alignment) {
        case 7: a = Qt::AlignRight | Qt::AlignVCenter; break;
        case 4: a = Qt::AlignCenter; break;
        default: break;
    }
    it->setTextAlignment(a);
}

QString Get_Cell(FlexGrid* g, int col, int row) {
    const int last = g->Rows() - 1;
    if (row > last) row = last;
    return g->Text(col, row);
}

int Find_Row(FlexGrid* g, int col, qint64 value) {
    for (int r = 1; r < g->Rows(); ++r) {
        const QString t = g->Text(col, r);
        const auto v = db::Numeric_Value(t);
        if (v && *v == static_cast<double>(value)) return r;
    }
    return 0;
}

qint64 Get_CellNum(FlexGrid* g, int col, int row) {
    if (row < 1 || row > g->Rows()) return 0;
    const QString t = Get_Cell(g, col, row);
    return db::Is_Numeric(t) ? db::To_Long(t, 0) : 0;
}

}  // namespace ui
