#pragma once
// Every grid writes what it shows to a CSV file: Ctrl+E, or "CSV出力..." on its right-click menu.
// The user chooses the file and, with it, the encoding; the rows come from the grid's model.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace models {
class GridModel;
}

namespace ui {

class FlexGrid;
class FormBase;

// The two encodings offered, as the file dialog's name filters: UTF-8 (with a byte order mark,
// so that spreadsheets read it as UTF-8) first.
extern const QString kCsvUtf8Filter;
extern const QString kCsvShiftJisFilter;

// What a grid writes: its header and its rows as plain texts (amounts as plain integers).
struct GridExport {
    QStringList header;
    QList<QStringList> rows;
    QSet<int> textColumns;  // columns of free text, by the model's column kinds
    QString fileName;       // proposed, without a folder; characters a file name cannot hold are replaced
};

// The model's header and the texts of its rows, rows of empty cells (spacing lines, the empty row
// of an empty page) left out.
GridExport modelExport(const models::GridModel& model, const QString& fileName);

// Ctrl+E in the window and the grid's right-click item "CSV出力...": asks for a file and writes
// the rows `what` gives at that moment.
void addCsvExport(FormBase* form, FlexGrid* grid, std::function<GridExport()> what);

// Asks for the file and its encoding, writes the rows and reports what happened: the rows written
// as a short note, every value named by the report in a message; nothing is written when the
// encoding lacks a character, and each one is named.
void exportCsv(FormBase* form, const GridExport& what);

}  // namespace ui
