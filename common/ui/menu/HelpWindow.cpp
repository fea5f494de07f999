#include "ui/menu/HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include "core/AppState.h"
#include "ui_Help.h"

namespace ui {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    Ui::Help form;
    form.setupUi(this);
    m_browser = form.txt_help;
    setWindowFlags(Qt::Window);
    setWindowTitle(app::product().title + QStringLiteral(" ヘルプ"));
}

void HelpWindow::openContents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return;
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    m_browser->setHtml(QString::fromUtf8(f.readAll()));
    show();
    raise();
    activateWindow();
}

QString HelpWindow::shownText() const { return m_browser->toPlainText(); }

}  // namespace ui
