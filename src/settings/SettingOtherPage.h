#pragma once

#include "settings/SettingPage.h"

class QLineEdit;

namespace options {

// The tab "その他": the name (inp 4) and mail address (inp 5) filled into the tell-a-friend form.
class SettingOtherPage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingOtherPage)

public:
    explicit SettingOtherPage(QWidget* parent = nullptr);

    void load() override;
    UnstorableField unstorableField() const override;
    void store(StoreStep step) override;

private:
    QLineEdit* m_name;
    QLineEdit* m_mail;
};

} // namespace options
