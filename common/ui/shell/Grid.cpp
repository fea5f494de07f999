#include "ui/shell/Grid.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <cmath>

#include "core/db/Convert.h"
#include "core/settings/Settings.h"

namespace ui {

double twipsPerPixel() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return settings::twipsPerPixel(s ? s->logicalDotsPerInchY() : 96.0);
}
int toPixels(double twips) { return static_cast<int>(std::lround(twips / twipsPerPixel())); }
int toTwips(int px) { return static_cast<int>(std::lround(px * twipsPerPixel())); }

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent) { setUp(); }

FlexGrid::FlexGrid(const QString& name, int columns, QWidget* parent) : QTableView(parent) {
    setObjectName(name);
    setUp();
    setGridModel(new models::TextTableModel(columns, this));
}

void FlexGrid::setUp() {
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    // The header row is drawn across the whole grid, also right of the last column.
    horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView { background-color: palette(button); }"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { emit clickedRow(i.row() + 1); });
}

void FlexGrid::setGridModel(models::GridModel* model) {
    // Column widths belong to the grid: they stay when the model comes.
    QHash<int, int> widths = m_twips;
    m_model = model;
    setModel(model);
    for (auto it = widths.begin(); it != widths.end(); ++it) setColWidthTwips(it.key(), it.value());
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now, const QModelIndex&) {
                if (now.isValid()) emit currentRowChanged(now.row() + 1);
            });
}

int FlexGrid::rows() const { return (m_model ? m_model->rowCount() : 0) + 1; }

void FlexGrid::setRows(int rows) {
    if (auto* texts = qobject_cast<models::TextTableModel*>(m_model)) texts->setRows(rows - 1);
}

int FlexGrid::row() const { return currentIndex().isValid() ? currentIndex().row() + 1 : 0; }

void FlexGrid::setRow(int row) {
    if (!m_model || row < 1 || row >= rows()) return;
    setCurrentIndex(m_model->index(row - 1, currentIndex().isValid() ? currentIndex().column() : 0));
}

void FlexGrid::setHeader(int col, const QString& text, int widthTwips) {
    if (m_model) m_model->setHeaderText(col, text);
    setColWidthTwips(col, widthTwips);
}

void FlexGrid::fitColumn(int col, const QString& sample) {
    const int px = fontMetrics().horizontalAdvance(sample) + 10;
    if (columnWidth(col) < px) setColWidthTwips(col, toTwips(px));
}

int FlexGrid::colWidthTwips(int col) const {
    const auto it = m_twips.find(col);
    if (it != m_twips.end() && toPixels(it.value()) == columnWidth(col)) return it.value();
    return toTwips(columnWidth(col));
}

void FlexGrid::setColWidthTwips(int col, int twips) {
    m_twips.insert(col, twips);
    setColumnWidth(col, toPixels(twips));
}

QString FlexGrid::text(int col, int row) const {
    if (!m_model || col < 0 || col >= m_model->columnCount()) return {};
    if (row == 0) return m_model->headerText(col);
    return m_model->data(m_model->index(row - 1, col)).toString();
}

void FlexGrid::setText(int col, int row, const QString& text) {
    if (!m_model || col < 0 || col >= m_model->columnCount()) return;
    if (row == 0) {
        m_model->setHeaderText(col, text);
        return;
    }
    if (row < 1 || row >= rows()) return;
    m_model->setData(m_model->index(row - 1, col), text);
}

QRect FlexGrid::cellRect(int col, int row) const {
    return m_model ? visualRect(m_model->index(row - 1, col)) : QRect();
}

void FlexGrid::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier) {
        emit deletePressed();
        return;
    }
    QTableView::keyPressEvent(e);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    QTableView::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

void Set_Cell(FlexGrid* g, int col, int row, const QVariant& value) {
    g->setText(col, row, value.isNull() ? QString() : value.toString());
}

void Set_CellAlign(FlexGrid* g, int col, int row, int alignment) {
    if (!g->gridModel() || row < 1 || row >= g->rows()) return;
    Qt::Alignment a = Qt::AlignLeft | Qt::AlignVCenter;
    switch (alignment) {
        case 7:
            a = Qt::AlignRight | Qt::AlignVCenter;
            break;
        case 4:
            a = Qt::AlignCenter;
            break;
        default:
            break;
    }
    g->gridModel()->setData(g->gridModel()->index(row - 1, col), QVariant::fromValue(a), Qt::TextAlignmentRole);
}

QString Get_Cell(FlexGrid* g, int col, int row) {
    const int last = g->rows() - 1;
    if (row > last) row = last;
    return g->text(col, row);
}

int Find_Row(FlexGrid* g, int col, qint64 value) {
    for (int r = 1; r < g->rows(); ++r) {
        const auto v = db::numericValue(g->text(col, r));
        if (v && *v == static_cast<double>(value)) return r;
    }
    return 0;
}

qint64 Get_CellNum(FlexGrid* g, int col, int row) {
    if (row < 1 || row > g->rows()) return 0;
    const QString t = Get_Cell(g, col, row);
    return db::isNumeric(t) ? db::To_Long(t, 0) : 0;
}

}  // namespace ui
