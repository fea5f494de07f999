#include "ui/Msg.h"

#include <QMessageBox>
#include <QQueue>

#include "core/AppState.h"

namespace ui {
namespace {
bool g_scripted = false;
QQueue<Answer> g_answers;
QList<Shown> g_shown;
}  // namespace

Answer Msg::Show(QWidget* parent, const QString& text, Icon icon, Buttons buttons) {
    const QString title = app::Product().title;
    if (g_scripted) {
        g_shown.append({title, text, icon, buttons});
        const Answer first = buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
        Answer a = g_answers.isEmpty() ? first : g_answers.dequeue();
        if (buttons == Buttons::Ok) a = Answer::Ok;
        return a;
    }
    QMessageBox::Icon qicon = QMessageBox::Information;
    switch (icon) {
        case Icon::Information: qicon = QMessageBox::Information; break;
        case Icon::Critical: qicon = QMessageBox::Critical; break;
        case Icon::Question: qicon = QMessageBox::Question; break;
        case Icon::Exclamation: qicon = QMessageBox::Warning; break;
    }
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == Buttons::OkCancel) standard = QMessageBox::Ok | QMessageBox::Cancel;
    if (buttons == Buttons::YesNo) standard = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(qicon, title, text, standard, parent);
    box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    switch (box.exec()) {
        case QMessageBox::Ok: return Answer::Ok;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

void Msg::Set_Scripted(bool on) {
    g_scripted = on;
    g_answers.clear();
    g_shown.clear();
}
bool Msg::Scripted() { return g_scripted; }
void Msg::Push_Answer(Answer a) { g_answers.enqueue(a); }
QList<Shown> Msg::Take_Shown() {
    QList<Shown> out;
    out.swap(g_shown);
    return out;
}
QStringList Msg::Take_Texts() {
    QStringList out;
    for (const Shown& s : Take_Shown()) out << s.text;
    return out;
}

}  // namespace ui
