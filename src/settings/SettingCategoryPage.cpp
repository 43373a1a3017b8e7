#include "settings/SettingCategoryPage.h"

#include "config/Ini.h"
#include "resources/Icons.h"
#include "util/Messages.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace options {

namespace {

constexpr int kUrlRole = Qt::UserRole;
const QString kSeparator = QStringLiteral("@@");

} // namespace

SettingCategoryPage::SettingCategoryPage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_2"),
                  QStringLiteral("データを取得するカテゴリを選択します。\r\n"
                                 "チェックがついているカテゴリ以下のデータを取得します。"),
                  parent)
{
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("LstCate"));
    m_list->setIconSize(QSize(16, 16));
    m_list->setUniformItemSizes(true);
    m_name = makeField(QStringLiteral("inp_6"));
    m_url = makeField(QStringLiteral("inp_7"));
    m_add = new QPushButton(QStringLiteral("追加(&A)"), this);
    m_add->setObjectName(QStringLiteral("Ref_0"));
    m_delete = new QPushButton(QStringLiteral("削除(&D)"), this);
    m_delete->setObjectName(QStringLiteral("Ref_1"));
    m_standard = new QPushButton(QStringLiteral("標準に戻す(&R)"), this);
    m_standard->setObjectName(QStringLiteral("Ref_2"));

    auto* grid = new QGridLayout;
    grid->addWidget(m_list, 0, 0, 1, 3);
    grid->addWidget(makeLabel(QStringLiteral("カテゴリ名:"), m_name), 1, 0);
    grid->addWidget(m_name, 1, 1);
    grid->addWidget(m_add, 1, 2);
    grid->addWidget(makeLabel(QStringLiteral("カテゴリのURL:"), m_url), 2, 0);
    grid->addWidget(m_url, 2, 1);
    grid->addWidget(m_delete, 2, 2);
    grid->addWidget(m_standard, 3, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    body()->addLayout(grid);

    connect(m_list, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item) { itemChosen(item); });
    connect(m_list, &QListWidget::itemClicked, this, &SettingCategoryPage::itemChosen);
    connect(m_name, &QLineEdit::textChanged, this, &SettingCategoryPage::updateAddEnabled);
    connect(m_url, &QLineEdit::textChanged, this, &SettingCategoryPage::updateAddEnabled);
    connect(m_add, &QPushButton::clicked, this, [this] { Ref_Click(0); });
    connect(m_delete, &QPushButton::clicked, this, [this] { Ref_Click(1); });
    connect(m_standard, &QPushButton::clicked, this, [this] { Ref_Click(2); });
}

void SettingCategoryPage::load()
{
    fill(config::Categories().mid(1));
    updateAddEnabled();
}

void SettingCategoryPage::fill(const QList<config::CategoryRecord>& rows)
{
    const QIcon folder = resources::Icon(resources::ImageList::Tree, u"Close");
    m_list->clear();
    for (const config::CategoryRecord& row : rows) {
        auto* item = new QListWidgetItem(folder, row.Name, m_list);
        item->setData(kUrlRole, row.URL);
        item->setToolTip(row.URL);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(row.Fetch ? Qt::Checked : Qt::Unchecked);
    }
}

QList<config::CategoryRecord> SettingCategoryPage::rows() const
{
    QList<config::CategoryRecord> rows;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* item = m_list->item(i);
        rows.append(
            {item->checkState() == Qt::Checked, item->text(), item->data(kUrlRole).toString()});
    }
    return rows;
}

void SettingCategoryPage::updateAddEnabled()
{
    m_add->setEnabled(!m_name->text().isEmpty() && !m_url->text().isEmpty());
}

void SettingCategoryPage::itemChosen(QListWidgetItem* item)
{
    if (!item)
        return;
    m_name->setText(item->text());
    m_url->setText(item->data(kUrlRole).toString());
}

void SettingCategoryPage::Ref_Click(int index)
{
    switch (index) {
    case 0: {
        // "@@" separates the fields of a line of the file, and the file holds code page 932
        // only: a name or URL with either would not come back as it went in.
        for (QLineEdit* field : {m_name, m_url}) {
            const QString text = field->text();
            QString problem;
            if (text.contains(kSeparator))
                problem = u'「' + text + QStringLiteral("」には「@@」を使えません。");
            else if (!config::CanStoreText(text))
                problem = config::UnstorableTextMessage(text);
            if (!problem.isEmpty()) {
                msg::Show(problem, QStringLiteral("カテゴリの追加"), msg::Icon::Exclamation);
                field->setFocus();
                return;
            }
        }
        auto* item = new QListWidgetItem(resources::Icon(resources::ImageList::Tree, u"Close"),
                                         m_name->text(), m_list);
        item->setData(kUrlRole, m_url->text());
        item->setToolTip(m_url->text());
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        m_list->scrollToItem(item);
        break;
    }
    case 1: {
        const QList<QListWidgetItem*> selected = m_list->selectedItems();
        if (!selected.isEmpty())
            delete selected.first();
        break;
    }
    case 2:
        if (msg::Show(QStringLiteral("カテゴリデータ取得の設定を標準に戻してよろしいですか?"),
                      QStringLiteral("標準設定に戻す"), msg::Icon::Question, msg::Buttons::YesNo,
                      msg::Answer::No) == msg::Answer::Yes)
            fill(config::StandardCategories());
        break;
    default:
        break;
    }
}

void SettingCategoryPage::store(StoreStep step)
{
    if (step != StoreStep::Categories)
        return;
    const QList<config::CategoryRecord> list = rows();
    config::WriteCategoryFile(list);
    QList<config::CategoryRecord>& table = config::Categories();
    table = {config::CategoryRecord()};
    table += list;
}

} // namespace options
