#include "cli/CliCommands.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Compact.h"
#include "cli/CliEntryCommands.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "mainwindow/ListRow.h"
#include "site/EventPump.h"
#include "update/CategoryAnalysis.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"
#include "update/UpdateRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <cstdio>

namespace cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int)
{
    g_interrupted = 1;
    std::signal(SIGINT, SIG_DFL); // a second Ctrl-C ends the program at once
}

// Progress of a run on stderr, one line per page; Ctrl-C becomes the Cancel button.
class CliObserver final : public update::RunObserver
{
public:
    void statusText(const QString& text) override
    {
        pollInterrupt();
        if (!text.isEmpty())
            std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    }
    void folderStarted(const QString&) override { pollInterrupt(); }
    void percentAnalysed(int) override { pollInterrupt(); }
    void foundFolder(int) override { pollInterrupt(); }
    bool cancelRequested() const override { return g_interrupted != 0; }

private:
    static void pollInterrupt()
    {
        if (g_interrupted)
            update::runState().Cancel = true;
    }
};

const QStringList kListColumns{QStringLiteral("mark"),    QStringLiteral("name"),
                               QStringLiteral("version"), QStringLiteral("size"),
                               QStringLiteral("date"),    QStringLiteral("type"),
                               QStringLiteral("price"),   QStringLiteral("description"),
                               QStringLiteral("base"),    QStringLiteral("target")};

QStringList listFields(const catalogue::EntryRow& entry)
{
    const mainwindow::ListRow row = mainwindow::MakeListRow(entry);
    using namespace mainwindow;
    return {row.text[MarkColumn],
            row.text[NameColumn],
            row.text[VersionColumn],
            row.text[SizeColumn].trimmed(),
            row.text[DateColumn],
            row.text[TypeColumn],
            row.text[PriceColumn].trimmed(),
            row.text[DescriptionColumn],
            row.base,
            row.key};
}

// Tabs and line breaks inside a field would break the one-line-per-row form.
QString oneLine(QString field)
{
    return field.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
}

QList<catalogue::EntryRow> entriesOf(catalogue::Db& db, const QString& key)
{
    using catalogue::EntryFields;
    if (key == u"Favorites")
        return catalogue::FavoriteEntries(db, EntryFields::List);
    if (key == u"Search")
        return catalogue::SearchEntries(db, config::settings().SearchMax, EntryFields::List);
    return catalogue::FolderEntries(db, key, EntryFields::List);
}

void printEntries(const QList<catalogue::EntryRow>& entries, bool json, QTextStream& out)
{
    if (json) {
        QJsonArray rows;
        for (const catalogue::EntryRow& entry : entries) {
            QJsonObject object;
            const QStringList fields = listFields(entry);
            for (qsizetype i = 0; i < kListColumns.size(); ++i)
                object.insert(kListColumns[i], fields[i]);
            rows.append(object);
        }
        out << QJsonDocument(rows).toJson();
        return;
    }
    for (const catalogue::EntryRow& entry : entries) {
        QStringList fields = listFields(entry);
        for (QString& field : fields)
            field = oneLine(field);
        out << fields.join(u'\t') << u'\n';
    }
}

} // namespace

QList<mainwindow::EntryKey> ListedEntries(const QString& key, bool* read)
{
    catalogue::Db db;
    *read = catalogue::OpenCatalogue(db);
    QList<mainwindow::EntryKey> keys;
    if (*read) {
        for (const catalogue::EntryRow& entry : entriesOf(db, key))
            keys.append({entry.BaseURL, entry.TargetURL});
    }
    return keys;
}

bool PrintList(const QString& key, bool json, QTextStream& out)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        std::fprintf(stderr, "カタログを開けません: %s\n",
                     qUtf8Printable(config::settings().dbname));
        return false;
    }
    printEntries(entriesOf(db, key), json, out);
    return true;
}

