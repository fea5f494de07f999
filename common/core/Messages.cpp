#include "core/Messages.h"

namespace app {

Answer ScriptedMessages::show(QObject*, const QString& title, const QString& text, Icon icon, Buttons buttons) {
    m_shown.append({title, text, icon, buttons});
    if (buttons == Buttons::Ok) return Answer::Ok;
    const Answer first = buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    return m_answers.isEmpty() ? first : m_answers.dequeue();
}

void ScriptedMessages::status(QObject*, const QString& text) { m_statuses << text; }

QStringList ScriptedMessages::takeStatuses() {
    QStringList out;
    out.swap(m_statuses);
    return out;
}

QList<Shown> ScriptedMessages::takeShown() {
    QList<Shown> out;
    out.swap(m_shown);
    return out;
}

QStringList ScriptedMessages::takeTexts() {
    QStringList out;
    for (const Shown& s : takeShown()) out << s.text;
    return out;
}

}  // namespace app
