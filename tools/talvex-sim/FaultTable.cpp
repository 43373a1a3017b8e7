#include "talvex-sim/FaultTable.h"

#include <QMutexLocker>

namespace talvexsim {

namespace {

struct KindName
{
    FaultKind kind;
    const char* name;
};

constexpr KindName kKinds[] = {
    {FaultKind::Delay, "delay"},
    {FaultKind::Reset, "reset"},
    {FaultKind::ResetMidBody, "reset-mid"},
    {FaultKind::Status, "status"},
    {FaultKind::EmptyBody, "empty"},
    {FaultKind::Truncate, "truncate"},
    {FaultKind::Trickle, "trickle"},
    {FaultKind::Stall, "stall"},
    {FaultKind::IgnoreRange, "ignore-range"},
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
bool readArguments(FaultRule& rule, const QStringList& args, QString* error)
{
    QList<qint64> n;
    for (const QString& a : args) {
        bool ok = false;
        n.append(a.toLongLong(&ok));
        if (!ok || n.last() < 0)
            return fail(error, QStringLiteral("not a number: ") + a);
    }
    const bool noArguments = rule.kind == FaultKind::Reset || rule.kind == FaultKind::EmptyBody ||
                             rule.kind == FaultKind::IgnoreRange;
    const qsizetype wanted = rule.kind == FaultKind::Trickle ? 2 : noArguments ? 0 : 1;
    const bool optional = rule.kind != FaultKind::Trickle && rule.kind != FaultKind::Delay;
    if (n.size() > wanted || (n.size() < wanted && !optional))
        return fail(error, QStringLiteral("wrong number of arguments for ") +
                               FaultRule::kindName(rule.kind));
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
    default:
        rule.bytes = n.value(0);
    }
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
    bool known = false;
    for (const KindName& k : kKinds) {
        if (name == QLatin1StringView(k.name)) {
            rule.kind = k.kind;
            known = true;
        }
    }
    if (!known) {
        fail(error, QStringLiteral("unknown fault: ") + name);
        return std::nullopt;
    }
    if (!readArguments(rule, parts, error))
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
