#pragma once
// Shows how far a long recomputation is, so that the window stays painted while it runs. The
// dialog is application-modal: no other window reads half-done data or starts another change,
// and it has no cancel button, since the work commits whole or not at all. It appears only when
// the work takes longer than about half a second.

#include <QString>
#include <functional>

#include "core/ledger/Pages.h"

class QWidget;

namespace ui {

// Runs `work`, handing it a progress callback (done and total, in pages).
void withProgress(QWidget* parent, const QString& label, const std::function<void(const ledger::Progress&)>& work);

}  // namespace ui
