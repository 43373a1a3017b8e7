#include "search/frmSearch.h"

#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "mainwindow/WaitCursor.h"
#include "resources/AnimationWidget.h"
#include "resources/IconNames.h"
#include "resources/Icons.h"
#include "search/SearchPlaces.h"
#include "search/SearchRun.h"
#include "search/frmSearchRef.h"
#include "util/Dialogs.h"
#include "util/Messages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>
#include <memory>

namespace search {

namespace {

const QString kTitle = QStringLiteral("ライブラリの検索");
const QString kHeader = QStringLiteral("ソフトウエアライブラリの検索");
const QString kSearching = QStringLiteral("検索中です...");
// The animation resource the search plays while it runs.
constexpr int kSearchAnimation = 102;
constexpr int kSizeDigits = 7;

// What a date box ("date") or a size box ("num") lets in: digits, and "/" in a date box.
// Every other character is dropped, whether typed or pasted.
class BoxFilter final : public QValidator
{
public:
    BoxFilter(bool date, QObject* parent) : QValidator(parent), m_date(date) {}

    State validate(QString& input, int& pos) const override
    {
        QString kept;
        kept.reserve(input.size());
        int cursor = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input.at(i);
            if ((c >= u'0' && c <= u'9') || (m_date && c == u'/'))
                kept += c;
            else if (i < pos)
                --cursor;
        }
        input = kept;
        pos = cursor;
        return Acceptable;
    }

private:
    bool m_date;
};

QLineEdit* makeBox(int index, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("inp_") + QString::number(index));
    return box;
}

// A date or size box: filtered, without the input method; all four as wide as a date.
void makeFiltered(QLineEdit* box, bool date)
{
    box->setValidator(new BoxFilter(date, box));
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    if (!date)
        box->setMaxLength(kSizeDigits);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 20);
}

