#include "settings/SettingOtherPage.h"

#include "config/Settings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace options {

SettingOtherPage::SettingOtherPage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_5"),
                  QStringLiteral("「友達に教える」を選択したときに自動的に入力される\r\n"
                                 "名前とメールアドレスを設定します。"),
                  parent)
{
    QGroupBox* frame = addFrame(QStringLiteral("友達に教える"));
    m_name = makeField(QStringLiteral("inp_4"));
    m_mail = makeField(QStringLiteral("inp_5"));
    auto* grid = new QGridLayout(frame);
    grid->addWidget(makeLabel(QStringLiteral("自動的に入力される名前:"), m_name), 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("メールアドレス:"), m_mail), 1, 0);
    grid->addWidget(m_mail, 1, 1);
    grid->setColumnStretch(1, 1);
    body()->addStretch(1);
}

void SettingOtherPage::load()
{
    m_name->setText(config::settings().UserName);
    m_mail->setText(config::settings().Email);
}

UnstorableField SettingOtherPage::unstorableField() const
{
    return FirstUnstorable({m_name, m_mail});
}

void SettingOtherPage::store(StoreStep step)
{
    if (step != StoreStep::License)
        return;
    config::Settings& s = config::settings();
    s.UserName = m_name->text().trimmed();
    WriteSetting(QStringLiteral("License"), QStringLiteral("UserName"), s.UserName);
    s.Email = m_mail->text().trimmed();
    WriteSetting(QStringLiteral("License"), QStringLiteral("Email"), s.Email);
}

} // namespace options
