#pragma once
// The statement import window (明細取込) of both journals: a bank's or a card company's CSV file
// read with the columns, rules and default codes the window shows, every line previewed with
// its tick, code and reason, and the ticked rows written in one piece.

#include <functional>
#include <memory>

#include "core/io/Import.h"
#include "ui/shell/FormBase.h"

class QTableView;
namespace Ui {
class Import;
}
namespace models {
class ImportPreviewModel;
class ImportRulesModel;
class ImportSkipIfModel;
}  // namespace models

namespace ui {

class ImportWindow : public FormBase {
    Q_OBJECT
  public:
    // `where` names the target in the window ("1 A銀行", "ページ 3").
    ImportWindow(app::Session& session, const io::ImportTarget& target, const QString& where,
                 QWidget* parent = nullptr);
    ~ImportWindow() override;

    // Asks for the statement file and previews it; false when the user cancelled.
    bool chooseFile();
    // Reads the file again with what the window shows; ticks and codes changed by hand go.
    void refreshPreview();
    const io::ImportPreview& preview() const { return m_preview; }
    // Writes the ticked rows and reports; closes the window when they were written.
    void runImport();

  signals:
    // Rows were added, dated in these months ("yyyy/mm", ascending): the journal shows them.
    void imported(const QStringList& months);

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    io::ImportMapping mapping() const;
    void showMapping(const io::ImportMapping& m);
    // A row just added to the rules or the conditions, opened for its first cell to be typed.
    void editNewRow(QTableView* table, int row, int column);
    void removeCurrentRow(QTableView* table);
    // The columns that can be added to the description, ticked as m_moreText says.
    void fillTextColumns();
    // The layout the file's header names, chosen in the window; used unless a saved way of
    // reading already reads the file.
    void proposeLayout();
    // Reads the file as the chosen built-in layout says, keeping the codes and rules.
    void useLayout();
    void fillPreview();
    void showSummary();
    void fillProfiles(const QString& current);
    void loadProfile();
    void saveProfile();
    void removeProfile();
    QString codeWord() const;

    std::unique_ptr<Ui::Import> ui;
    io::ImportTarget m_target;
    QString m_where;
    QString m_file;
    io::ImportPreview m_preview;  // its rows as the preview's model holds them, ticks and codes changed by hand
    models::ImportPreviewModel* m_previewRows = nullptr;
    models::ImportRulesModel* m_rules = nullptr;
    models::ImportSkipIfModel* m_skipIf = nullptr;
    bool m_quiet = false;   // the widgets are being filled: no preview for every change
    QList<int> m_moreText;  // description columns after the first
};

// Ctrl+I in a journal: refuses in a read-only book, asks for the statement and opens the window on
// it; `shown` runs once rows were added, with their months, for the journal to show them.
void importStatement(FormBase* journal, const io::ImportTarget& target, const QString& where,
                     std::function<void(const QStringList& months)> shown);

}  // namespace ui
