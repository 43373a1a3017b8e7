#pragma once

#include "config/Categories.h"
#include "settings/SettingPage.h"

#include <QList>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace options {

// The tab "カテゴリの取得": the categories whose lists update runs read (LstCate, ticked =
// fetched), with a name and URL field (inp 6 and 7) and the buttons 追加 (Ref 0), 削除 (Ref 1)
// and 標準に戻す (Ref 2). The list is written to "CATEGORY.INI" only by OK.
class SettingCategoryPage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingCategoryPage)

public:
    explicit SettingCategoryPage(QWidget* parent = nullptr);

    void load() override;
    void store(StoreStep step) override;

    // The rows the list shows, in order.
    QList<config::CategoryRecord> rows() const;

private:
    void fill(const QList<config::CategoryRecord>& rows);
    void updateAddEnabled();
    void itemChosen(QListWidgetItem* item);
    void Ref_Click(int index);

    QListWidget* m_list;
    QLineEdit* m_name;
    QLineEdit* m_url;
    QPushButton* m_add;
    QPushButton* m_delete;
    QPushButton* m_standard;
};

} // namespace options
