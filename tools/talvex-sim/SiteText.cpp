#include "talvex-sim/SiteText.h"

#include "config/Settings.h"

namespace talvexsim::sitetext {

namespace {

// None of the words below may hold a text that the list and detail pages use as a marker
// ("公開", "円", "K)", "&nbsp;", "<BR>", "作者情報", "Bytes", …): the pages stay unambiguous.

constexpr NamedPath kCategories[] = {
    {u"util", u"ユーティリティ"},
    {u"file", u"ファイル管理"},
    {u"archive", u"アーカイバ"},
    {u"editor", u"テキストエディタ"},
    {u"graphics", u"画像・グラフィック"},
    {u"sound", u"サウンド・音楽"},
    {u"net", u"ネットワーク"},
    {u"inet", u"インターネット"},
    {u"dev", u"開発ツール"},
    {u"edu", u"教育・学習"},
    {u"business", u"ビジネス"},
    {u"home", u"家庭・趣味"},
    {u"desktop", u"デスクトップ"},
    {u"system", u"システム"},
    {u"security", u"セキュリティ"},
    {u"font", u"フォント"},
    {u"amuse", u"ゲーム・娯楽"},
    {u"saver", u"スクリーンセーバ"},
    {u"wallpaper", u"壁紙"},
    {u"dict", u"辞書・辞典"},
};

constexpr NamedPath kSubCategories[] = {
    {u"launcher", u"ランチャー"}, {u"clock", u"時計・カレンダー"},
    {u"clip", u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ"},     {u"convert", u"テキスト変換"},
    {u"viewer", u"ビューア"},     {u"capture", u"画面キャプチャ"},
    {u"player", u"プレイヤー"},   {u"mail", u"メール"},
    {u"browser", u"ブラウザ"},    {u"compress", u"圧縮・解凍"},
    {u"backup", u"バックアップ"}, {u"search", u"ファイル検索"},
    {u"memo", u"メモ・付箋"},     {u"calc", u"計算・電卓"},
    {u"print", u"印刷"},
};

constexpr NamedPath kGenres[] = {
    {u"action", u"アクション"},    {u"shooting", u"シューティング"}, {u"puzzle", u"パズル"},
    {u"rpg", u"ロールプレイング"}, {u"slg", u"シミュレーション"},    {u"table", u"テーブルゲーム"},
    {u"sports", u"スポーツ"},      {u"adv", u"アドベンチャー"},      {u"race", u"レース"},
    {u"typing", u"タイピング"},
};

constexpr NamedPath kSubGenres[] = {
    {u"classic", u"定番"},
    {u"mini", u"ミニゲーム"},
    {u"retro", u"レトロ"},
};

constexpr const char16_t* kEntityFolderNames[] = {
    u"画像&グラフィック",
    u"\"定番\"ツール集",
    u"Tom's セレクション",
    u"<特集>便利ツール",
};

constexpr const char16_t* kPrefixes[] = {
    u"かんたん", u"らくらく", u"窓の", u"超",    u"スーパー", u"ミニ",  u"快速",
    u"ぴったり", u"どこでも", u"自動", u"ｶﾝﾀﾝ",  u"ﾌﾟﾁ",      u"高速",  u"シンプル",
    u"Tiny",     u"Quick",    u"Easy", u"Smart", u"Magic",    u"Power", u"Net",
};

constexpr const char16_t* kCores[] = {
    u"エディタ", u"ランチャー", u"ビューア", u"時計",       u"メモ帳", u"電卓",
    u"付箋",     u"辞書",       u"変換",     u"キャプチャ", u"検索",   u"翻訳",
    u"ﾒｰﾗｰ",     u"ﾌﾞﾗｳｻﾞ",     u"ﾀｲﾏｰ",     u"カレンダー", u"家計簿", u"住所録",
    u"日記",     u"プレイヤー", u"Clip",     u"Text",       u"Image",  u"File",
    u"Disk",     u"Term",       u"Note",     u"Launcher",   u"Viewer",
};

constexpr const char16_t* kSuffixes[] = {
    u"",    u"",   u"",    u"",    u" Pro", u" Lite",  u" Plus", u"2000",
    u" XP", u"98", u" DX", u"Jr.", u"①",    u"～改～", u"Ⅱ",     u" for Win",
};

constexpr const char16_t* kSpecialNames[] = {
    u"R&D ツール", u"Tom's クロック", u"\"引用\"メーカー", u"<HTML>エディタ", u"A&B コンバータ",
};

constexpr const char16_t* kVersions[] = {
    u"1.0", u"1.01", u"1.23", u"2.0", u"2.0.1",   u"0.9β", u"3.10", u"1.0a",
    u"4.5", u"R3",   u"",     u"",    u"Ver.2.5", u"1.2b", u"5.02", u"2004.05.01",
};

constexpr const char16_t* kDescriptions[] = {
    u"シンプルで使いやすいツールです",
    u"軽快に動作する定番ソフト",
    u"多彩な機能を搭載した決定版",
    u"ｼｮｰﾄｶｯﾄｷｰで素早く操作できます",
    u"C:＼Tools に置くだけで使えます",
    u"①②③の番号付き表示に対応",
    u"ドラッグ＆ドロップに対応しました",
    u"複数のファイルを一括処理～高速版～",
    u"設定画面を一新し、動作を改善",
    u"初心者にもわかりやすい画面構成",
    u"常駐せずに動作します",
    u"ﾃﾞｽｸﾄｯﾌﾟを手軽にカスタマイズ",
};

constexpr const char16_t* kSpecialDescriptions[] = {
    u"\"見やすさ\"を重視した表示",
    u"<b>タグ</b>もそのまま扱えます",
    u"R&D 部門向けの集計ツール",
    u"Bob's 推薦の小物ツール",
};

constexpr const char16_t* kLongLines[] = {
    u"毎日の作業を手早く片付けるためのツールです。",
    u"設定はすべて INI ファイルに保存され、レジストリを汚しません。",
    u"インストール先の例：C:＼Program Files＼Tools",
    u"～ 主な機能 ～",
    u"① ワンクリックで起動",
    u"② ｼｮｰﾄｶｯﾄｷｰに対応",
    u"③ 履歴を最大 100 件まで保存",
    u"\"&\" や \"<\" を含むファイル名も扱えます。",
    u"アンインストールはフォルダごと削除するだけです。",
    u"ご意見・ご感想をお待ちしております。",
};

constexpr const char16_t* kFamilies[] = {u"山田", u"佐藤", u"鈴木", u"高橋", u"田中",
                                         u"渡辺", u"伊藤", u"中村", u"小林", u"加藤"};
constexpr const char16_t* kGiven[] = {u"太郎", u"花子", u"一郎", u"健",   u"誠",
                                      u"裕子", u"ｹﾝｼﾞ", u"美咲", u"大輔", u"直樹"};
constexpr const char16_t* kHandles[] = {u"Team A&B", u"O'Neil Soft", u"KAZU", u"ﾎﾟﾝｷﾁ工房",
                                        u"\"Studio\" Sora"};

QString S(const char16_t* text)
{
    return QString::fromUtf16(text);
}

template <qsizetype N> QList<NamedPath> listOf(const NamedPath (&items)[N])
{
    return QList<NamedPath>(std::begin(items), std::end(items));
}

} // namespace

QList<NamedPath> CategoryWords()
{
    return listOf(kCategories);
}

QList<NamedPath> SubCategoryWords()
{
    return listOf(kSubCategories);
}

QList<NamedPath> GenreWords()
{
    return listOf(kGenres);
}

QList<NamedPath> SubGenreWords()
{
    return listOf(kSubGenres);
}

QStringList EntityFolderNames()
{
    QStringList names;
    for (const char16_t* n : kEntityFolderNames)
        names.append(S(n));
    return names;
}

QString PackageName(Rng& rng)
{
    if (rng.percent(4))
        return S(rng.pick(kSpecialNames));
    return S(rng.pick(kPrefixes)) + S(rng.pick(kCores)) + S(rng.pick(kSuffixes));
}

QString Version(Rng& rng)
{
    return S(rng.pick(kVersions));
}

QString ShortDescription(Rng& rng)
{
    if (rng.percent(5))
        return S(rng.pick(kSpecialDescriptions));
    if (rng.percent(2))
        return LiteralEntityText();
    return S(rng.pick(kDescriptions));
}

QStringList LongDescription(Rng& rng, const QString& name, quint32 traits)
{
    QStringList lines{name + QStringLiteral(" は、") + S(rng.pick(kLongLines))};
    const int more = rng.between(1, 4);
    for (int i = 0; i < more; ++i)
        lines.append(S(rng.pick(kLongLines)));
    if (traits & TraitEscapedNote)
        lines.append(QStringLiteral("<注意> 旧版の設定ファイルとは互換性がありません。"));
    if (rng.percent(10))
        lines.append(QStringLiteral("HTML の &lt;BR&gt; を改行に変換します。"));
    if (traits & TraitPriceOutside)
        lines.append(QStringLiteral("開発支援の寄付（500円）を歓迎します。"));
    return lines;
}

QStringList PaymentLines(int typeCode)
{
    switch (typeCode) {
    case 0:
        return {QStringLiteral("フリーソフトウェアです。"),
                QStringLiteral("転載・再配布は自由です。")};
    case 1:
        return {QStringLiteral("試用期間は30日間です。"),
                QStringLiteral("期間経過後は起動時に送金を促す画面が表示されます。")};
    case 3:
        return {QStringLiteral("製品版です。体験版は保存機能が制限されています。")};
    default:
        return {QStringLiteral("特になし")};
    }
}

QString OsType(const QString& platformSegment, int area)
{
    if (area == kAreaGames)
        return QStringLiteral("Windows 98/Me/2000/XP DirectX 8.1以降");
    static const QList<std::pair<QString, QString>> table{
        {QStringLiteral("win"), QStringLiteral("Windows 95/98/Me/NT4.0/2000/XP")},
        {QStringLiteral("win95"), QStringLiteral("Windows 95/98/Me")},
        {QStringLiteral("winnt"), QStringLiteral("Windows NT4.0/2000/XP")},
        {QStringLiteral("win31"), QStringLiteral("Windows 3.1")},
        {QStringLiteral("mac"), QStringLiteral("Mac OS 8.6～9.2")},
        {QStringLiteral("macmaker"), QStringLiteral("Mac OS X 10.2以降")},
        {QStringLiteral("dos"), QStringLiteral("MS-DOS 3.3以降")},
        {QStringLiteral("unix"), QStringLiteral("UNIX 汎用")},
        {QStringLiteral("os2"), QStringLiteral("OS/2 Warp 4")},
        {QStringLiteral("solaris"), QStringLiteral("Solaris 8")},
        {QStringLiteral("towns"), QStringLiteral("FM-TOWNS")},
        {QStringLiteral("x68"), QStringLiteral("X68000 Human68k")},
    };
    for (const auto& [segment, os] : table) {
        if (segment == platformSegment)
            return os;
    }
    return QStringLiteral("汎用");
}

Author MakeAuthor(int index)
{
    Author a;
    a.index = index;
    Rng rng(0xA17u + quint64(index) * 7919u);
    if (index % 9 == 4)
        a.name = S(kHandles[(index / 9) % std::size(kHandles)]);
    else
        a.name = S(rng.pick(kFamilies)) + u' ' + S(rng.pick(kGiven));
    if (index % 5 != 0)
        a.pageUrl = config::SiteRoot + QStringLiteral("person/p%1/").arg(index, 5, 10, QChar(u'0'));
    a.mail = QStringLiteral("author%1@mail.example").arg(index);
    return a;
}

QString EntityName()
{
    return QStringLiteral("Tom & Jerry's \"<Pro>\"");
}

QString EntityDescription()
{
    return QStringLiteral("\"&\" と \"<>\" を含む説明");
}

QString LiteralEntityText()
{
    return QStringLiteral("&lt;HTML&gt; の実体参照を変換");
}

QString SpecialCharText()
{
    return QStringLiteral("ｶﾝﾀﾝ～① C:＼Tools");
}

QString Escape(QStringView text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        case u'\'':
            out += u"&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString EscapeNbsp(QStringView text)
{
    return Escape(text).replace(u' ', QStringLiteral("&nbsp;"));
}

QString WithThousands(qint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

QString TwoDigitDate(const QDate& date)
{
    return QStringLiteral("%1.%2.%3")
        .arg(date.year() % 100, 2, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

QString FourDigitDate(const QDate& date)
{
    return QStringLiteral("%1.%2.%3")
        .arg(date.year())
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

QString TypeName(int typeCode)
{
    switch (typeCode) {
    case 0:
        return QStringLiteral("フリーソフト");
    case 1:
        return QStringLiteral("シェアウェア");
    case 2:
        return QStringLiteral("サンプル");
    case 3:
        return QStringLiteral("製品");
    case 4:
        return QStringLiteral("その他");
    case 5:
        return QStringLiteral("アップデート");
    default:
        return QStringLiteral("不明");
    }
}

QString TypeIcon(int typeCode, ListLayout layout)
{
    struct Icons
    {
        int code;
        const char* classic;
        const char* li;
        const char* fileList;
    };
    // The file_list layout has no icon of its own for updates; it shows "ico_unknown.gif".
    static constexpr Icons kIcons[] = {
        {0, "s_free2.gif", "icon2_f.gif", "ico_free.gif"},
        {1, "s_share2.gif", "icon2_s.gif", "ico_share.gif"},
        {2, "s_sample2.gif", "icon2_s2.gif", "ico_sample.gif"},
        {3, "s_product2.gif", "icon2_p.gif", "ico_product.gif"},
        {4, "s_other2.gif", "icon2_o.gif", "ico_other.gif"},
        {5, "s_update2.gif", "icon2_u.gif", "ico_unknown.gif"},
        {99, "s_unknown.gif", "s_unknown.gif", "ico_none.gif"},
    };
    const Icons* found = &kIcons[std::size(kIcons) - 1];
    for (const Icons& i : kIcons) {
        if (i.code == typeCode)
            found = &i;
    }
    switch (layout) {
    case ListLayout::Classic:
        return QString::fromLatin1(found->classic);
    case ListLayout::LI:
        return QString::fromLatin1(found->li);
    case ListLayout::FileList:
        break;
    }
    return QString::fromLatin1(found->fileList);
}

} // namespace talvexsim::sitetext