namespace {

int listCommand(const Options& options, QTextStream& out)
{
    return PrintList(options.words.value(1), options.json, out) ? kExitOk : kExitFailed;
}

QJsonObject entryObject(const catalogue::EntryRow& e)
{
    auto size = [](const std::optional<qint64>& v) { return v ? QJsonValue(*v) : QJsonValue(); };
    auto date = [](const std::optional<QDateTime>& v) {
        return v && v->isValid() ? QJsonValue(catalogue::ToDbDate(*v)) : QJsonValue();
    };
    return {{QStringLiteral("BaseURL"), e.BaseURL},
            {QStringLiteral("TargetURL"), e.TargetURL},
            {QStringLiteral("SoftName"), e.SoftName},
            {QStringLiteral("Version"), e.Version},
            {QStringLiteral("FileSize"), size(e.FileSize)},
            {QStringLiteral("FileSize2"), size(e.FileSize2)},
            {QStringLiteral("FileType"), e.FileType},
            {QStringLiteral("NewFlag"), e.NewFlag},
            {QStringLiteral("PickUpURL"), e.PickUpURL},
            {QStringLiteral("NewsURL"), e.NewsURL},
            {QStringLiteral("Description"), e.Description},
            {QStringLiteral("RegiMoney"), e.RegiMoney},
            {QStringLiteral("OpenDate"), date(e.OpenDate)},
            {QStringLiteral("RegistDate"), date(e.RegistDate)},
            {QStringLiteral("Ranking"), e.Ranking ? QJsonValue(*e.Ranking) : QJsonValue()},
            {QStringLiteral("DetailRead"), e.DetailRead},
            {QStringLiteral("FTPURL"), e.FTPURL},
            {QStringLiteral("DescriptionDetail"), e.DescriptionDetail},
            {QStringLiteral("PaymentURL"), e.PaymentURL},
            {QStringLiteral("PaymentInfo"), e.PaymentInfo},
            {QStringLiteral("Author"), e.Author},
            {QStringLiteral("AuthorURL"), e.AuthorURL},
            {QStringLiteral("Category"), e.Category},
            {QStringLiteral("OSType"), e.OSType},
            {QStringLiteral("Favorites"), e.Favorites},
            {QStringLiteral("Search"), e.Search}};
}

int detailCommand(const Options& options, QTextStream& out)
{
    const QString base = options.words.value(1);
    const QString target = options.words.value(2);
    update::AnalyzeSoftDetail(base, target, true);
    catalogue::Db db;
    const std::optional<catalogue::EntryRow> row =
        catalogue::OpenCatalogue(db) ? catalogue::FindEntry(db, base, target) : std::nullopt;
    if (!row) {
        std::fprintf(stderr, "エントリが見つかりません: %s %s\n", qUtf8Printable(base),
                     qUtf8Printable(target));
        return kExitFailed;
    }
    const QJsonObject object = entryObject(*row);
    if (options.json) {
        out << QJsonDocument(object).toJson();
        return kExitOk;
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue v = it.value();
        const QString text = v.isString() ? v.toString()
                             : v.isBool() ? QString::number(v.toBool() ? 1 : 0)
                             : v.isNull() ? QString()
                                          : QString::number(v.toInteger());
        out << it.key() << u'\t' << oneLine(text) << u'\n';
    }
    return kExitOk;
}

// The exit status of a run: 130 after Ctrl-C; 1 when a page could not be fetched, an address
// was refused by the page cache (each named on stderr) or the catalogue could not be written;
// else 0 (130 for a run stopped otherwise).
int runStatus(bool ran)
{
    const update::RunState& state = update::runState();
    if (g_interrupted) {
        std::fprintf(stderr, "キャンセルしました。\n");
        return kExitCancelled;
    }
    for (const QString& url : state.RefusedUrls)
        std::fprintf(stderr, "キャッシュに保存できないアドレスのため読みませんでした: %s\n",
                     qUtf8Printable(url));
    if (state.FailedPages > 0)
        std::fprintf(stderr, "%d ページを取得できませんでした。\n", state.FailedPages);
    if (!ran || state.FailedPages > 0 || !state.RefusedUrls.isEmpty() ||
        !state.WriteError.isEmpty())
        return kExitFailed;
    return state.Cancel ? kExitCancelled : kExitOk;
}

// The folder a run starts from: an area's folder root is read from the area's start page, as
// the folder tree does. Sets the run's area from the address.
QString runStart(const QString& url)
{
    const int area = update::AreaOfUrl(url);
    update::runState().CurrentArea = area;
    return url == config::SiteRoot + config::AreaPaths[std::size_t(area)]
               ? config::AreaUrls[std::size_t(area)]
               : url;
}

int updateCommand(const Options& options)
{
    CliObserver observer;
    return runStatus(
        update::RunUpdateWindow(&observer, runStart(options.words.value(1, config::AreaUrls[0]))));
}

int openCommand(const Options& options)
{
    CliObserver observer;
    return runStatus(
        update::UpdateFolder(&observer, runStart(options.words.value(1)), true, false));
}

int compactCommand()
{
    switch (catalogue::CompactCatalogue(config::settings().dbname)) {
    case catalogue::CompactResult::Compacted:
        return kExitOk;
    case catalogue::CompactResult::InUse:
        std::fprintf(stderr, "%s\n",
                     qUtf8Printable(catalogue::CatalogueInUseText().replace(u'\r', u' ')));
        return kExitFailed;
    case catalogue::CompactResult::Failed:
        break;
    }
    std::fprintf(stderr, "カタログ %s を最適化できませんでした。\n",
                 qUtf8Printable(config::settings().dbname));
    return kExitFailed;
}

int setCommand(const Options& options)
{
    const QString value = options.words.value(3);
    if (!config::CanStoreText(value)) {
        std::fprintf(stderr, "%s\n",
                     qUtf8Printable(config::UnstorableTextMessage(value).replace(u'\r', u' ')));
        return kExitFailed;
    }
    if (!config::WriteIni(options.words.value(1), options.words.value(2), value,
                          config::kSettingsFile)) {
        std::fprintf(stderr, "%s に書き込めませんでした。\n",
                     qUtf8Printable(config::kSettingsFile));
        return kExitFailed;
    }
    return kExitOk;
}

bool isNumber(const QString& text)
{
    bool ok = false;
    text.toInt(&ok);
    return ok;
}

struct CommandShape
{
    const char16_t* name;
    int minArgs;
    int maxArgs;
    // What the first argument must be, when not anything: "add|remove" or "number".
    const char16_t* firstArg = nullptr;
    // The command's own options, "|"-separated: those that take a value, and plain flags.
    const char16_t* valueOptions = u"";
    const char16_t* flagOptions = u"";
};

constexpr CommandShape kCommands[] = {
    {u"update", 0, 1},
    {u"open", 1, 1},
    {u"list", 1, 1},
    {u"detail", 2, 2},
    {u"favorite", 3, 3, u"add|remove"},
    {u"delete-category", 1, 1},
    {u"properties", 1, 1},
    {u"address", 3, 3, u"number"},
    {u"member", 3, 3, u"number"},
    {u"compact", 0, 0},
    {u"export", 2, 100000},
    {u"download", 2, 2, nullptr, u"", u"wait"},
    {u"search", 0, 0, nullptr, u"name|text|from|to|type|min|max|scope", u"pickup|news"},
    {u"set", 3, 3},
    {u"help", 0, 0},
    {u"version", 0, 0},
};

// Whether the first argument has the shape the command asks for.
bool firstArgFits(const CommandShape& c, const QString& arg)
{
    if (!c.firstArg)
        return true;
    const QStringView shape(c.firstArg);
    if (shape == u"number")
        return isNumber(arg);
    return shape.split(u'|').contains(QStringView(arg));
}

} // namespace

