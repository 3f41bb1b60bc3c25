#include "http/answerheaders.h"

namespace AnswerHeaders {

Headers page(const QByteArray &policy)
{
    return Headers{{"Content-Type", "text/html; charset=utf-8"}, {"Cache-Control", "no-cache"}} + document(policy);
}

Headers document(const QByteArray &policy)
{
    return {{"Content-Security-Policy", policy}, {"Referrer-Policy", "no-referrer"}};
}

Headers asset(const QByteArray &contentType)
{
    return {{"Content-Type", contentType}, {"Cache-Control", "max-age=3600"}};
}

Headers badge()
{
    // Its one style is its own.
    return {{"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"}};
}

Headers text()
{
    return {{"Content-Type", "text/plain; charset=utf-8"}, {"Cache-Control", "no-store"}};
}

Headers metrics()
{
    return {{"Content-Type", "text/plain; version=0.0.4; charset=utf-8"}, {"Cache-Control", "no-store"}};
}

} // namespace AnswerHeaders
