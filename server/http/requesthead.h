#pragma once

#include <QByteArray>
#include <QtGlobal>

// Judges the head of one request against the rules of HTTP/1.1 for a
// server (RFC 9112), where the door's parser is more lenient than they are:
// a target of visible ASCII in origin or absolute form, no control
// character in a value, exactly one valid Host in HTTP/1.1 (at most one in
// HTTP/1.0), at most one Content-Length, and a Transfer-Encoding only in
// HTTP/1.1, only without a Content-Length, and only "chunked" (the one
// coding the door knows); and within the bounds of headers and bytes. Each
// refusal ends the connection after its answer: a request framed in a way
// this server doubts may be framed otherwise by a proxy in front of it.
class RequestHeadCheck
{
public:
    enum class Verdict {
        Fine,
        Malformed,       // 400
        TooManyHeaders,  // 431
        TargetTooLong,   // 414
        TooLarge,        // 431
        UnknownCoding,   // 501: a transfer coding the door does not know
    };

    RequestHeadCheck(int maxHeaders, qint64 maxBytes) : m_maxHeaders(maxHeaders), m_maxBytes(maxBytes) {}

    // The target as it came; cut when the parser cut it short (a NUL in it).
    void target(const char *target, qsizetype length, bool cut = false);
    // One header line, its name in any case.
    void header(const char *name, qsizetype nameLength, const char *value, qsizetype valueLength);
    Verdict verdict(bool http10) const;

private:
    int m_maxHeaders;
    qint64 m_maxBytes;
    qint64 m_bytes = 0;
    qint64 m_targetBytes = 0;
    int m_headers = 0;
    int m_hosts = 0;
    int m_lengths = 0;
    bool m_malformed = false;
    int m_encodings = 0;        // Transfer-Encoding lines
    bool m_onlyChunked = true;  // and it named "chunked" alone
};
