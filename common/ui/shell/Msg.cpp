#include "ui/shell/Msg.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

namespace ui {

Answer MessageBoxes::show(QObject* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) {
    // The box's icon for each of ours, in the order Icon lists them.
    constexpr QMessageBox::Icon kIcons[] = {QMessageBox::Information, QMessageBox::Critical, QMessageBox::Question,
                                            QMessageBox::Warning};
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == Buttons::OkCancel) standard = QMessageBox::Ok | QMessageBox::Cancel;
    if (buttons == Buttons::YesNo) standard = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(kIcons[int(icon)], title, text, standard, qobject_cast<QWidget*>(parent));
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

void MessageBoxes::status(QObject* parent, const QString& text) {
    auto* w = qobject_cast<QWidget*>(parent);
    if (!w) return;
    w = w->window();
    auto* label = w->findChild<QLabel*>(QStringLiteral("lbl_status"), Qt::FindDirectChildrenOnly);
    if (!label) {
        label = new QLabel(w);
        label->setObjectName(QStringLiteral("lbl_status"));
        label->setStyleSheet(
            QStringLiteral("QLabel { background: #ffffe0; border: 1px solid #a0a0a0; padding: 2px 6px; }"));
        auto* timer = new QTimer(label);
        timer->setObjectName(QStringLiteral("statusTimer"));
        timer->setSingleShot(true);
        timer->setInterval(5000);
        QObject::connect(timer, &QTimer::timeout, label, &QWidget::hide);
    }
    label->setText(text);
    label->setAccessibleName(text);
    label->adjustSize();
    // Above the function-key bar when the window has one, else at its bottom edge.
    const QWidget* bar = w->findChild<QWidget*>(QStringLiteral("Frame1"));
    const int bottom = bar ? bar->y() : w->height();
    label->move(8, std::max(0, bottom - label->height() - 4));
    label->show();
    label->raise();
    label->findChild<QTimer*>(QStringLiteral("statusTimer"))->start();
}

app::FileChoice MessageBoxes::chooseFile(QObject* parent, const app::FileRequest& request) {
    QFileDialog dialog(qobject_cast<QWidget*>(parent), request.caption);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.filters.isEmpty()) dialog.setNameFilters(request.filters);
    if (request.save) {
        const auto suffix = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(request.filters.value(0));
        if (suffix.hasMatch()) dialog.setDefaultSuffix(suffix.captured(1));
    }
    if (!request.suggested.isEmpty()) dialog.selectFile(request.suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return {dialog.selectedFiles().first(), dialog.selectedNameFilter()};
}

}  // namespace ui
