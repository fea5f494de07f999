#include "ui/HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "core/AppState.h"

namespace ui {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("form_Help"));
    setWindowFlags(Qt::Window);
    setWindowTitle(app::Product().title + QStringLiteral(" ヘルプ"));
    m_browser->setObjectName(QStringLiteral("txt_help"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 560);
}

void HelpWindow::Open_Contents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return;
    m_browser->setSearchPaths({QFileInfo(path).absolutePath()});
    m_browser->setHtml(QString::fromUtf8(f.readAll()));
    show();
    raise();
    activateWindow();
}

QString HelpWindow::Shown_Text() const { return m_browser->toPlainText(); }

}  // namespace ui
