#include "settings/SettingNetworkPage.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "util/Dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace options {

namespace {
const QString kUrl = QStringLiteral("URL");
const QString kAgent = QStringLiteral("Agent");
} // namespace

SettingNetworkPage::SettingNetworkPage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_0"),
                  QStringLiteral("ネットワークへ接続するための設定を行います。"), parent)
{
    QGroupBox* agentFrame = addFrame(QStringLiteral("ユーザーエージェント"));
    m_agent = new QComboBox(agentFrame);
    m_agent->setObjectName(QStringLiteral("cmb_agent"));
    // The agent may also be typed; a stored agent that is not in the list stays as it is.
    m_agent->setEditable(true);
    m_agent->setInsertPolicy(QComboBox::NoInsert);
    m_agent->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_agent->setMinimumContentsLength(40);
    auto* agentLayout = new QVBoxLayout(agentFrame);
    agentLayout->addWidget(m_agent);

    QGroupBox* proxyFrame = addFrame(QStringLiteral("プロキシ サーバー"));
    const QString captions[] = {
        QStringLiteral("ダイレクトに接続する(&D) (プロキシサーバーを使用しない)"),
        QStringLiteral("インターネットオプションの設定に従う(&E)"),
        QStringLiteral("プロキシサーバーを使用する。(&P)")};
    auto* proxyLayout = new QGridLayout(proxyFrame);
    proxyLayout->setColumnMinimumWidth(0, 20);
    proxyLayout->setColumnStretch(2, 1);
    for (int i = 0; i < 3; ++i) {
        m_proxy[std::size_t(i)] = new QRadioButton(captions[i], proxyFrame);
        m_proxy[std::size_t(i)]->setObjectName(QStringLiteral("opt_connect_") +
                                               QString::number(i + 4));
        proxyLayout->addWidget(m_proxy[std::size_t(i)], i, 0, 1, 3);
        connect(m_proxy[std::size_t(i)], &QRadioButton::toggled, this,
                &SettingNetworkPage::updateEnabled);
    }
    m_address = makeField(QStringLiteral("inp_1"));
    m_addressLabel = makeLabel(QStringLiteral("アドレス(&E):"), m_address);
    m_port = makeNumberField(QStringLiteral("inp_2"), 5);
    m_portLabel = makeLabel(QStringLiteral("ポート(&T):"), m_port);
    proxyLayout->addWidget(m_addressLabel, 3, 1);
    proxyLayout->addWidget(m_address, 3, 2);
    proxyLayout->addWidget(m_portLabel, 4, 1);
    proxyLayout->addWidget(m_port, 4, 2, Qt::AlignLeft);
    body()->addStretch(1);
}

void SettingNetworkPage::load()
{
    const config::Settings& s = config::settings();
    const int count = FieldNumber(config::ReadIni(
        config::kSettingsFile, kAgent, QStringLiteral("AgentCount"), QStringLiteral("0")));
    m_agent->clear();
    for (int i = 0; i < count; ++i)
        m_agent->addItem(
            config::ReadIni(config::kSettingsFile, kAgent, QString::number(i), QString()));
    const int current = m_agent->findText(s.UserAgent, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_agent->setCurrentIndex(current);
    if (current < 0)
        m_agent->setEditText(s.UserAgent);

    if (s.Proxy >= 0 && s.Proxy <= 2)
        m_proxy[std::size_t(s.Proxy)]->setChecked(true);
    m_address->setText(s.ProxyName);
    m_port->setText(QString::number(s.ProxyPort));
    updateEnabled();
}

int SettingNetworkPage::proxyChoice() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_proxy[std::size_t(i)]->isChecked())
            return i;
    }
    return -1;
}

void SettingNetworkPage::updateEnabled()
{
    const bool proxy = proxyChoice() == 2;
    util::SetFieldEnabled(m_address, proxy);
    util::SetFieldEnabled(m_port, proxy);
    m_addressLabel->setEnabled(proxy);
    m_portLabel->setEnabled(proxy);
}

UnstorableField SettingNetworkPage::unstorableField() const
{
    if (!config::CanStoreText(m_agent->currentText()))
        return {m_agent, m_agent->currentText()};
    return proxyChoice() == 2 ? FirstUnstorable({m_address}) : UnstorableField{};
}

void SettingNetworkPage::store(StoreStep step)
{
    config::Settings& s = config::settings();
    if (step == StoreStep::Proxy) {
        const int choice = proxyChoice();
        if (choice >= 0)
            s.Proxy = choice;
        WriteSetting(kUrl, QStringLiteral("Proxy"), s.Proxy);
        if (choice == 2) {
            s.ProxyName = m_address->text().trimmed();
            WriteSetting(kUrl, QStringLiteral("ProxyName"), s.ProxyName);
            // An empty port is stored empty and read as 8080.
            s.ProxyPort = FieldNumber(m_port->text(), 8080);
            WriteSetting(kUrl, QStringLiteral("ProxyPort"), m_port->text());
        }
    } else if (step == StoreStep::UserAgent) {
        s.UserAgent = m_agent->currentText().trimmed();
        WriteSetting(kUrl, QStringLiteral("UserAgent"), s.UserAgent);
    }
}

} // namespace options
