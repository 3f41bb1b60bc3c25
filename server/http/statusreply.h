#pragma once

#include "status/statusanswer.h"

#include <QByteArray>
#include <optional>

// The body of a status answer in the form asked for.
struct StatusReply
{
    enum Form { Picture, Text, Json };

    QByteArray body;
    QByteArray contentType;

    // The form a query asks for (?format=text, ?format=json, else a
    // picture) and the picture set (?set=1..4, else 0); nothing when either
    // names something that does not exist.
    static std::optional<Form> form(const QString &format);
    static std::optional<int> set(const QString &set);

    static StatusReply make(const StatusAnswer &answer, Form form, int set);
};
