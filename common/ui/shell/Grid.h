#pragma once
// A grid with one fixed header row, a view over its table model: row 0 is the header, data rows
// start at 1, as the grid routines below count them. The routines read and write the model's
// cell texts; windows read the model's rows for their data.

#include <QHash>
#include <QTableView>
#include <QVariant>

#include "core/models/GridModel.h"

namespace ui {

class FlexGrid : public QTableView {
    Q_OBJECT
  public:
    // A grid over the model its window gives it (setGridModel).
    explicit FlexGrid(QWidget* parent = nullptr);
    // A grid of plain texts with this many columns.
    FlexGrid(const QString& name, int columns, QWidget* parent = nullptr);

    void setGridModel(models::GridModel* model);
    models::GridModel* gridModel() const { return m_model; }

    // Rows counted with the header row, as the routines count them.
    int rows() const;
    // Only a grid of plain texts can be given a number of rows.
    void setRows(int rows);
    // The current data row (1-based), 0 when none.
    int row() const;
    void setRow(int row);

    void setHeader(int col, const QString& text, int widthTwips);
    // Widens a column whose default is too narrow for `sample` in the grid's font (record
    // numbers of a long-kept book have more digits than the default width was made for).
    void fitColumn(int col, const QString& sample);
    int colWidthTwips(int col) const;
    void setColWidthTwips(int col, int twips);

    QString text(int col, int row) const;
    void setText(int col, int row, const QString& text);
    // Where a cell is drawn, in viewport coordinates.
    QRect cellRect(int col, int row) const;

  signals:
    void deletePressed();
    void clickedRow(int row);
    void doubleClicked();
    void currentRowChanged(int row);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    void setUp();
    models::GridModel* m_model = nullptr;
    // Widths as set in twips, so that a width the user did not touch is stored as it came.
    QHash<int, int> m_twips;
};

// Grid routines: columns and rows as above.
void Set_Cell(FlexGrid* g, int col, int row, const QVariant& value);
void Set_CellAlign(FlexGrid* g, int col, int row, int alignment);  // 7: right, vertically centred
QString Get_Cell(FlexGrid* g, int col, int row);                   // row past the last: the last
int Find_Row(FlexGrid* g, int col, qint64 value);                  // first numeric match, 0 for none
qint64 Get_CellNum(FlexGrid* g, int col, int row);                 // 0 unless in range and numeric

// Pixels of the screen the programs run on, and twips (1/1440 inch).
double twipsPerPixel();
int toPixels(double twips);
int toTwips(int px);

}  // namespace ui
