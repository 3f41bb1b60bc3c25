#include "http/requesthead.h"

#include <algorithm>

namespace {

// Every request's bytes pass here: the classes of characters are looked up,
// not worked out.
struct CharClasses
{
    bool token[256] = {};
    bool target[256] = {}; // visible ASCII
    bool value[256] = {};  // a header value's: visible, space, tab and any byte above ASCII
    constexpr CharClasses()
    {
        for (int c = 0; c < 256; ++c) {
            token[c] = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            target[c] = c > 0x20 && c < 0x7f;
            value[c] = c == '\t' || (c >= 0x20 && c != 0x7f);
        }
        for (const char *c = "!#$%&'*+-.^_`|~"; *c; ++c)
            token[static_cast<unsigned char>(*c)] = true;
    }
};
constexpr CharClasses classes;

bool isTokenChar(char c)
{
    return classes.token[static_cast<unsigned char>(c)];
}

} // namespace

RequestHeadCheck::Verdict RequestHeadCheck::feed(const QByteArray &bytes)
{
    const char *next = bytes.constData();
    const char *const end = next + bytes.size();
    while (next < end) {
        // Most of a head is its target and its values: their plain runs are
        // taken in one go, as far as the request may still grow.
        const bool *plain = m_state == State::Target ? classes.target : m_state == State::Value ? classes.value : nullptr;
        if (plain) {
            const char *run = next;
            const char *const limit = next + std::min<qint64>(end - next, m_maxBytes - m_bytes);
            while (run < limit && plain[static_cast<unsigned char>(*run)])
                ++run;
            m_bytes += run - next;
            if (m_state == State::Target)
                m_length += int(run - next);
            next = run;
            if (next == end)
                break;
        }
        if (++m_bytes > m_maxBytes)
            return Verdict::TooLarge;
        if (const Verdict verdict = step(*next++); verdict != Verdict::Fine)
            return verdict;
    }
    return Verdict::Fine;
}

bool RequestHeadCheck::wordIs(const char *word) const
{
    return m_wordLength == int(qstrlen(word)) && qstrnicmp(m_word, word, uint(m_wordLength)) == 0;
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
            return m_wordLength = 0, m_state = State::Version, Verdict::Fine;
        return u > 0x20 && u < 0x7f ? (++m_length, Verdict::Fine) : bad;
    case State::Version:
        if (c == '\r' || c == '\n') {
            if (m_wordLength != 8 || (qstrncmp(m_word, "HTTP/1.1", 8) != 0 && qstrncmp(m_word, "HTTP/1.0", 8) != 0))
                return bad;
            m_state = c == '\r' ? State::LineEnd : State::HeaderStart;
            return Verdict::Fine;
        }
        if (m_wordLength == 8)
            return bad;
        m_word[m_wordLength++] = c;
        return Verdict::Fine;
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
        m_word[0] = c;
        m_wordLength = 1;
        m_state = State::Name;
        return Verdict::Fine;
    case State::Name:
        if (c == ':') {
            m_hasBody = m_hasBody || wordIs("content-length") || wordIs("transfer-encoding");
            return m_state = State::Value, Verdict::Fine;
        }
        if (!isTokenChar(c))
            return bad;
        if (m_wordLength < int(sizeof m_word))
            m_word[m_wordLength++] = c;
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
