#include "cli/CliEntryCommands.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "download/DownloadJob.h"
#include "download/DownloadTexts.h"
#include "download/PrepareDownload.h"
#include "export/PageExport.h"
#include "info/EntryAddresses.h"
#include "info/PropertyCounts.h"
#include "mainwindow/CategoryDeletion.h"
#include "mainwindow/Favorites.h"
#include "search/SearchRun.h"
#include "site/EventPump.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

void printError(const QString& text)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
}

int catalogueUnreadable()
{
    printError(QStringLiteral("カタログを開けません: ") + config::settings().dbname);
    return kExitFailed;
}

// The row (base, target), or nothing after saying why.
std::optional<catalogue::EntryRow> findEntry(const QString& base, const QString& target)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        catalogueUnreadable();
        return std::nullopt;
    }
    std::optional<catalogue::EntryRow> row = catalogue::FindEntry(db, base, target);
    if (!row)
        printError(QStringLiteral("エントリが見つかりません: ") + base + u' ' + target);
    return row;
}

// The status line of a detail-page read, on stderr.
class StatusLines final : public info::LookupObserver
{
public:
    void statusText(const QString& text) override
    {
        if (!text.isEmpty())
            printError(text);
    }
    void waiting(bool) override {}
};

// The name a category is asked about by: its Description, or the URL without one.
QString categoryName(const QString& url)
{
    catalogue::Db db;
    std::optional<QString> name;
    if (catalogue::OpenCatalogue(db))
        name = catalogue::FolderDescription(db, url);
    return name && !name->isEmpty() ? *name : url;
}

} // namespace

int FavoriteCommand(const Options& options)
{
    const bool add = options.words.value(1) == u"add";
    const mainwindow::EntryKey entry{options.words.value(2), options.words.value(3)};
    if (!findEntry(entry.base, entry.target))
        return kExitFailed;
    QString error;
    if (add) {
        const std::optional<int> count = mainwindow::MarkFavorites({entry}, &error);
        if (!count) {
            printError(QStringLiteral("お気に入りに追加できませんでした: ") + error);
            return kExitFailed;
        }
        printError(QString::number(*count) +
                   QStringLiteral("件のライブラリをお気に入りに追加しました。"));
        return kExitOk;
    }
    if (!mainwindow::UnmarkFavorites({entry}, &error)) {
        printError(QStringLiteral("お気に入りから削除できませんでした: ") + error);
        return kExitFailed;
    }
    printError(QStringLiteral("お気に入りから削除しました。"));
    return kExitOk;
}

int DeleteCategoryCommand(const Options& options)
{
    const QString url = options.words.value(1);
    if (!mainwindow::IsDeletableCategory(url)) {
        printError(QStringLiteral("このカテゴリは削除できません (エリアのルート、Favorites、"
                                  "Search、サイトのエリア外の URL): ") +
                   url);
        return kExitRefused;
    }
    if (!mainwindow::AskDeleteCategory(categoryName(url))) {
        printError(QStringLiteral("キャンセルしました。"));
        return kExitFailed;
    }
    QString error;
    if (!mainwindow::DeleteCategoryRows(url, &error)) {
        printError(QStringLiteral("カタログを開けません: ") + error);
        return kExitFailed;
    }
    if (!mainwindow::DeleteCategoryCache(url)) {
        mainwindow::ShowCacheDeletionFailure();
        return kExitFailed;
    }
    printError(QStringLiteral("カテゴリを削除しました: ") + url);
    return kExitOk;
}

int PropertiesCommand(const Options& options, QTextStream& out)
{
    const QString key = options.words.value(1);
    info::FolderProperties properties;
    QString error;
    if (!info::ReadFolderProperties(key, &properties, &error)) {
        printError(QStringLiteral("カタログを読めません: ") + error);
        return kExitFailed;
    }
    if (options.json) {
        const bool dated = properties.updated && properties.updated->isValid();
        const QJsonObject object{
            {QStringLiteral("key"), key},
            {QStringLiteral("entries"), properties.entries},
            {QStringLiteral("folders"), properties.folders},
            {QStringLiteral("updated"),
             dated ? QJsonValue(catalogue::ToDbDate(*properties.updated)) : QJsonValue()}};
        out << QJsonDocument(object).toJson();
        return kExitOk;
    }
    out << QStringLiteral("場所: ") << key << u'\n' << QStringLiteral("内容: ")
        << info::FolderContentsText(properties) << u'\n' << QStringLiteral("更新日付: ")
        << info::FolderDateText(properties.updated) << u'\n';
    return kExitOk;
}

