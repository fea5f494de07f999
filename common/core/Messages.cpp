#include "core/Messages.h"

#include <utility>

namespace app {

FileChoice MessageSink::chooseFile(QObject*, const FileRequest&) { return {}; }

Answer ScriptedMessages::show(QObject*, const QString& title, const QString& text, Icon icon, Buttons buttons) {
    m_shown.append({title, text, icon, buttons});
    if (buttons == Buttons::Ok) return Answer::Ok;
    const Answer first = buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    return m_answers.isEmpty() ? first : m_answers.dequeue();
}

void ScriptedMessages::status(QObject*, const QString& text) { m_statuses << text; }

FileChoice ScriptedMessages::chooseFile(QObject*, const FileRequest& request) {
    m_fileRequests << request;
    if (m_files.isEmpty()) return {};
    FileChoice c = m_files.dequeue();
    if (c.filter.isEmpty()) c.filter = request.filters.value(0);
    return c;
}

QList<FileRequest> ScriptedMessages::takeFileRequests() { return std::exchange(m_fileRequests, {}); }

QStringList ScriptedMessages::takeStatuses() { return std::exchange(m_statuses, {}); }

QList<Shown> ScriptedMessages::takeShown() { return std::exchange(m_shown, {}); }

QStringList ScriptedMessages::takeTexts() {
    QStringList out;
    for (const Shown& s : takeShown()) out << s.text;
    return out;
}

}  // namespace app
