#include "webview/engine/answerframe.h"

namespace AnswerFrame {

QString html(const QUrl &address)
{
    // The inner frame fills the view; it scrolls when its content is larger.
    static const QString page = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>"
        "html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;background:#fff}"
        "iframe{display:block;border:0;width:100%;height:100%}"
        "</style></head><body><iframe src=\"%1\"></iframe></body></html>");
    return page.arg(address.toString(QUrl::FullyEncoded).toHtmlEscaped());
}

} // namespace AnswerFrame
