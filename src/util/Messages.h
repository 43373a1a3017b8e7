#pragma once

#include <QList>
#include <QString>

// Every message box of the program goes through this facade. The GUI installs a QMessageBox
// sink, tests a scripted one, the command-line companion one that writes to stderr.
namespace msg {

enum class Icon { None, Stop, Exclamation, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct Message
{
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    Answer defaultAnswer = Answer::Ok;
};

class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual Answer show(const Message& message) = 0;
};

// Installs the sink that shows messages (nullptr: the stderr sink). The caller keeps ownership.
void Install(MessageSink* sink);
MessageSink* Installed();

Answer Show(const Message& message);
Answer Show(const QString& text, const QString& title, Icon icon, Buttons buttons = Buttons::Ok,
            Answer defaultAnswer = Answer::Ok);

// Writes each message to stderr and answers with its default answer, or Yes to a question
// when told to (the command-line companion's --yes).
class StderrSink final : public MessageSink
{
public:
    explicit StderrSink(bool answerYes = false) : m_answerYes(answerYes) {}
    Answer show(const Message& message) override;

private:
    bool m_answerYes;
};

// Records every message and answers from a script (then with each message's default answer).
// Installed by tests while it lives.
class ScriptedSink final : public MessageSink
{
public:
    ScriptedSink();
    ~ScriptedSink() override;
    ScriptedSink(const ScriptedSink&) = delete;
    ScriptedSink& operator=(const ScriptedSink&) = delete;

    Answer show(const Message& message) override;
    void answerNext(Answer answer) { m_script.append(answer); }

    QList<Message> shown;

private:
    QList<Answer> m_script;
    MessageSink* m_previous;
};

} // namespace msg
