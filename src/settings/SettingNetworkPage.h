#pragma once

#include "settings/SettingPage.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace options {

// The tab "ネットワーク": the user agent (cmb_agent), the proxy choice (opt_connect 4 to 6) and
// the proxy's address and port (inp 1 and 2, enabled only while a proxy is used).
class SettingNetworkPage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingNetworkPage)

public:
    explicit SettingNetworkPage(QWidget* parent = nullptr);

    void load() override;
    UnstorableField unstorableField() const override;
    void store(StoreStep step) override;

private:
    void updateEnabled();
    // 0 direct, 1 the system's settings, 2 the proxy below; -1 when none is chosen.
    int proxyChoice() const;

    QComboBox* m_agent;
    std::array<QRadioButton*, 3> m_proxy{};
    QLabel* m_addressLabel;
    QLineEdit* m_address;
    QLabel* m_portLabel;
    QLineEdit* m_port;
};

} // namespace options
