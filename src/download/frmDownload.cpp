#include "download/frmDownload.h"

#include "config/Settings.h"
#include "util/Messages.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace download {

namespace {

QLabel* captionLabel(const QString& text, int index, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label1_") + QString::number(index));
    return label;
}

QLabel* valueLabel(int index, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lbl_get_") + QString::number(index));
    return label;
}

} // namespace

frmDownload::frmDownload(QWidget* parent)
    : QDialog(parent), m_title(valueLabel(0, this)), m_sizeText(valueLabel(1, this)),
      m_timeText(valueLabel(2, this)), m_saveTo(new QLineEdit(this)), m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("キャンセル(&C)"), this))
{
    setObjectName(QStringLiteral("frmDownload"));
    setWindowTitle(QStringLiteral("ライブラリをダウンロード中..."));
    m_title->setText(QStringLiteral("ライブラリをダウンロードしています。"));
    m_saveTo->setObjectName(QStringLiteral("txt_get"));
    m_saveTo->setReadOnly(true);
    m_saveTo->setMinimumWidth(m_saveTo->fontMetrics().averageCharWidth() * 56);
    m_bar->setObjectName(QStringLiteral("prbar"));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    m_cancel->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(captionLabel(QStringLiteral("ダウンロードサイズ : "), 0, this), 0, 0);
    grid->addWidget(m_sizeText, 0, 1);
    grid->addWidget(captionLabel(QStringLiteral("推定残り時間 : "), 1, this), 1, 0);
    grid->addWidget(m_timeText, 1, 1);
    grid->addWidget(captionLabel(QStringLiteral("保存先: "), 2, this), 2, 0);
    grid->addWidget(m_saveTo, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_bar);
    layout->addLayout(grid);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmDownload::setPrtyDownFile(const QString& folder)
{
    m_downFile = folder;
}

bool frmDownload::Load()
{
    if (!ReadLibInfo(m_downFile, &m_info)) {
        msg::Show(QStringLiteral("ダウンロード情報ファイルが正常に読み込めませんでした。"),
                  QStringLiteral("読み込みエラー"), msg::Icon::Stop);
        return false;
    }
    const QString title = m_info.name + QStringLiteral("をダウンロード中です...");
    setWindowTitle(title);
    m_title->setText(title);
    m_saveTo->setText(m_info.localFile);
    m_started = false;
    return true;
}

int frmDownload::ShowModal()
{
    if (!Load())
        return QDialog::Rejected;
    QTimer::singleShot(0, this, &frmDownload::Activate);
    return exec();
}

void frmDownload::Activate()
{
    repaint();
    bool fetched = false;
    if (!m_started) {
        m_started = true;
        fetched = RunTransfer();
    }
    // The folder always goes to the system's file browser, never to the browser of the settings.
    if (config::settings().OpenAfterDownload == 1)
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_info.folder));
    done(fetched ? QDialog::Accepted : QDialog::Rejected);
}

bool frmDownload::RunTransfer()
{
    return false;
}

} // namespace download
