#pragma once
// The message boxes of the windows: every message and question goes through the session's
// message sink, which in a real run is this one, a standard message box with the product title.

#include "core/Messages.h"

namespace ui {

using app::Answer;
using app::Buttons;
using app::Icon;
using app::Shown;

class MessageBoxes : public app::MessageSink {
  public:
    Answer show(QObject* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    // A label (lbl_status) along the bottom of the window, above its function keys, for a few
    // seconds.
    void status(QObject* parent, const QString& text) override;
};

}  // namespace ui