int AddressCommand(const Options& options, QTextStream& out)
{
    const int kind = options.words.value(1).toInt();
    const std::optional<catalogue::EntryRow> row =
        findEntry(options.words.value(2), options.words.value(3));
    if (!row)
        return kExitFailed;
    const info::SelectedEntry entry{row->BaseURL, row->TargetURL, row->SoftName};
    StatusLines status;
    const QString address =
        info::GetEntryAddress(info::RecordCurrentEntry(*row), entry, kind, &status);
    if (!address.isEmpty()) {
        out << address << u'\n';
        return kExitOk;
    }
    // The author, payment and archive lookups have told the user themselves.
    switch (kind) {
    case info::AuthorPage:
    case info::PaymentPage:
    case info::ArchiveFile:
        break;
    case info::PickUpPage:
        printError(QStringLiteral("選択されたライブラリにはPickUp記事がありません。"));
        break;
    case info::NewsPage:
        printError(QStringLiteral("選択されたライブラリにはNews記事がありません。"));
        break;
    case info::EntryPage:
    case info::DownloadPage:
        printError(QStringLiteral("選択されたライブラリのアドレスがありません。"));
        break;
    default:
        printError(QStringLiteral("アドレスの種類 ") + QString::number(kind) +
                   QStringLiteral(" はありません (0 から 6 を指定してください)。"));
    }
    return kExitFailed;
}

int MemberCommand(const Options& options, QTextStream& out)
{
    const int kind = options.words.value(1).toInt();
    const std::optional<catalogue::EntryRow> row =
        findEntry(options.words.value(2), options.words.value(3));
    if (!row)
        return kExitFailed;
    const QString address =
        info::GetMemberServiceAddress({row->BaseURL, row->TargetURL, row->SoftName}, kind);
    if (address.isEmpty()) {
        printError(QStringLiteral("サービスの種類 ") + QString::number(kind) +
                   QStringLiteral(" はありません (0 または 1 を指定してください)。"));
        return kExitFailed;
    }
    out << address << u'\n';
    return kExitOk;
}

namespace {

// An option's value read by read(); false (after saying which) when it is given but unreadable.
template <typename T, typename Read>
bool readOption(const Options& options, const QString& name, std::optional<T>* out, Read read)
{
    if (!options.values.contains(name))
        return true;
    const QString text = options.values.value(name);
    *out = read(text);
    if (*out)
        return true;
    printError(QStringLiteral("--") + name + QStringLiteral(" の値が正しくありません: ") + text);
    return false;
}

std::optional<int> readCode(const QString& text)
{
    bool ok = false;
    const int code = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(code) : std::nullopt;
}

} // namespace

int SearchCommand(const Options& options, QTextStream& out)
{
    search::SearchConditions c;
    c.name = options.values.value(QStringLiteral("name"));
    c.description = options.values.value(QStringLiteral("text"));
    // The search window's first place: the whole library area.
    c.scope =
        options.values.value(QStringLiteral("scope"), config::SiteRoot + config::AreaPaths[0]);
    c.pickup = options.flags.contains(QStringLiteral("pickup"));
    c.news = options.flags.contains(QStringLiteral("news"));
    if (!readOption(options, QStringLiteral("from"), &c.fromDate, search::ReadDateBox) ||
        !readOption(options, QStringLiteral("to"), &c.toDate, search::ReadDateBox) ||
        !readOption(options, QStringLiteral("type"), &c.fileType, readCode) ||
        !readOption(options, QStringLiteral("min"), &c.minSize, search::ReadSizeBox) ||
        !readOption(options, QStringLiteral("max"), &c.maxSize, search::ReadSizeBox))
        return kExitRefused;
    const search::SearchOutcome outcome = search::RunSearch(c);
    if (!outcome.succeeded()) {
        printError(outcome.error);
        return kExitFailed;
    }
    const int searchMax = config::settings().SearchMax;
    if (*outcome.hits > searchMax)
        printError(search::HitOverflowText(searchMax).replace(QStringLiteral("\r\n"),
                                                              QStringLiteral(" ")));
    return PrintList(QStringLiteral("Search"), options.json, out) ? kExitOk : kExitFailed;
}

