#pragma once
// Every message box and question of the programs goes through here. In a real run it shows a
// standard message box with the product title; tests switch it to scripted mode, read what
// was shown and give the answers, and nothing waits for a person.

#include <QList>
#include <QString>

class QWidget;

namespace ui {

enum class Icon { Information, Critical, Question, Exclamation };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

struct Shown {
    QString title;
    QString text;
    Icon icon;
    Buttons buttons;
};

class Msg {
public:
    static Answer Show(QWidget* parent, const QString& text, Icon icon, Buttons buttons = Buttons::Ok);
    static void Info(QWidget* parent, const QString& text) { Show(parent, text, Icon::Information); }
    static void Critical(QWidget* parent, const QString& text) { Show(parent, text, Icon::Critical); }
    // OK / Cancel question; true for OK.
    static bool Ask(QWidget* parent, const QString& text) {
        return Show(parent, text, Icon::Question, Buttons::OkCancel) == Answer::Ok;
    }

    // はい / いいえ question; true for はい.
    static bool Confirm(QWidget* parent, const QString& text) {
        return Show(parent, text, Icon::Question, Buttons::YesNo) == Answer::Yes;
    }

    // Test side.
    static void Set_Scripted(bool on);
    static bool Scripted();
    // Answers are used in order. When none is left a question gets its first button (OK, はい).
    static void Push_Answer(Answer a);
    static QList<Shown> Take_Shown();   // what was shown since the last call
    static QStringList Take_Texts();
};

}  // namespace ui
