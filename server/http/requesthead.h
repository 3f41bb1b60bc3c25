#pragma once

#include <QByteArray>

// Reads the heads of the requests of one connection as they arrive, byte by
// byte, and says as soon as one cannot be HTTP/1.x: a request line of a
// method, a target of visible ASCII and the version, then header lines
// "name: value" without control characters, up to an empty line; and when
// one takes more bytes or headers than allowed. Requests may follow each
// other at once (pipelined). A body (a request that names a length or an
// encoding) is not read: the bytes after such a head belong to it until the
// request is answered.
class RequestHeadCheck
{
public:
    enum class Verdict { Fine, Malformed, TooManyHeaders, TooLarge };
    RequestHeadCheck(int maxHeaders, qint64 maxBytes) : m_maxHeaders(maxHeaders), m_maxBytes(maxBytes) {}

    Verdict feed(const QByteArray &bytes);
    // The request was answered: a body, if it had one, is over.
    void answered();

private:
    enum class State { Method, Target, Version, LineEnd, HeaderStart, Name, Value, ValueEnd, HeadEnd, Body };
    Verdict step(char c);
    void headDone();

    int m_maxHeaders;
    qint64 m_maxBytes;
    State m_state = State::Method;
    qint64 m_bytes = 0; // of the request being read
    int m_length = 0;
    int m_headers = 0;
    // The version, or a header name: only short ones matter.
    char m_word[32] = {};
    int m_wordLength = 0;
    bool wordIs(const char *word) const;
    bool m_hasBody = false;
};
