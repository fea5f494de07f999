#pragma once
// Shows the program's help file (HTML) on its contents.

#include <QDialog>

class QTextBrowser;

namespace ui {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    void Open_Contents(const QString& path);
    QString Shown_Text() const;

private:
    QTextBrowser* m_browser = nullptr;
};

}  // namespace ui
