#include "ui/shell/Progress.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <memory>

namespace ui {
namespace {
// How long the work runs before the dialog shows (ms): short work never flashes a dialog.
constexpr int kDelayMs = 500;
}  // namespace

void withProgress(QWidget* parent, const QString& label, const std::function<void(const ledger::Progress&)>& work) {
    std::unique_ptr<QProgressDialog> dialog;
    QElapsedTimer clock;
    clock.start();
    const ledger::Progress progress = [&](qint64 done, qint64 total) {
        if (!dialog) {
            if (clock.elapsed() < kDelayMs) return;
            dialog = std::make_unique<QProgressDialog>(parent);
            dialog->setObjectName(QStringLiteral("frm_progress"));
            dialog->setWindowTitle(label);
            dialog->setLabelText(label);
            dialog->setCancelButton(nullptr);
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            // Closing it would not stop the work: the box stays until the work ends.
            dialog->setWindowFlags(dialog->windowFlags() & ~Qt::WindowCloseButtonHint);
        }
        dialog->setMaximum(static_cast<int>(std::min<qint64>(total, INT_MAX)));
        // A modal progress dialog lets the event loop paint and tick on every value.
        dialog->setValue(static_cast<int>(std::min<qint64>(done, total)));
    };
    work(progress);
}

}  // namespace ui
