#include "info/EntryAddresses.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "site/UrlEncode.h"
#include "update/DetailAnalysis.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"
#include "util/Messages.h"

namespace info {

namespace {

QString ReadField(const SelectedEntry& entry, QStringView column)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return {};
    return update::ReadSoftwareField(catalogue::FindEntry(db, entry.base, entry.target), column);
}

QString MemberAddress(const QString& pathAndQuery)
{
    return QStringLiteral("http://") + config::MemberHost + pathAndQuery;
}

// Shows the wait state for the life of the object.
class Waiting
{
public:
    explicit Waiting(LookupObserver* observer) : m_observer(observer)
    {
        if (m_observer)
            m_observer->waiting(true);
    }
    ~Waiting()
    {
        if (m_observer)
            m_observer->waiting(false);
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    LookupObserver* m_observer;
};

} // namespace

CurrentEntry RecordCurrentEntry(const catalogue::EntryRow& row)
{
    return {row.TargetURL, update::DownloadPageUrl(row.TargetURL), row.PickUpURL, row.NewsURL};
}

QString GetDetailField(const SelectedEntry& entry, QStringView column, const QString& label,
                       LookupObserver* observer)
{
    QString value;
    {
        const Waiting wait(observer);
        if (observer)
            observer->statusText(entry.name + QStringLiteral(" の") + label +
                                 QStringLiteral("情報を読み込んでいます..."));
        value = ReadField(entry, column);
        if (value.isEmpty() && !entry.target.isEmpty()) {
            // A new command: a Cancel left from an earlier run or window does not stop it.
            update::runState().Cancel = false;
            update::AnalyzeSoftDetail(entry.base, entry.target, false);
            value = ReadField(entry, column);
        }
        if (observer)
            observer->statusText(QString());
    }
    if (value.isEmpty())
        msg::Show(QStringLiteral("選択されたライブラリの") + label +
                      QStringLiteral("が取得できませんでした。"),
                  QStringLiteral("情報を取得できませんでした"), msg::Icon::Exclamation);
    return value;
}

QString GetEntryAddress(const CurrentEntry& current, const SelectedEntry& entry, int kind,
                        LookupObserver* observer)
{
    switch (kind) {
    case EntryPage:
        return current.page;
    case DownloadPage:
        return current.downloadPage;
    case AuthorPage:
        return GetDetailField(entry, u"AuthorURL", QStringLiteral("作者"), observer);
    case PaymentPage:
        return GetDetailField(entry, u"PaymentURL", QStringLiteral("支払い情報"), observer);
    case PickUpPage:
        return current.pickUp;
    case NewsPage:
        return current.news;
    case ArchiveFile:
        return GetDetailField(entry, u"FTPURL", QStringLiteral("ファイル名"), observer);
    default:
        return {};
    }
}

QString MemberEntryNumber(const QString& targetUrl)
{
    QString number = targetUrl.mid(targetUrl.lastIndexOf(u'/') + 1);
    number.remove(QStringLiteral("se"), Qt::CaseSensitive);
    number.remove(QStringLiteral(".html"), Qt::CaseSensitive);
    return number;
}

QString GetMemberServiceAddress(const SelectedEntry& entry, int kind)
{
    if (kind == 0)
        return MemberAddress(QStringLiteral("/servlet/System.FileDownload/append/html/0/") +
                             MemberEntryNumber(entry.target) + u'/');
    if (kind != 1)
        return {};
    const config::Settings& s = config::settings();
    return MemberAddress(
        QStringLiteral("/servlet/Service.MailTo.Top?TITLE=") + site::UrlEncode(entry.name) +
        QStringLiteral("&URL=") + site::UrlEncode(entry.target) + QStringLiteral("&EMAIL=") +
        site::UrlEncode(s.Email) + QStringLiteral("&NAME=") + site::UrlEncode(s.UserName));
}

} // namespace info
