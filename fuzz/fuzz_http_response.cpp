// The HTTP answer reader of the page fetcher: status line, headers, interim answers, bodies
// framed by length, by chunks or by the connection's end. The same bytes must read the same
// whether they arrive at once, in a few pieces or byte by byte.
#include "FuzzSupport.h"
#include "site/HttpResponseParser.h"

#include <algorithm>

namespace {

struct Reading
{
    site::HttpResponseParser::State state;
    int status;
    qint64 length;
    QByteArray location;
    QByteArray body;
    bool reusable;
    bool operator==(const Reading&) const = default;
};

// Feeds the answer in pieces ending at the cuts, reading the body as it comes, then closes.
Reading readInPieces(QByteArrayView answer, QList<qsizetype> cuts)
{
    site::HttpResponseParser parser;
    QByteArray body;
    char buffer[7];
    qsizetype from = 0;
    cuts.append(answer.size());
    bool leftOver = false; // bytes came after the answer's end
    for (const qsizetype cut : cuts) {
        const QByteArrayView piece = answer.sliced(from, cut - from);
        leftOver = leftOver || (parser.isFinished() && !piece.isEmpty());
        parser.feed(piece);
        from = cut;
        while (const qint64 n = parser.read(buffer, sizeof buffer))
            body.append(buffer, n);
    }
    parser.connectionClosed();
    fuzz::Require(parser.isFinished(), "the connection's end ends the answer");
    if (!parser.headersComplete())
        fuzz::Require(parser.failed() && parser.statusCode() == 0,
                      "an answer without a complete head failed, with no status");
    // Bytes after the end stay in the exchange's socket, which is then not kept for reuse.
    return {parser.state(),
            parser.statusCode(),
            parser.contentLength(),
            parser.location(),
            body,
            parser.connectionReusable() && !leftOver};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView answer(data, qsizetype(size));
    const Reading whole = readInPieces(answer, {});
    if (whole.state == site::HttpResponseParser::State::Done && whole.length >= 0 &&
        whole.status != 204 && whole.status != 304)
        fuzz::Require(whole.body.size() == whole.length, "a complete body has its declared length");

    // The limits on a head and a chunk line count what has arrived; below them the pieces the
    // connection delivers make no difference.
    if (size > 4096)
        return 0;
    quint32 seed = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 16777619u;
    QList<qsizetype> cuts;
    for (int i = 0; i < 6; ++i) {
        seed = seed * 1103515245u + 12345u;
        cuts.append(qsizetype((seed >> 8) % (size + 1)));
    }
    std::sort(cuts.begin(), cuts.end());
    fuzz::Require(readInPieces(answer, cuts) == whole, "an answer in pieces reads as one");
    if (size > 1024)
        return 0;
    QList<qsizetype> bytes;
    for (qsizetype i = 1; i < qsizetype(size); ++i)
        bytes.append(i);
    fuzz::Require(readInPieces(answer, bytes) == whole, "an answer byte by byte reads as one");
    return 0;
}
