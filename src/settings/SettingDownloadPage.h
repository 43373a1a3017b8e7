#pragma once

#include "settings/SettingPage.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace options {

// The tab "ダウンロード": the program's own download from the property sheet (chk_opt 3),
// opening the folder after a download (chk_opt 2) and the download folder (inp 9, Ref 5).
class SettingDownloadPage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingDownloadPage)

public:
    explicit SettingDownloadPage(QWidget* parent = nullptr);

    void load() override;
    UnstorableField unstorableField() const override;
    void store(StoreStep step) override;

private:
    // The folder as it is to be stored: ".\DOWNLOAD" for an empty field, the stored text for
    // a folder left as it was shown.
    QString storedFolder() const;
    void Ref_Click();

    QCheckBox* m_propertyWindow;
    QCheckBox* m_openAfter;
    QLineEdit* m_folder;
    QPushButton* m_browse;
    QString m_storedFolder; // the stored text of the folder as it was loaded
    QString m_loadedFolder; // the folder shown when loaded
};

} // namespace options
