#include "util/Messages.h"

#include <cstdio>

namespace msg {

namespace {

MessageSink*& installed()
{
    static MessageSink* sink = nullptr;
    return sink;
}

} // namespace

void Install(MessageSink* sink)
{
    installed() = sink;
}

MessageSink* Installed()
{
    return installed();
}

Answer Show(const Message& message)
{
    if (MessageSink* sink = installed())
        return sink->show(message);
    StderrSink fallback;
    return fallback.show(message);
}

Answer Show(const QString& text, const QString& title, Icon icon, Buttons buttons,
            Answer defaultAnswer)
{
    return Show(Message{text, title, icon, buttons, defaultAnswer});
}

Answer StderrSink::show(const Message& message)
{
    QString body = message.text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (body.endsWith(u'\n'))
        body.chop(1);
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(message.title), qUtf8Printable(body));
    if (m_answerYes &&
        (message.buttons == Buttons::YesNo || message.buttons == Buttons::YesNoCancel))
        return Answer::Yes;
    return message.defaultAnswer;
}

ScriptedSink::ScriptedSink() : m_previous(Installed())
{
    Install(this);
}

ScriptedSink::~ScriptedSink()
{
    Install(m_previous);
}

Answer ScriptedSink::show(const Message& message)
{
    shown.append(message);
    return m_script.isEmpty() ? message.defaultAnswer : m_script.takeFirst();
}

} // namespace msg
