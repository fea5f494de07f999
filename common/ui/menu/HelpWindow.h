#pragma once
// Shows the program's help file (HTML) on its contents.

#include <QDialog>

class QTextBrowser;

namespace ui {

class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    void openContents(const QString& path);
    QString shownText() const;

  private:
    QTextBrowser* m_browser = nullptr;
};

}  // namespace ui
