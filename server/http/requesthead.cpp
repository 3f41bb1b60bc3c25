#include "http/requesthead.h"

namespace {

bool isTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
           || (c != 0 && QByteArray("!#$%&'*+-.^_`|~").contains(c));
}

} // namespace

RequestHeadCheck::Verdict RequestHeadCheck::feed(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (++m_bytes > m_maxBytes)
            return Verdict::TooLarge;
        if (const Verdict verdict = step(c); verdict != Verdict::Fine)
            return verdict;
    }
    return Verdict::Fine;
}

void RequestHeadCheck::answered()
{
    if (m_state != State::Body)
        return;
    m_state = State::Method;
    m_bytes = 0;
}

// The empty line after the headers: the next request starts here, unless a
// body follows.
void RequestHeadCheck::headDone()
{
    m_state = m_hasBody ? State::Body : State::Method;
    m_length = m_headers = 0;
    m_hasBody = false;
    if (m_state == State::Method)
        m_bytes = 0;
}

RequestHeadCheck::Verdict RequestHeadCheck::step(char c)
{
    constexpr Verdict bad = Verdict::Malformed;
    const auto u = static_cast<unsigned char>(c);
    switch (m_state) {
    case State::Method:
        if (c == ' ' && m_length > 0)
            return m_length = 0, m_state = State::Target, Verdict::Fine;
        return isTokenChar(c) && ++m_length <= 16 ? Verdict::Fine : bad;
    case State::Target:
        if (c == ' ' && m_length > 0)
            return m_word.clear(), m_state = State::Version, Verdict::Fine;
        return u > 0x20 && u < 0x7f ? (++m_length, Verdict::Fine) : bad;
    case State::Version:
        if (c == '\r' || c == '\n') {
            if (m_word != "HTTP/1.1" && m_word != "HTTP/1.0")
                return bad;
            m_state = c == '\r' ? State::LineEnd : State::HeaderStart;
            return Verdict::Fine;
        }
        m_word += c;
        return m_word.size() <= 8 ? Verdict::Fine : bad;
    case State::LineEnd:
    case State::ValueEnd:
        return c == '\n' ? (m_state = State::HeaderStart, Verdict::Fine) : bad;
    case State::HeaderStart:
        if (c == '\r')
            return m_state = State::HeadEnd, Verdict::Fine;
        if (c == '\n')
            return headDone(), Verdict::Fine;
        if (!isTokenChar(c))
            return bad;
        if (++m_headers > m_maxHeaders)
            return Verdict::TooManyHeaders;
        m_word = QByteArray(1, c);
        m_state = State::Name;
        return Verdict::Fine;
    case State::Name:
        if (c == ':') {
            const QByteArray name = m_word.toLower();
            m_hasBody = m_hasBody || name == "content-length" || name == "transfer-encoding";
            return m_state = State::Value, Verdict::Fine;
        }
        if (!isTokenChar(c))
            return bad;
        if (m_word.size() < 32)
            m_word += c;
        return Verdict::Fine;
    case State::Value:
        if (c == '\r')
            return m_state = State::ValueEnd, Verdict::Fine;
        if (c == '\n')
            return m_state = State::HeaderStart, Verdict::Fine;
        return c == '\t' || u >= 0x20 ? (u == 0x7f ? bad : Verdict::Fine) : bad;
    case State::HeadEnd:
        if (c != '\n')
            return bad;
        return headDone(), Verdict::Fine;
    case State::Body:
        return Verdict::Fine; // until the answer
    }
    return Verdict::Fine;
}
