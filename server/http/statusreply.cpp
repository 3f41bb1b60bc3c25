#include "statusreply.h"

#include "status/statuspictures.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

std::optional<StatusReply::Form> StatusReply::form(const QString &format)
{
    if (format.isEmpty() || format == QLatin1String("png") || format == QLatin1String("image"))
        return Picture;
    if (format == QLatin1String("text"))
        return Text;
    if (format == QLatin1String("json"))
        return Json;
    return std::nullopt;
}

std::optional<int> StatusReply::set(const QString &set)
{
    if (set.isEmpty())
        return 0;
    bool number = false;
    const int value = set.toInt(&number);
    if (!number || value < 1 || value > StatusPictures::sets || set.size() != 1)
        return std::nullopt;
    return value;
}

StatusReply StatusReply::make(const StatusAnswer &answer, Form form, int set)
{
    const QString status = StatusAnswer::statusName(answer.status);
    switch (form) {
    case Text:
        return {status.toUtf8() + '\n', "text/plain; charset=utf-8"};
    case Json: {
        const QJsonObject object{
            {QStringLiteral("medium"), answer.medium},
            {QStringLiteral("account"), answer.account},
            {QStringLiteral("status"), status},
            {QStringLiteral("checked"), answer.checked.toString(Qt::ISODate)},
            {QStringLiteral("reason"), answer.reason.isEmpty() ? QJsonValue() : QJsonValue(answer.reason)},
        };
        return {QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n', "application/json"};
    }
    case Picture:
        break;
    }
    QFile picture(StatusPictures::path(answer.medium, answer.status, set));
    picture.open(QIODevice::ReadOnly);
    return {picture.readAll(), "image/png"};
}
