#pragma once
// A delegate whose editor is a QLineEdit that opens with the cell's text selected, so that typing
// replaces it; the text goes back to the model as it stands. Windows make the editor themselves
// (createEditor), since each names and shapes its box.

#include <QLineEdit>
#include <QStyledItemDelegate>

namespace ui {

class SelectingCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* e = static_cast<QLineEdit*>(editor);
        e->setText(index.data(Qt::DisplayRole).toString());
        e->selectAll();
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
    }
};

}  // namespace ui