int ExportCommand(const Options& options)
{
    bool read = false;
    QList<mainwindow::EntryKey> entries = ListedEntries(options.words.value(2), &read);
    if (!read)
        return catalogueUnreadable();
    // Only the entries named, in the order named.
    const QStringList targets = options.words.mid(3);
    if (!targets.isEmpty()) {
        QList<mainwindow::EntryKey> chosen;
        for (const QString& target : targets) {
            const auto it = std::find_if(entries.cbegin(), entries.cend(),
                                         [&](const auto& e) { return e.target == target; });
            if (it == entries.cend()) {
                printError(QStringLiteral("エントリが見つかりません: ") + target);
                return kExitFailed;
            }
            chosen.append(*it);
        }
        entries = chosen;
    }
    const QString file = exportpages::ExportFileName(options.words.value(1));
    QString error;
    if (!exportpages::WriteExport(file, entries, &error)) {
        printError(QStringLiteral("保存できませんでした: ") + error);
        return kExitFailed;
    }
    printError(QString::number(entries.size()) + QStringLiteral(" 件を保存しました: ") + file);
    return kExitOk;
}

namespace {

// A download's progress on stderr, a line a second; Ctrl-C stops it (the .part file stays).
class ProgressLines final : public download::DownloadObserver
{
public:
    void started(const download::LibInfo& info) override
    {
        printError(info.remoteAddress + QStringLiteral(" -> ") + info.localFile);
        m_clock.start();
    }
    void progress(qint64 received, qint64 total, qint64 resumedFrom) override
    {
        if (m_lastLine.isValid() && m_lastLine.elapsed() < 1000)
            return;
        m_lastLine.start();
        const qint64 expected = total >= 0 ? total : received;
        const qint64 seconds =
            download::RemainingSeconds(received, expected, resumedFrom, m_clock.elapsed() / 1000.0);
        printError(download::SizeText(received, expected) + QStringLiteral("  ") +
                   download::RemainingTimeText(seconds));
    }
    bool cancelRequested() const override { return site::CancelRequested(); }

private:
    QElapsedTimer m_clock;
    QElapsedTimer m_lastLine;
};

} // namespace

int DownloadCommand(const Options& options)
{
    const QString base = options.words.value(1);
    const QString target = options.words.value(2);
    const std::optional<catalogue::EntryRow> row = findEntry(base, target);
    if (!row)
        return kExitFailed;
    // The archive's address, from the entry's detail page when the catalogue lacks it (the
    // lookup tells why when it stays empty).
    StatusLines status;
    if (info::GetDetailField({base, target, row->SoftName}, u"FTPURL", QStringLiteral("ファイル名"),
                             &status)
            .isEmpty())
        return kExitFailed;
    // Without --wait the download process of the program does the transfer, as from the
    // main window.
    if (!options.flags.contains(QStringLiteral("wait")))
        return download::PrepareDownload(base, target) ? kExitOk : kExitFailed;
    const QString folder = download::PrepareEntryFolder(base, target);
    if (folder.isEmpty()) {
        printError(QStringLiteral("ダウンロードの準備ができませんでした。"));
        return kExitFailed;
    }
    ProgressLines lines;
    switch (download::RunEntryDownload(folder, &lines).result) {
    case download::TransferResult::Complete:
        printError(QStringLiteral("ダウンロードしました: ") + folder);
        return kExitOk;
    case download::TransferResult::Cancelled:
        printError(QStringLiteral("キャンセルしました。"));
        return kExitCancelled;
    case download::TransferResult::Failed:
        break;
    }
    return kExitFailed;
}

} // namespace cli
