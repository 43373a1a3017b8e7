#pragma once

#include "util/Shell.h"

#include <QDialog>

class QPushButton;

namespace about {

// The modal about box: the program's icon, name and version, the date of its executable, and a
// link to the home page, which opens through openUrl.
class frmVersion final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmVersion)

public:
    explicit frmVersion(util::UrlOpener openUrl, QWidget* parent = nullptr);
    ~frmVersion() override;

    // "バージョン 1.0.0"
    static QString VersionText();
    // "実行ファイルの日付: 2024/03/09", the modification date of the running executable.
    static QString ExecutableDateText();

private:
    util::UrlOpener m_openUrl;
    QPushButton* cmd_home;
    QPushButton* cmd_ok;
};

} // namespace about