namespace {

const CommandShape* findCommand(const QString& name)
{
    for (const CommandShape& c : kCommands) {
        if (name == QStringView(c.name))
            return &c;
    }
    return nullptr;
}

bool listed(const char16_t* options, QStringView name)
{
    return QStringView(options).split(u'|').contains(name);
}

// A "--name" option of the command at arguments[*i] (its value may follow); false with the
// reason when the command has no such option or its value is missing.
bool takeCommandOption(const CommandShape* command, const QStringList& arguments, qsizetype* i,
                       Options* options, QString* error)
{
    const QString arg = arguments[*i];
    const qsizetype equals = arg.indexOf(u'=');
    const QString name = arg.mid(2, equals < 0 ? -1 : equals - 2);
    if (command && listed(command->valueOptions, name)) {
        if (equals >= 0) {
            options->values.insert(name, arg.mid(equals + 1));
        } else if (*i + 1 < arguments.size()) {
            options->values.insert(name, arguments[++*i]);
        } else {
            *error = QStringLiteral("オプションの値がありません: ") + arg;
            return false;
        }
        return true;
    }
    if (command && equals < 0 && listed(command->flagOptions, name)) {
        options->flags.insert(name);
        return true;
    }
    *error = QStringLiteral("不明なオプション: ") + arg;
    return false;
}

} // namespace

