#include "core/Messages.h"

#include <utility>

namespace app {

QString clip(const QString& value, int chars) {
    // Cheap for the usual short value: UTF-16 units are at least as many as characters.
    if (value.size() <= chars) return value;
    qsizetype at = 0;
    for (int n = 0; n < chars && at < value.size(); ++n)
        at += value[at].isHighSurrogate() && at + 1 < value.size() && value[at + 1].isLowSurrogate() ? 2 : 1;
    if (at >= value.size()) return value;
    return value.left(at) + QStringLiteral("…");
}

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
