#include "talvex-sim/FaultTable.h"

#include <QMutexLocker>

namespace talvexsim {

namespace {

// A kind's name and how many numbers may follow it.
struct KindName
{
    FaultKind kind;
    const char* name;
    int minArguments;
    int maxArguments;
};

constexpr KindName kKinds[] = {
    {FaultKind::Delay, "delay", 1, 1},
    {FaultKind::Reset, "reset", 0, 0},
    {FaultKind::ResetMidBody, "reset-mid", 0, 1},
    {FaultKind::Status, "status", 0, 1},
    {FaultKind::EmptyBody, "empty", 0, 0},
    {FaultKind::Truncate, "truncate", 0, 1},
    {FaultKind::Trickle, "trickle", 2, 2},
    {FaultKind::Stall, "stall", 0, 1},
    {FaultKind::IgnoreRange, "ignore-range", 0, 0},
    {FaultKind::Chunked, "chunked", 0, 0},
    {FaultKind::ChunkedCut, "chunked-cut", 0, 1},
    {FaultKind::ChunkOversize, "chunk-oversize", 0, 1},
    {FaultKind::EmptyChunked, "empty-chunked", 0, 0},
    {FaultKind::Redirect, "redirect", 0, 0}, // its URL is read apart from the numbers
    {FaultKind::Endless, "endless", 0, 0},
    {FaultKind::NextLoop, "next-loop", 0, 1},
    {FaultKind::DeadLinks, "dead-links", 1, 1},
};

QRegularExpression expressionOf(const QString& pattern)
{
    if (pattern.startsWith(u"re:"))
        return QRegularExpression(QRegularExpression::anchoredPattern(pattern.mid(3)));
    QString re;
    for (QChar c : pattern) {
        if (c == u'*')
            re += QStringLiteral(".*");
        else if (c == u'?')
            re += u'.';
        else
            re += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(re));
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// Reads the numbers after the kind into the rule's fields.
bool readArguments(FaultRule& rule, const KindName& kind, const QStringList& args, QString* error)
{
    QList<qint64> n;
    for (const QString& a : args) {
        bool ok = false;
        n.append(a.toLongLong(&ok));
        if (!ok || n.last() < 0)
            return fail(error, QStringLiteral("not a number: ") + a);
    }
    if (n.size() < kind.minArguments || n.size() > kind.maxArguments)
        return fail(error, QStringLiteral("wrong number of arguments for ") +
                               QLatin1StringView(kind.name));
    switch (rule.kind) {
    case FaultKind::Delay:
        rule.delayMs = int(n.value(0));
        break;
    case FaultKind::Status:
        rule.status = int(n.value(0, 503));
        if (rule.status < 100 || rule.status > 599)
            return fail(error, QStringLiteral("not a status code: ") + args.value(0));
        break;
    case FaultKind::Trickle:
        rule.bytes = qMax<qint64>(1, n.value(0));
        rule.intervalMs = int(n.value(1));
        break;
    case FaultKind::NextLoop:
        if (n.value(0, 1) < 1 || n.value(0, 1) > 1000000)
            return fail(error, QStringLiteral("not a page number: ") + args.value(0));
        rule.loopTo = int(n.value(0, 1));
        break;
    case FaultKind::DeadLinks:
        if (n.value(0) < 1 || n.value(0) > 1000)
            return fail(error, QStringLiteral("dead-links takes 1 to 1000: ") + args.value(0));
        rule.deadLinks = int(n.value(0));
        break;
    default:
        rule.bytes = n.value(0);
    }
    return true;
}

// The address of "redirect:URL": one header value, so nothing that would end or split it.
bool readLocation(FaultRule& rule, const QString& url, QString* error)
{
    if (url.isEmpty())
        return fail(error, QStringLiteral("redirect needs an address: redirect:URL"));
    for (QChar c : url) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return fail(error, QStringLiteral("not an address for a Location header: ") + url);
    }
    rule.location = url;
    return true;
}

} // namespace

QString FaultRule::kindName(FaultKind kind)
{
    for (const KindName& k : kKinds) {
        if (k.kind == kind)
            return QString::fromLatin1(k.name);
    }
    return {};
}

std::optional<FaultRule> FaultRule::parse(const QString& text, QString* error)
{
    const qsizetype at = text.indexOf(u'@');
    if (at <= 0 || at == text.size() - 1) {
        fail(error, QStringLiteral("expected KIND[:ARG…][#TIMES]@PATTERN"));
        return std::nullopt;
    }
    FaultRule rule;
    rule.pattern = text.mid(at + 1);
    QString head = text.left(at);
    const qsizetype hash = head.indexOf(u'#');
    if (hash >= 0) {
        bool ok = false;
        rule.times = head.mid(hash + 1).toInt(&ok);
        if (!ok || rule.times < 0) {
            fail(error, QStringLiteral("not a count: ") + head.mid(hash + 1));
            return std::nullopt;
        }
        head.truncate(hash);
    }
    QStringList parts = head.split(u':');
    const QString name = parts.takeFirst();
    const KindName* known = nullptr;
    for (const KindName& k : kKinds) {
        if (name == QLatin1StringView(k.name))
            known = &k;
    }
    if (!known) {
        fail(error, QStringLiteral("unknown fault: ") + name);
        return std::nullopt;
    }
    rule.kind = known->kind;
    // A redirection's address holds colons of its own.
    if (rule.kind == FaultKind::Redirect ? !readLocation(rule, head.mid(name.size() + 1), error)
                                         : !readArguments(rule, *known, parts, error))
        return std::nullopt;
    return rule;
}

void FaultTable::add(const FaultRule& rule)
{
    QMutexLocker lock(&m_mutex);
    m_entries.append({rule, expressionOf(rule.pattern), 0});
}

void FaultTable::clear()
{
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
}

std::optional<FaultRule> FaultTable::take(const QString& pathAndQuery, const QString& absoluteUrl)
{
    QMutexLocker lock(&m_mutex);
    for (Entry& e : m_entries) {
        if (e.rule.times > 0 && e.used >= e.rule.times)
            continue;
        if (e.expression.match(pathAndQuery).hasMatch() ||
            e.expression.match(absoluteUrl).hasMatch()) {
            ++e.used;
            return e.rule;
        }
    }
    return std::nullopt;
}

} // namespace talvexsim
