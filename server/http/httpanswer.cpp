#include "http/httpanswer.h"

#include "http/answerheaders.h"
#include "http/connectionbook.h"

#include <microhttpd.h>


ReadyAnswer::ReadyAnswer(int status, const Headers &headers, const QByteArray &body, bool closes)
    : m_status(status),
      // The library's own copy: a connection may still be sending it when the last of ours is gone.
      m_response(MHD_create_response_from_buffer(size_t(body.size()), const_cast<char *>(body.constData()),
                                                 MHD_RESPMEM_MUST_COPY))
{
    for (const auto &[name, value] : headers)
        MHD_add_response_header(m_response, name.constData(), value.constData());
    // Every answer: a browser takes each for what its type says.
    MHD_add_response_header(m_response, "X-Content-Type-Options", "nosniff");
    if (closes)
        MHD_add_response_header(m_response, MHD_HTTP_HEADER_CONNECTION, "close");
}

ReadyAnswer::~ReadyAnswer()
{
    MHD_destroy_response(m_response);
}

void PendingAnswer::deliver(const SharedAnswer &answer)
{
    const QMutexLocker locked(&m_lock);
    if (m_over || m_answer)
        return;
    m_answer = answer;
    if (m_suspended) {
        m_suspended = false;
        MHD_resume_connection(m_connection);
    }
}

SharedAnswer PendingAnswer::take()
{
    const QMutexLocker locked(&m_lock);
    return m_answer;
}

bool PendingAnswer::suspendUnlessAnswered()
{
    const QMutexLocker locked(&m_lock);
    if (m_answer)
        return false;
    m_suspended = true;
    MHD_suspend_connection(m_connection);
    return true;
}

void PendingAnswer::end()
{
    const QMutexLocker locked(&m_lock);
    m_over = true;
}

bool HttpAnswer::holdFor(ConnectionBook &book, const QHostAddress &client)
{
    if (!book.admitRequest(client))
        return false;
    m_held = std::shared_ptr<void>(nullptr, [&book, client](void *) { book.releaseRequest(client); });
    return true;
}

void HttpAnswer::send(int status, const Headers &headers, const QByteArray &body) const
{
    sendReady(std::make_shared<const ReadyAnswer>(status, headers, body));
}

void HttpAnswer::sendReady(const SharedAnswer &answer) const
{
    if (m_pending)
        m_pending->deliver(answer);
}

SharedAnswer HttpAnswer::textAnswer(int status, const QByteArray &words, const Headers &extra, bool closes)
{
    return std::make_shared<const ReadyAnswer>(status, AnswerHeaders::text() + extra, words + '\n', closes);
}

void HttpAnswer::text(int status, const QByteArray &words, const Headers &extra) const
{
    sendReady(textAnswer(status, words, extra));
}
