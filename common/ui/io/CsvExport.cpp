#include "ui/io/CsvExport.h"

#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <algorithm>

#include "core/io/Export.h"
#include "core/models/GridModel.h"
#include "core/settings/Settings.h"
#include "ui/shell/FormBase.h"
#include "ui/shell/Grid.h"

namespace ui {

const QString kCsvUtf8Filter = QStringLiteral("CSV UTF-8 BOM付き (*.csv)");
const QString kCsvShiftJisFilter = QStringLiteral("CSV Shift_JIS (*.csv)");

namespace {

// The folder the last file was written to, proposed for the next one: [export] folder.
const QString kSection = QStringLiteral("export");
const QString kFolderKey = QStringLiteral("folder");

QString safeFileName(QString name) {
    for (const QChar c : QStringLiteral("/\\:*?\"<>|")) name.replace(c, QLatin1Char('_'));
    return name.trimmed();
}

}  // namespace

GridExport modelExport(const models::GridModel& model, const QString& fileName) {
    GridExport out;
    out.fileName = fileName;
    for (int c = 0; c < model.columnCount(); ++c) {
        out.header << model.headerText(c);
        if (model.columnKind(c) == models::ColumnKind::Text) out.textColumns.insert(c);
    }
    for (const QStringList& cells : model.rowTexts())
        if (std::any_of(cells.begin(), cells.end(), [](const QString& t) { return !t.isEmpty(); })) out.rows << cells;
    return out;
}

void addCsvExport(FormBase* form, FlexGrid* grid, std::function<GridExport()> what) {
    form->addGridAction(grid, QStringLiteral("CSV出力..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                        [form, what] { exportCsv(form, what()); });
}

void exportCsv(FormBase* form, const GridExport& what) {
    if (what.rows.isEmpty()) {
        form->info(QStringLiteral("書き出す行がありません"));
        return;
    }
    app::FileRequest request;
    request.save = true;
    request.caption = QStringLiteral("CSV出力");
    const QString folder = settings::getSectionValue(kSection, kFolderKey, QDir::homePath());
    request.suggested = QDir(folder).filePath(safeFileName(what.fileName));
    request.filters = {kCsvUtf8Filter, kCsvShiftJisFilter};
    const app::FileChoice choice = form->session().chooseFile(form, request);
    if (choice.cancelled()) return;
    settings::saveSectionValue(kSection, kFolderKey, QFileInfo(choice.path).absolutePath());

    io::ExportOptions options;
    options.encoding = choice.filter == kCsvShiftJisFilter ? io::Encoding::ShiftJis : io::Encoding::Utf8;
    options.bom = true;
    io::ExportReport report;
    {
        Hourglass wait;
        report = io::writeTable(io::gridTable(what.header, what.rows, what.textColumns), choice.path, options);
    }
    const QString text = report.lines().join(QLatin1Char('\n'));
    if (!report.ok)
        form->critical(text);
    else if (report.hasFindings())
        form->info(text);
    else
        form->session().status(form, text);
}

}  // namespace ui