QLabel* makeLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// Runs the marking in a thread of its own so the window keeps drawing (the animation plays);
// no user input is taken meanwhile.
SearchOutcome RunAside(const SearchConditions& conditions)
{
    SearchOutcome outcome;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(
        QThread::create([&outcome, &conditions] { outcome = RunSearch(conditions); }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    return outcome;
}

} // namespace

frmSearch::frmSearch(int currentArea, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_currentArea(currentArea), lbl_search(new QLabel(kHeader, this)),
      picanimate(new resources::AnimationWidget({}, this)), cmb_search(new QComboBox(this)),
      cmd_ref(new QPushButton(QStringLiteral("参照(&R)"), this)), Combo1(new QComboBox(this))
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(kTitle);
    setWindowIcon(resources::ProgramIcon());
    setModal(true);

    // The header band: the title of the window's task and the animation of a running search.
    auto* band = new QFrame(this);
    band->setObjectName(QStringLiteral("band"));
    band->setAutoFillBackground(true);
    QPalette white = band->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    band->setPalette(white);
    band->setFrameShape(QFrame::StyledPanel);
    lbl_search->setParent(band);
    lbl_search->setObjectName(QStringLiteral("lbl_search_5"));
    QFont bold = lbl_search->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    lbl_search->setFont(bold);
    picanimate->setParent(band);
    picanimate->setObjectName(QStringLiteral("picanimate"));
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->addWidget(lbl_search, 1);
    bandLayout->addWidget(picanimate, 0, Qt::AlignVCenter);

    for (int i = 0; i < int(inp.size()); ++i) {
        inp[i] = makeBox(i, this);
        inp[i]->installEventFilter(this);
    }
    makeFiltered(inp[2], true);
    makeFiltered(inp[3], true);
    makeFiltered(inp[4], false);
    makeFiltered(inp[5], false);
    inp[0]->setMinimumWidth(inp[0]->fontMetrics().averageCharWidth() * 44);

    cmb_search->setObjectName(QStringLiteral("cmb_search"));
    cmb_search->setIconSize(QSize(16, 16));
    cmb_search->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmb_search->setMinimumContentsLength(24);
    cmb_search->setMaxVisibleItems(20);
    cmd_ref->setObjectName(QStringLiteral("cmd_ref"));
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    const std::array<QString, 5> checkTexts{
        QStringLiteral("日付(&D)"), QStringLiteral("種類(&Y)"), QStringLiteral("サイズ(&Z)"),
        QStringLiteral("ピックアップ(&P)"), QStringLiteral("News記事(&N)")};
    auto* options = new QGroupBox(QStringLiteral("検索オプション"), this);
    options->setObjectName(QStringLiteral("fra_search"));
    for (int i = 0; i < int(chk_search.size()); ++i) {
        chk_search[i] = new QCheckBox(checkTexts[i], options);
        chk_search[i]->setObjectName(QStringLiteral("chk_search_") + QString::number(i));
        connect(chk_search[i], &QCheckBox::toggled, this, [this, i] { chk_search_Click(i); });
    }
    chk_search[3]->setToolTip(QStringLiteral(
        "チェックを入れるピックアップに取り上げられているライブラリのみ抽出します。"));
    chk_search[4]->setToolTip(
        QStringLiteral("チェックを入れるNews記事があるライブラリのみ抽出します。"));

    btn_search[0] = new QPushButton(QStringLiteral("検索(&S)"), this);
    btn_search[1] = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    for (int i = 0; i < 2; ++i)
        btn_search[i]->setObjectName(QStringLiteral("btn_search_") + QString::number(i));
    btn_search[0]->setDefault(true);
    connect(btn_search[0], &QPushButton::clicked, this, &frmSearch::btn_search_Click);
    connect(btn_search[1], &QPushButton::clicked, this, &frmSearch::reject);
    connect(cmd_ref, &QPushButton::clicked, this, &frmSearch::cmd_ref_Click);

    // The conditions: a column of captions, a column of boxes.
    auto* fields = new QGridLayout;
    fields->addWidget(makeLabel(QStringLiteral("ソフト名(&N)"), inp[0], this), 0, 0);
    fields->addWidget(inp[0], 0, 1, 1, 2);
    fields->addWidget(makeLabel(QStringLiteral("ソフトの説明に含まれる文字列(&D)"), inp[1], this),
                      1, 0);
    fields->addWidget(inp[1], 1, 1, 1, 2);
    fields->addWidget(makeLabel(QStringLiteral("探す場所(&L)"), cmb_search, this), 2, 0);
    fields->addWidget(cmb_search, 2, 1);
    fields->addWidget(cmd_ref, 2, 2);
    fields->setColumnStretch(1, 1);

    auto* grid = new QGridLayout(options);
    grid->addWidget(chk_search[0], 0, 0);
    grid->addWidget(inp[2], 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("～"), options), 0, 2, Qt::AlignCenter);
    grid->addWidget(inp[3], 0, 3);
    grid->addWidget(chk_search[1], 1, 0);
    grid->addWidget(Combo1, 1, 1, 1, 3, Qt::AlignLeft);
    grid->addWidget(chk_search[2], 2, 0);
    grid->addWidget(inp[4], 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("～"), options), 2, 2, Qt::AlignCenter);
    grid->addWidget(inp[5], 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("KB"), options), 2, 4);
    auto* marks = new QHBoxLayout;
    marks->addWidget(chk_search[3]);
    marks->addSpacing(24);
    marks->addWidget(chk_search[4]);
    marks->addStretch(1);
    grid->addLayout(marks, 3, 0, 1, 6);
    grid->setColumnStretch(5, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btn_search[0]);
    buttons->addWidget(btn_search[1]);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(band);
    layout->addSpacing(4);
    layout->addLayout(fields);
    layout->addWidget(options);
    layout->addLayout(buttons);

    setTabOrder(inp[0], inp[1]);
    setTabOrder(inp[1], cmb_search);
    setTabOrder(cmb_search, cmd_ref);
    setTabOrder(cmd_ref, chk_search[0]);
    setTabOrder(chk_search[0], inp[2]);
    setTabOrder(inp[2], inp[3]);
    setTabOrder(inp[3], chk_search[1]);
    setTabOrder(chk_search[1], Combo1);
    setTabOrder(Combo1, chk_search[2]);
    setTabOrder(chk_search[2], inp[4]);
    setTabOrder(inp[4], inp[5]);
    setTabOrder(inp[5], chk_search[3]);
    setTabOrder(chk_search[3], chk_search[4]);
    setTabOrder(chk_search[4], btn_search[0]);
    setTabOrder(btn_search[0], btn_search[1]);

    Load();
    inp[0]->setFocus();
    setFixedSize(sizeHint());
}

