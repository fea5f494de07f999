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
    // The standard file dialog; a file saved without a suffix gets the first filter's.
    app::FileChoice chooseFile(QObject* parent, const app::FileRequest& request) override;
};

}  // namespace ui
