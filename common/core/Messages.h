#pragma once
// Where every message and question of a program goes. The windows show message boxes; tests
// read what was shown and give the answers, and nothing waits for a person.

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

class QObject;

namespace app {

enum class Icon { Information, Critical, Question, Exclamation };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

// A file the user is asked for: one to write (save) or one to read (open).
struct FileRequest {
    bool save = true;
    QString caption;
    QString suggested;    // the name (or path) proposed
    QStringList filters;  // name filters, "CSV UTF-8 (*.csv)"; the first is proposed
};
// The user's choice: the path and the filter chosen with it; an empty path when cancelled.
struct FileChoice {
    QString path;
    QString filter;
    bool cancelled() const { return path.isEmpty(); }
};

// A value quoted in a message (a field of a refused line, a name typed), cut to about `chars`
// characters with "…" when longer: a 10 MB field must not become a 10 MB message. Counted and
// cut by characters, never inside one (a surrogate pair stays whole).
QString clip(const QString& value, int chars = 40);

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows the text with the product title; `parent` is the window it belongs to (or null).
    virtual Answer show(QObject* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) = 0;
    // A short note that needs no answer and goes by itself ("削除を元に戻しました: 3件"), shown
    // on the window it belongs to.
    virtual void status(QObject* parent, const QString& text) = 0;
    // Asks for a file; a sink that cannot ask answers "cancelled".
    virtual FileChoice chooseFile(QObject* parent, const FileRequest& request);
};

// One message as it was shown.
struct Shown {
    QString title;
    QString text;
    Icon icon;
    Buttons buttons;
};

// Keeps what was shown and answers from a script: answers are used in order, and when none is
// left a question gets its first button (OK, はい). File requests are answered from their own
// script the same way, and cancelled when none is left.
class ScriptedMessages : public MessageSink {
  public:
    Answer show(QObject* parent, const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    void status(QObject* parent, const QString& text) override;
    FileChoice chooseFile(QObject* parent, const FileRequest& request) override;

    void pushAnswer(Answer a) { m_answers.enqueue(a); }
    // The next file chosen; an empty filter stands for the request's first.
    void pushFile(const QString& path, const QString& filter = {}) { m_files.enqueue({path, filter}); }
    QList<FileRequest> takeFileRequests();  // the files asked for since the last call
    QList<Shown> takeShown();               // what was shown since the last call
    QStringList takeTexts();
    QStringList takeStatuses();  // the notes since the last call

  private:
    QQueue<Answer> m_answers;
    QList<Shown> m_shown;
    QStringList m_statuses;
    QQueue<FileChoice> m_files;
    QList<FileRequest> m_fileRequests;
};

}  // namespace app
