#pragma once

#include "search/SearchConditions.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace resources {
class AnimationWidget;
}

namespace search {

// The search window "ライブラリの検索": the user sets the conditions and 検索(&S) (or Enter)
// marks the matching entries of the catalogue as the search result, then closes the window.
// キャンセル(&C), Escape and the close box close it without searching. Modal: open it with
// exec() and read prtySearch() afterwards.
//
// A search that fails (a pattern the catalogue refuses, a catalogue that cannot be read) is
// told in a message and leaves the window open and the last search's marks as they were.
class frmSearch final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSearch)

public:
    // currentArea: the site area the main window shows (0 to 2); its root cannot be chosen in
    // the scope picker.
    explicit frmSearch(int currentArea, QWidget* parent = nullptr);
    ~frmSearch() override;

    // True once a search has run, whatever it found; false when the window was closed without.
    bool prtySearch() const { return m_search; }

    // The conditions as the controls stand: the date, type and size options only when checked,
    // a date or size box that does not read as one left out.
    SearchConditions Conditions() const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void LoadPlaces();
    void chk_search_Click(int index);
    void btn_search_Click();
    void cmd_ref_Click();
    // Adds a place to cmb_search and selects it; false (nothing changed) when its key is there.
    bool AddPlace(const QString& key, const QString& text, const QString& image);

    int m_currentArea;
    bool m_search = false;
    bool m_searching = false;
    QLabel* lbl_search;
    resources::AnimationWidget* picanimate;
    std::array<QLineEdit*, 6> inp{};
    QComboBox* cmb_search;
    QPushButton* cmd_ref;
    std::array<QCheckBox*, 5> chk_search{};
    QComboBox* Combo1;
    std::array<QPushButton*, 2> btn_search{};
};

} // namespace search