bool ParseArguments(const QStringList& arguments, Options* options, QString* error)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == u"--yes" || arg == u"-y")
            options->yes = true;
        else if (arg == u"--json")
            options->json = true;
        else if (arg == u"--help" || arg == u"-h")
            options->words = {QStringLiteral("help")};
        else if (arg == u"--version")
            options->words = {QStringLiteral("version")};
        else if (arg.startsWith(u"--folder="))
            options->folder = arg.mid(9);
        else if (arg.startsWith(u"--")) {
            if (!takeCommandOption(findCommand(options->words.value(0)), arguments, &i, options,
                                   error))
                return false;
        } else if (options->words.value(0) != u"help" && options->words.value(0) != u"version")
            options->words.append(arg);
    }
    if (options->words.isEmpty()) {
        *error = QStringLiteral("コマンドがありません。");
        return false;
    }
    const CommandShape* c = findCommand(options->words[0]);
    if (!c) {
        *error = QStringLiteral("不明なコマンド: ") + options->words[0];
        return false;
    }
    const qsizetype args = options->words.size() - 1;
    if (args < c->minArgs || args > c->maxArgs) {
        *error = QStringLiteral("引数の数が正しくありません: ") + options->words[0];
        return false;
    }
    if (args > 0 && !firstArgFits(*c, options->words[1])) {
        *error = QStringLiteral("引数が正しくありません: ") + options->words[0] + u' ' +
                 options->words[1];
        return false;
    }
    return true;
}

