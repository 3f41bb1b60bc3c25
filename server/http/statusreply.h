#pragma once

#include "model/statusanswer.h"

#include <QByteArray>
#include <optional>

// The body of a status answer in the form asked for: the status picture,
// a page that shows the same picture with the answer in words (for a
// browser that opens the address as a page), the status word, or JSON.
struct StatusReply
{
    enum Form { Picture, Page, Text, Json };

    QByteArray body;
    QByteArray contentType;

    // The form a query asks for (?format=png or image, text, json); without
    // one, a page when the request is a browser's navigation, else the
    // picture. The picture set (?set=1..4, else 0). Nothing when either
    // names something that does not exist.
    static std::optional<Form> form(const QString &format, bool navigation);
    static std::optional<int> set(const QString &set);

    static StatusReply make(const StatusAnswer &answer, Form form, int set);
    // The headers of a status answer in that form.
    static QList<QPair<QByteArray, QByteArray>> headers(const StatusReply &reply, Form form);
    // The whole HTTP answer of a status picture, composed once for each
    // picture (there are a few hundred at most).
    static const QByteArray &pictureAnswer(const StatusAnswer &answer, int set);

    // The page form's policy: nothing runs, nothing is fetched, its one
    // style is the one it carries.
    static const QByteArray &pagePolicy();
};
