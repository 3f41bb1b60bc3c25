#include "http/statusreply.h"

#include "http/httpanswer.h"
#include "model/medium.h"
#include "model/statuspictures.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The page shows the picture where a browser would show it bare, at the
// top-left on white, and says the answer in its title and the picture's text.
const char pageStyle[] = "html,body{margin:0;padding:0;background:#fff}img{display:block}";

// The generated pictures never change while the server runs; each is read
// from the resources once (there are a few hundred at most).
const QByteArray &pictureBytes(const QString &path)
{
    static QHash<QString, QByteArray> read;
    auto found = read.find(path);
    if (found == read.end()) {
        QFile file(path);
        found = read.insert(path, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return *found;
}

QByteArray page(const StatusAnswer &answer, const QByteArray &png)
{
    const QByteArray words = answer.inWords().toHtmlEscaped().toUtf8();
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + words
           + "</title>\n<style>" + pageStyle + "</style></head>\n<body><img src=\"data:image/png;base64,"
           + png.toBase64() + "\" alt=\"" + words + "\"></body></html>\n";
}

} // namespace

std::optional<StatusReply::Form> StatusReply::form(const QString &format, bool navigation)
{
    if (format.isEmpty())
        return navigation ? Page : Picture;
    if (format == QLatin1String("png") || format == QLatin1String("image"))
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

QList<QPair<QByteArray, QByteArray>> StatusReply::headers(const StatusReply &reply, Form form)
{
    // Every form of a status answer is fresh; the page and the picture
    // depend on what the request said it wants.
    QList<QPair<QByteArray, QByteArray>> headers{
        {"Content-Type", reply.contentType}, {"Cache-Control", "no-store"}, {"Vary", "Accept, Sec-Fetch-Dest"}};
    if (form == Page)
        headers += {{"Content-Security-Policy", pagePolicy()}, {"Referrer-Policy", "no-referrer"}};
    return headers;
}

const QByteArray &StatusReply::pictureAnswer(const StatusAnswer &answer, int set)
{
    static QHash<QString, QByteArray> composed;
    const Medium *medium = Media::find(answer.medium);
    const QString path = medium ? StatusPictures::path(*medium, answer.presence.status, set) : QString();
    auto found = composed.find(path);
    if (found == composed.end()) {
        const StatusReply reply = make(answer, Picture, set);
        found = composed.insert(path, HttpAnswer::compose(200, headers(reply, Picture), reply.body, false));
    }
    return *found;
}

const QByteArray &StatusReply::pagePolicy()
{
    static const QByteArray policy =
        "default-src 'none'; img-src data:; style-src 'sha256-"
        + QCryptographicHash::hash(pageStyle, QCryptographicHash::Sha256).toBase64()
        + "'; base-uri 'none'; form-action 'none'; frame-ancestors 'self'";
    return policy;
}

StatusReply StatusReply::make(const StatusAnswer &answer, Form form, int set)
{
    const QString status = Presence::statusName(answer.presence.status);
    switch (form) {
    case Text:
        return {status.toUtf8() + '\n', "text/plain; charset=utf-8"};
    case Json: {
        const QString reason = answer.presence.reasonText();
        const QJsonObject object{
            {QStringLiteral("medium"), answer.medium},
            {QStringLiteral("account"), answer.account},
            {QStringLiteral("status"), status},
            {QStringLiteral("checked"), answer.checked.toString(Qt::ISODate)},
            {QStringLiteral("reason"), reason.isEmpty() ? QJsonValue() : QJsonValue(reason)},
        };
        return {QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n', "application/json"};
    }
    case Picture:
    case Page:
        break;
    }
    const Medium *medium = Media::find(answer.medium);
    const QByteArray &png = medium ? pictureBytes(StatusPictures::path(*medium, answer.presence.status, set))
                                   : QByteArray();
    if (form == Page)
        return {page(answer, png), "text/html; charset=utf-8"};
    return {png, "image/png"};
}
