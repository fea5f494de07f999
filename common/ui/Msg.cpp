#include "ui/Msg.h"

#include <QMessageBox>
#include <QWidget>

namespace ui {

Answer MessageBoxes::show(QObject* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) {
    QMessageBox::Icon qicon = QMessageBox::Information;
    switch (icon) {
        case Icon::Information:
            qicon = QMessageBox::Information;
            break;
        case Icon::Critical:
            qicon = QMessageBox::Critical;
            break;
        case Icon::Question:
            qicon = QMessageBox::Question;
            break;
        case Icon::Exclamation:
            qicon = QMessageBox::Warning;
            break;
    }
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == Buttons::OkCancel) standard = QMessageBox::Ok | QMessageBox::Cancel;
    if (buttons == Buttons::YesNo) standard = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(qicon, title, text, standard, qobject_cast<QWidget*>(parent));
    box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

}  // namespace ui
