#pragma once

#include "config/SoftTypes.h"
#include "settings/SettingPage.h"

#include <QList>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QScrollBar;
class QSpinBox;

namespace options {

// The tab "表示設定": the property sheet's first tab (cmb_opentab), the four icon choices of the
// list (txt_iconnum with their previews pic_icon) and the colours of the software types (List1
// drawn in the colours, the scroll bars Colorsc for red, green and blue, and a sample). A
// changed colour stays in the dialog until OK.
class SettingDisplayPage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingDisplayPage)

public:
    explicit SettingDisplayPage(QWidget* parent = nullptr);

    void load() override;
    void store(StoreStep step) override;

    // The software types with the colours the dialog shows.
    const QList<config::SoftTypeRecord>& types() const { return m_types; }

private:
    void showIcon(int row);
    void typeChosen(int row);
    void Colorsc_Change();
    void paintSample(int color);

    QComboBox* m_openTab;
    std::array<QSpinBox*, 4> m_iconNumber{};
    std::array<QLabel*, 4> m_iconPreview{};
    QListWidget* m_typeList;
    std::array<QScrollBar*, 3> m_color{};
    std::array<QLabel*, 3> m_colorValue{};
    QFrame* m_sample;
    QList<config::SoftTypeRecord> m_types;
    bool m_showingType = false; // the scroll bars are being set from the chosen type
};

} // namespace options
