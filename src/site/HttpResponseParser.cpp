#include "site/HttpResponseParser.h"

#include <cstring>
#include <optional>

namespace site {

namespace {

constexpr qsizetype kMaxHeadBytes = 65536; // a longer head is not an HTTP answer
constexpr qsizetype kMaxChunkLine = 4096;  // a chunk size line with its extensions

// The value of a header line "Name: value" when its name is name (any case).
std::optional<QByteArray> headerValue(QByteArrayView line, QByteArrayView name)
{
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || line.first(colon).trimmed().compare(name, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return line.sliced(colon + 1).trimmed().toByteArray();
}

} // namespace

void HttpResponseParser::feed(QByteArrayView bytes)
{
    if (isFinished())
        return;
    m_in += bytes;
    while (m_state == State::Head && parseHead()) {
    }
    if (m_state == State::Body)
        parseBody();
    else if (m_state == State::Chunks)
        parseChunks();
}

void HttpResponseParser::connectionClosed()
{
    if (isFinished())
        return;
    if (m_state == State::Body && m_framing == Framing::UntilClose)
        finish(State::Done);
    else
        finish(State::Failed);
}

void HttpResponseParser::fail()
{
    if (!isFinished())
        finish(State::Failed);
}

// Takes one head from the input; true when another head follows (an interim 1xx answer).
bool HttpResponseParser::parseHead()
{
    const qsizetype end = m_in.indexOf("\r\n\r\n");
    if (end < 0) {
        if (m_in.size() > kMaxHeadBytes)
            finish(State::Failed);
        return false;
    }
    const QList<QByteArray> lines = m_in.first(end).split('\n');
    m_in.remove(0, end + 4);
    const QList<QByteArray> status = lines.first().trimmed().split(' ');
    m_status = status.value(1).toInt();
    if (!status.first().startsWith("HTTP/1.") || m_status < 100 || m_status > 999) {
        finish(State::Failed);
        return false;
    }
    if (m_status < 200 && m_status != 101)
        return true;
    m_keepAlive = status.first() != "HTTP/1.0";
    if (!readHeaders(lines.sliced(1))) {
        finish(State::Failed);
        return false;
    }
    startBody();
    return false;
}

// The headers that frame the body and say what becomes of the connection; false for a length
// that is not a number.
bool HttpResponseParser::readHeaders(const QList<QByteArray>& lines)
{
    bool chunked = false;
    for (const QByteArray& line : lines) {
        if (const auto v = headerValue(line, "Content-Length")) {
            bool ok = false;
            m_declared = v->toLongLong(&ok);
            if (!ok || m_declared < 0)
                return false;
        } else if (const auto v = headerValue(line, "Transfer-Encoding")) {
            chunked = v->toLower().contains("chunked");
        } else if (const auto v = headerValue(line, "Connection")) {
            const QByteArray token = v->toLower();
            m_keepAlive = !token.contains("close") && (token.contains("keep-alive") || m_keepAlive);
        } else if (const auto v = headerValue(line, "Location")) {
            m_location = *v;
        }
    }
    // A chunked body says nothing of its length, whatever else the head claims.
    if (chunked)
        m_declared = -1;
    m_framing = chunked           ? Framing::Chunked
                : m_declared >= 0 ? Framing::Length
                                  : Framing::UntilClose;
    return true;
}

void HttpResponseParser::startBody()
{
    m_headDone = true;
    if (m_status == 204 || m_status == 304 || (m_framing == Framing::Length && m_declared == 0)) {
        finish(State::Done);
        return;
    }
    if (m_framing == Framing::UntilClose)
        m_keepAlive = false;
    m_remaining = m_framing == Framing::Chunked ? 0 : m_declared;
    m_state = m_framing == Framing::Chunked ? State::Chunks : State::Body;
}

void HttpResponseParser::parseBody()
{
    if (m_framing == Framing::UntilClose) {
        appendBody(m_in);
        m_in.clear();
        return;
    }
    const qsizetype n = qMin<qint64>(m_remaining, m_in.size());
    appendBody(QByteArrayView(m_in).first(n));
    m_in.remove(0, n);
    m_remaining -= n;
    if (m_remaining == 0) {
        // Anything after the body is not ours to read: the connection goes with this exchange.
        m_keepAlive = m_keepAlive && m_in.isEmpty();
        finish(State::Done);
    }
}

// Takes what it can of the chunked body; false when the input ran out.
bool HttpResponseParser::parseChunks()
{
    for (;;) {
        if (m_remaining > 0) {
            const qsizetype n = qMin<qint64>(m_remaining, m_in.size());
            appendBody(QByteArrayView(m_in).first(n));
            m_in.remove(0, n);
            m_remaining -= n;
            if (m_remaining > 0)
                return false;
            m_chunkDataEnded = true;
        }
        const qsizetype eol = m_in.indexOf("\r\n");
        if (eol < 0) {
            if (m_in.size() > kMaxChunkLine)
                finish(State::Failed);
            return false;
        }
        const QByteArray line = m_in.first(eol);
        m_in.remove(0, eol + 2);
        if (m_chunkDataEnded) { // the line end after a chunk's data
            m_chunkDataEnded = false;
            if (!line.isEmpty()) {
                finish(State::Failed);
                return false;
            }
            continue;
        }
        if (m_remaining < 0) { // trailers after the last chunk, up to an empty line
            if (line.isEmpty()) {
                m_keepAlive = m_keepAlive && m_in.isEmpty();
                finish(State::Done);
                return true;
            }
            continue;
        }
        bool ok = false;
        const qint64 size = line.split(';').first().trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0) {
            finish(State::Failed);
            return false;
        }
        m_remaining = size == 0 ? -1 : size;
    }
}

void HttpResponseParser::appendBody(QByteArrayView bytes)
{
    if (m_readPos > 0 && m_readPos == m_body.size()) {
        m_body.clear();
        m_readPos = 0;
    }
    m_body.append(bytes);
}

qint64 HttpResponseParser::read(char* data, qint64 maxSize)
{
    const qint64 n = qMin(maxSize, bytesAvailable());
    if (n <= 0)
        return 0;
    std::memcpy(data, m_body.constData() + m_readPos, size_t(n));
    m_readPos += n;
    return n;
}

void HttpResponseParser::finish(State state)
{
    m_state = state;
    // A head cut short is no answer: no status to judge the attempt by.
    if (state == State::Failed && !m_headDone)
        m_status = 0;
}

} // namespace site
