#include "update/CategoryAnalysis.h"

#include "config/Categories.h"
#include "config/Settings.h"
#include "update/AnalysisObserver.h"
#include "update/HtmlText.h"
#include "util/FileUtil.h"
#include "util/Text.h"

namespace update {

namespace {

bool validArea(int area)
{
    return area >= 0 && area < int(config::AreaPaths.size());
}

} // namespace

bool ExtractFolderLink(QStringView line, qsizetype p, QString* linkUrl, QString* linkText,
                       qsizetype* position)
{
    // The address runs from the folder root path to the closing quote of the attribute.
    const qsizetype quote = Find(line, u"\"", p);
    QString url;
    if (quote >= 0) {
        url = config::SiteRoot + Between(line, p, quote);
        url.remove(QStringLiteral("index.html"));
    }

    // The link text runs from the end of the tag to "</A>", or to the end of the line.
    qsizetype textEnd = Find(line, u"</A>", p, Qt::CaseInsensitive);
    if (textEnd < 0)
        textEnd = line.size();
    const qsizetype tagEnd = Find(line, u">", p);
    const qsizetype textStart = tagEnd < 0 ? textEnd : tagEnd + 1;
    QString text = Between(line, textStart, textEnd);
    text.remove(QStringLiteral("<STRONG>"), Qt::CaseInsensitive);
    text.remove(QStringLiteral("</STRONG>"), Qt::CaseInsensitive);
    text = DecodeEntities(text);

    *linkUrl = url;
    *linkText = text;
    *position = textEnd;
    return quote >= 0 && !text.contains(u"<IMG SRC", Qt::CaseInsensitive);
}

int FolderClass(const QString& url, int area)
{
    if (!validArea(area))
        return 0;
    const QString root = config::SiteRoot + config::AreaPaths[area];
    return util::CountOf(url, u"/") - util::CountOf(root, u"/");
}

QString ParentFolderUrl(const QString& url)
{
    const qsizetype slash = url.size() >= 2 ? url.lastIndexOf(u'/', url.size() - 2) : -1;
    return slash < 0 ? QString() : url.left(slash + 1);
}

int AreaOfUrl(const QString& url)
{
    for (int area = 0; area < int(config::AreaPaths.size()); ++area) {
        if (url.startsWith(config::AreaUrls[std::size_t(area)]) ||
            url.startsWith(config::SiteRoot + config::AreaPaths[std::size_t(area)]))
            return area;
    }
    return 0;
}

bool AnalyzeHTMLSub(FolderWriter& writer, const FolderRecord& folder, const CategoryContext& ctx)
{
    const std::optional<bool> visited = writer.saveFolder(folder);
    if (!visited)
        return false;
    bool walk = !*visited;
    // A folder outside the subtree being updated is recorded but not walked.
    const bool wholeArea = validArea(ctx.area) && ctx.updateTargetUrl == config::AreaUrls[ctx.area];
    if (!wholeArea && !ctx.updateTargetUrl.isEmpty() &&
        !folder.TargetURL.contains(ctx.updateTargetUrl))
        walk = false;
    return walk;
}

CategoryAnalysis AnalyzeHTML(QStringView pageText, const CategoryContext& ctx, FolderWriter& writer,
                             AnalysisObserver* observer)
{
    CategoryAnalysis result;
    result.foundFolders = ctx.foundFolders;
    if (!validArea(ctx.area))
        return result;
    const QString& root = config::AreaPaths[ctx.area];

    const QStringList lines = text::SplitLines(pageText);
    for (const QString& line : lines) {
        // Searches may start up to the comment marker; the last of them may still find a link
        // lying after it.
        const qsizetype marker = line.indexOf(config::CommentStrap);
        const qsizetype lastStart = marker >= 0 ? marker : line.size() - 1;
        qsizetype start = 0;
        while (start <= lastStart) {
            if (observer && observer->cancelRequested()) {
                result.cancelled = true;
                return result;
            }
            const qsizetype p = Find(line, root, start);
            if (p < 0)
                break;
            QString url;
            QString text;
            qsizetype end = p;
            if (ExtractFolderLink(line, p, &url, &text, &end) &&
                url.size() > ctx.folderUrl.size() && config::IsCategoryFetched(url)) {
                const FolderRecord folder{url, text, FolderClass(url, ctx.area)};
                result.folders.append(folder);
                if (AnalyzeHTMLSub(writer, folder, ctx)) {
                    ++result.foundFolders;
                    if (observer)
                        observer->foundFolder(result.foundFolders);
                    result.children.append(url);
                }
            }
            start = end + 1;
        }
    }
    return result;
}

} // namespace update