frmSearch::~frmSearch() = default;

void frmSearch::Load()
{
    picanimate->setAnimation(resources::AnimationForResource(kSearchAnimation));

    LoadPlaces();

    Combo1->clear();
    for (const config::SoftTypeRecord& type : config::SoftTypes())
        Combo1->addItem(type.Name, type.Code);
    Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);

    const QDate today = QDate::currentDate();
    inp[2]->setText(DateBoxText(MonthBefore(today)));
    inp[3]->setText(DateBoxText(today));

    for (int i = 0; i < 3; ++i)
        chk_search_Click(i);
}

void frmSearch::LoadPlaces()
{
    cmb_search->clear();
    for (const SearchPlace& place : SearchPlaces())
        cmb_search->addItem(resources::Icon(resources::ImageList::Tree, place.image), place.text,
                            place.key);
    cmb_search->setCurrentIndex(0);
}

bool frmSearch::AddPlace(const QString& key, const QString& text, const QString& image)
{
    for (int i = 0; i < cmb_search->count(); ++i) {
        if (cmb_search->itemData(i).toString().compare(key, Qt::CaseInsensitive) == 0)
            return false;
    }
    cmb_search->addItem(resources::Icon(resources::ImageList::Tree, image), text, key);
    cmb_search->setCurrentIndex(cmb_search->count() - 1);
    return true;
}

void frmSearch::chk_search_Click(int index)
{
    const bool on = chk_search[index]->isChecked();
    switch (index) {
    case 0:
        util::SetFieldEnabled(inp[2], on);
        util::SetFieldEnabled(inp[3], on);
        break;
    case 1:
        util::SetFieldEnabled(Combo1, on);
        break;
    case 2:
        util::SetFieldEnabled(inp[4], on);
        util::SetFieldEnabled(inp[5], on);
        break;
    default:
        break;
    }
}

SearchConditions frmSearch::Conditions() const
{
    SearchConditions c;
    c.name = inp[0]->text();
    c.description = inp[1]->text();
    if (chk_search[0]->isChecked()) {
        c.fromDate = ReadDateBox(inp[2]->text());
        c.toDate = ReadDateBox(inp[3]->text());
    }
    if (chk_search[1]->isChecked() && Combo1->currentIndex() >= 0)
        c.fileType = Combo1->currentData().toInt();
    if (chk_search[2]->isChecked()) {
        c.minSize = ReadSizeBox(inp[4]->text());
        c.maxSize = ReadSizeBox(inp[5]->text());
    }
    c.pickup = chk_search[3]->isChecked();
    c.news = chk_search[4]->isChecked();
    c.scope = cmb_search->currentData().toString();
    return c;
}

void frmSearch::btn_search_Click()
{
    if (m_searching)
        return;
    const SearchConditions conditions = Conditions();
    m_searching = true;
    picanimate->start();
    lbl_search->setText(kSearching);
    lbl_search->repaint();
    SearchOutcome outcome;
    {
        const mainwindow::WaitCursor wait;
        outcome = RunAside(conditions);
        picanimate->stop();
    }
    m_searching = false;
    if (!outcome.succeeded()) {
        lbl_search->setText(kHeader);
        msg::Show(outcome.error, kTitle, msg::Icon::Exclamation);
        if (outcome.invalidText != SearchText::None) {
            QLineEdit* box = outcome.invalidText == SearchText::Name ? inp[0] : inp[1];
            box->setFocus();
        }
        return;
    }
    const int max = config::settings().SearchMax;
    if (*outcome.hits > max)
        msg::Show(HitOverflowText(max), HitOverflowTitle, msg::Icon::Exclamation);
    m_search = true;
    accept();
}

void frmSearch::cmd_ref_Click()
{
    frmSearchRef picker(m_currentArea, this);
    picker.exec();
    if (!picker.prtyFolder().isEmpty())
        AddPlace(picker.prtyFolder(), picker.prtyName(), QStringLiteral("Close"));
}

void frmSearch::reject()
{
    // Not while the marking runs: the window closes when it is done.
    if (m_searching)
        return;
    QDialog::reject();
}

void frmSearch::closeEvent(QCloseEvent* event)
{
    if (m_searching) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event)
{
    // A box that gets the focus has its whole text selected, also when a click gave it.
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace search
