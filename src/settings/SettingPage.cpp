#include "settings/SettingPage.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "util/FileUtil.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace options {

SettingPage::SettingPage(const QString& name, const QString& message, QWidget* parent)
    : QWidget(parent), m_body(new QVBoxLayout)
{
    setObjectName(name);
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("lbl_message"));
    label->setTextFormat(Qt::PlainText);
    label->setText(QString(message).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAutoFillBackground(true);
    label->setBackgroundRole(QPalette::Base);
    label->setMargin(8);
    label->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addSpacing(4);
    layout->addLayout(m_body, 1);
}

void SettingPage::WriteSetting(const QString& section, const QString& key, const QString& value)
{
    config::WriteIni(section, key, value, config::kSettingsFile);
}

void SettingPage::WriteSetting(const QString& section, const QString& key, int value)
{
    config::WriteIni(section, key, value, config::kSettingsFile);
}

int SettingPage::FieldNumber(const QString& text, int fallback)
{
    return util::ToWholeNumber(text).value_or(fallback);
}

QString SettingPage::NumericOr(const QString& text, const QString& replacement)
{
    return util::ToNumber(text) ? text : replacement;
}

QGroupBox* SettingPage::addFrame(const QString& title)
{
    auto* frame = new QGroupBox(title, this);
    m_body->addWidget(frame);
    return frame;
}

QLineEdit* SettingPage::makeNumberField(const QString& name, int maxDigits)
{
    QLineEdit* field = makeField(name);
    field->setMaxLength(maxDigits);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setAlignment(Qt::AlignRight);
    const int digitWidth = field->fontMetrics().horizontalAdvance(u'0');
    field->setFixedWidth(digitWidth * (maxDigits + 2) + 16);
    return field;
}

QLineEdit* SettingPage::makeField(const QString& name)
{
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    return field;
}

QLabel* SettingPage::makeLabel(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, this);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

UnstorableField SettingPage::FirstUnstorable(std::initializer_list<QLineEdit*> fields)
{
    for (QLineEdit* field : fields) {
        if (!config::CanStoreText(field->text()))
            return {field, field->text()};
    }
    return {};
}

} // namespace options
