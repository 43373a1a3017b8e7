#include "util/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

namespace msg {

namespace {

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons buttonsOf(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int button, Answer fallback)
{
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return fallback;
    }
}

} // namespace

Answer QtMessageSink::show(const Message& message)
{
    QString body = message.text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(toQt(message.icon), message.title, body, buttonsOf(message.buttons),
                    QApplication::activeWindow());
    box.setDefaultButton(toQt(message.defaultAnswer));
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    QApplication::restoreOverrideCursor();
    // Closing the box with Esc or its close box gives the cancelling answer.
    const Answer cancel = message.buttons == Buttons::YesNo ? Answer::No
                          : message.buttons == Buttons::Ok  ? Answer::Ok
                                                            : Answer::Cancel;
    return fromQt(result, cancel);
}

} // namespace msg