QString UsageText()
{
    return QStringLiteral(
        "使い方: pelimond-cli [--folder=DIR] [--yes] [--json] COMMAND [ARGS]\n"
        "\n"
        "  update [URL]          URL のフォルダとその下をすべて更新します (既定: "
        "ライブラリの開始ページ)。\n"
        "                        1 ページごとに進行状況を標準エラーに出します。Ctrl-C "
        "でキャンセル。\n"
        "  open URL              フォルダ 1 つをサイトから読み直します (エリアのルートは\n"
        "                        エリアの開始ページから)。\n"
        "  list KEY              フォルダ URL、Favorites または Search のエントリを\n"
        "                        タブ区切りで出力します (--json で JSON)。\n"
        "                        列: マーク ソフト名 VER サイズ 公開日 種類 金額 説明 BaseURL "
        "TargetURL\n"
        "  detail BASE TARGET    エントリの詳細ページを読み、その行を出力します (--json で "
        "JSON)。\n"
        "  favorite add|remove BASE TARGET\n"
        "                        エントリをお気に入りに追加 / お気に入りから削除します。\n"
        "  delete-category URL   カテゴリとその下のカテゴリ、そのライブラリ (お気に入りと\n"
        "                        検索結果を除く) とキャッシュを削除します。確認の質問には\n"
        "                        --yes のときだけ「はい」と答えます。\n"
        "  properties KEY        フォルダ URL、Favorites または Search のプロパティを出力します:\n"
        "                        「場所: KEY」「内容: ライブラリ数: N、カテゴリ数: M」\n"
        "                        「更新日付: yyyy年MM月dd日、HH:mm:ss」の 3 行。--json で\n"
        "                        {\"key\", \"entries\", \"folders\", \"updated\"} (updated は\n"
        "                        \"yyyy-MM-dd HH:mm:ss\" または null)。\n"
        "  address KIND BASE TARGET\n"
        "                        エントリのアドレスを出力します。KIND: 0 詳細ページ、\n"
        "                        1 ダウンロードページ、2 作者ページ、3 支払いページ、\n"
        "                        4 PickUp記事、5 News記事、6 ファイル (2、3、6 は必要なら\n"
        "                        詳細ページを読みます)。\n"
        "  member KIND BASE TARGET\n"
        "                        会員サービスのアドレスを出力します。KIND: 0 ダウンロード\n"
        "                        リストに追加、1 友達に教える。\n"
        "  search [--name T] [--text T] [--from yyyy/mm/dd] [--to yyyy/mm/dd] [--type CODE]\n"
        "         [--min KB] [--max KB] [--pickup] [--news] [--scope URL]\n"
        "                        検索ウィンドウと同じ検索をし、検索結果を list Search と同じ形で\n"
        "                        出力します (--json で JSON)。--scope の既定はライブラリ全体\n"
        "                        (新着を除く)、\"\" で全体。ヒットがなくても終了状態は 0 です。\n"
        "  export FILE KEY [TARGET...]\n"
        "                        フォルダ URL、Favorites または Search のエントリ (TARGET を\n"
        "                        指定したときはそのエントリだけ) をページとして FILE に保存\n"
        "                        します (拡張子 .htm/.html がなければ .html を付けます)。\n"
        "  download BASE TARGET [--wait]\n"
        "                        エントリのフォルダと LIBINFO.TXT を作り、ダウンロードの\n"
        "                        プロセスを起動します。--wait のときはこのプロセスで転送し、\n"
        "                        進行状況を標準エラーに出します (Ctrl-C で中断、続きから再開可)。\n"
        "  compact               カタログを最適化します (他の処理が使用中なら何もしません)。\n"
        "  set SECTION KEY VALUE Pelimond.INI の値を 1 つ書き込みます。\n"
        "  help, --help          この説明を出力します。\n"
        "  version, --version    バージョンを出力します。\n"
        "\n"
        "  --folder=DIR  プログラムフォルダ (既定: 書き込めればこの実行ファイルのフォルダ、\n"
        "                インストールした場合は ~/.local/share/Pelimond)\n"
        "  --yes         確認の質問にすべて「はい」と答えます。\n"
        "  --json        list、detail、properties の出力を JSON にします。\n"
        "\n"
        "メッセージは標準エラーに出ます。終了状態: 0 成功、1 失敗 (エントリがない、\n"
        "アドレスが得られない、質問に「いいえ」と答えたなど)、2 引数の誤りまたは\n"
        "受け付けない対象、130 Ctrl-C によるキャンセル。\n");
}

int RunCommand(const Options& options, QTextStream& out)
{
    const QString& command = options.words.value(0);
    if (command == u"update")
        return updateCommand(options);
    if (command == u"open")
        return openCommand(options);
    if (command == u"list")
        return listCommand(options, out);
    if (command == u"detail")
        return detailCommand(options, out);
    if (command == u"favorite")
        return FavoriteCommand(options);
    if (command == u"delete-category")
        return DeleteCategoryCommand(options);
    if (command == u"properties")
        return PropertiesCommand(options, out);
    if (command == u"address")
        return AddressCommand(options, out);
    if (command == u"member")
        return MemberCommand(options, out);
    if (command == u"compact")
        return compactCommand();
    if (command == u"search")
        return SearchCommand(options, out);
    if (command == u"export")
        return ExportCommand(options);
    if (command == u"download")
        return DownloadCommand(options);
    if (command == u"set")
        return setCommand(options);
    return kExitRefused;
}

void InstallInterruptHandler()
{
    std::signal(SIGINT, onInterrupt);
    // A page being fetched stops too, not only the run between pages.
    site::SetInterruptProbe(+[] { return g_interrupted != 0; });
}

} // namespace cli
