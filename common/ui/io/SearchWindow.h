#pragma once
// The search window of both journals (Ctrl+F): rows of the whole book by a text in the note or in
// the item / category or bank name, by amount and by date. Enter or a double-click on a row has the
// journal show it; the window stays open beside the journal, so that row after row can be visited.

#include <QList>
#include <functional>
#include <memory>

#include "core/io/Search.h"
#include "ui/shell/FormBase.h"

namespace models {
class SearchHitsModel;
}
namespace Ui {
class Search;
}

namespace ui {

class FlexGrid;

class SearchWindow : public FormBase {
    Q_OBJECT
  public:
    // What the journal does to show a row.
    using Visit = std::function<void(const io::SearchHit&)>;
    SearchWindow(app::Session& session, Visit visit, QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Lists the rows the boxes ask for; false when a box holds what cannot be used (it is named).
    bool runSearch();
    // The rows of one item (category) between two dates ("yyyy/mm/dd", both included), of one bank
    // or every bank: what a cell of the year table stands for. The window's title names the item;
    // the restriction holds until the window is closed.
    void searchItem(qint64 code, const QString& name, const QString& fromDate, const QString& toDate,
                    std::optional<qint64> bank);
    const QList<io::SearchHit>& hits() const;
    FlexGrid* grid() const;
    // The focus in the text box, its text selected, to type the next search.
    void focusQuery();

  protected:
    // Escape closes the window.
    void keyPressEvent(QKeyEvent* e) override;

  private:
    std::unique_ptr<Ui::Search> ui;
    models::SearchHitsModel* m_hits = nullptr;
    Visit m_visit;
    std::optional<qint64> m_code;
    std::optional<qint64> m_bank;
};

// The journal's search window, made on first use and shown again afterwards, closed with the journal.
SearchWindow* openSearch(FormBase* journal, SearchWindow::Visit visit);

}  // namespace ui
