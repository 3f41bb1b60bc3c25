#pragma once

#include <QString>
#include <QUrl>

// The page a status server's answer is shown in: the answer fills it as its
// one inner frame. A picture shown as a page of its own is drawn the way the
// engine draws a lone picture, centred on a near-black page; the same
// picture as the content of an inner frame is drawn the way a classic
// browser drew it, at the top-left on the page's white. That is the
// engine's own rule for inner frames, which holds for every answer from its
// first paint, whatever the view showed before: no script has to reach the
// right document in time. A page the server answers with is shown as it is.
namespace AnswerFrame {

// The frame page for the address, its one inner frame loading the address.
QString html(const QUrl &address);

} // namespace AnswerFrame
