#include "http/requesthead.h"

namespace {

// Every request's head passes here: the classes of characters are looked
// up, not worked out.
struct CharClasses
{
    bool target[256] = {}; // visible ASCII
    bool value[256] = {};  // a header value's: visible, space, tab and any byte above ASCII
    bool host[256] = {};   // a Host's: a name, an address in brackets, a port
    constexpr CharClasses()
    {
        for (int c = 0; c < 256; ++c) {
            target[c] = c > 0x20 && c < 0x7f;
            value[c] = c == '\t' || (c >= 0x20 && c != 0x7f);
            host[c] = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        }
        for (const char *c = "-._~!$&'()*+,;=%:[]"; *c; ++c)
            host[static_cast<unsigned char>(*c)] = true;
    }
};
constexpr CharClasses classes;

bool allOf(const bool (&allowed)[256], const char *text, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i)
        if (!allowed[static_cast<unsigned char>(text[i])])
            return false;
    return true;
}

bool named(const char *name, qsizetype length, const char *lowerCase)
{
    return length == qsizetype(qstrlen(lowerCase)) && qstrnicmp(name, lowerCase, uint(length)) == 0;
}

// Optional white space around a value is not part of it.
QByteArray trimmed(const char *value, qsizetype length)
{
    return QByteArray::fromRawData(value, length).trimmed();
}

} // namespace

void RequestHeadCheck::target(const char *target, qsizetype length, bool cut)
{
    m_bytes += length;
    m_targetBytes = length;
    const bool originForm = length > 0 && target[0] == '/';
    const bool absoluteForm = qstrnicmp(target, "http://", 7) == 0 || qstrnicmp(target, "https://", 8) == 0;
    const bool asteriskForm = length == 1 && target[0] == '*';
    if (cut || !(originForm || absoluteForm || asteriskForm) || !allOf(classes.target, target, length))
        m_malformed = true;
}

void RequestHeadCheck::header(const char *name, qsizetype nameLength, const char *value, qsizetype valueLength)
{
    ++m_headers;
    m_bytes += nameLength + valueLength + 4;
    if (!allOf(classes.value, value, valueLength))
        m_malformed = true;
    if (named(name, nameLength, "host")) {
        ++m_hosts;
        m_malformed = m_malformed || !allOf(classes.host, value, valueLength);
    } else if (named(name, nameLength, "content-length")) {
        ++m_lengths;
    } else if (named(name, nameLength, "transfer-encoding")) {
        ++m_encodings;
        m_onlyChunked = m_onlyChunked && trimmed(value, valueLength).compare("chunked", Qt::CaseInsensitive) == 0;
    }
}

RequestHeadCheck::Verdict RequestHeadCheck::verdict(bool http10) const
{
    if (m_headers > m_maxHeaders)
        return Verdict::TooManyHeaders;
    if (m_targetBytes > m_maxBytes)
        return Verdict::TargetTooLong;
    if (m_bytes > m_maxBytes)
        return Verdict::TooLarge;
    if (m_malformed || m_hosts > 1 || (!http10 && m_hosts == 0) || m_lengths > 1)
        return Verdict::Malformed;
    if (m_encodings > 0 && (http10 || m_lengths > 0))
        return Verdict::Malformed;
    // Chunked once, and last: any other coding, or chunked twice, is one the door cannot undo.
    return m_encodings > 0 && (m_encodings > 1 || !m_onlyChunked) ? Verdict::UnknownCoding : Verdict::Fine;
}
