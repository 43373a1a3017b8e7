#pragma once

#include "settings/SettingPage.h"

#include <array>

class QComboBox;
class QLabel;

namespace options {

// The tab "フォント設定": the font and size of the folder tree and of the software list, each
// with a sample drawn in the chosen font.
class SettingFontPage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingFontPage)

public:
    explicit SettingFontPage(QWidget* parent = nullptr);

    void load() override;
    UnstorableField unstorableField() const override;
    void store(StoreStep step) override;

private:
    // One frame: 0 the tree, 1 the list.
    struct FontRow
    {
        QComboBox* name = nullptr;
        QComboBox* size = nullptr;
        QLabel* sample = nullptr;
    };
    void addFontFrame(int index, const QString& title, const QString& prefix);
    void select(const FontRow& row, const QString& family, int size);
    void drawSample(const FontRow& row);

    std::array<FontRow, 2> m_rows;
};

} // namespace options
