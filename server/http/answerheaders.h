#pragma once

#include "http/httpanswer.h"

// The headers of each kind of answer, in one place. A page is a document
// that is asked for again each time, runs and fetches only what its policy
// names, and sends no referrer on; what pages use (their style sheet and
// pictures) is kept an hour; a badge opened as a document runs nothing
// either; a short text (a refusal, /health) and the metrics are never kept.
// Every answer also says nosniff (ReadyAnswer), and a status answer's
// validators are its own (StatusReply).
namespace AnswerHeaders {

using Headers = ReadyAnswer::Headers;

Headers page(const QByteArray &policy);
// What makes an answer such a document: its policy, no referrer.
Headers document(const QByteArray &policy);
Headers asset(const QByteArray &contentType);
Headers badge();
Headers text();
Headers metrics();

} // namespace AnswerHeaders
