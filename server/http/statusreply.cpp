#include "http/statusreply.h"

#include "http/answerheaders.h"
#include "http/entitytag.h"
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
const char pageStyle[] = "html,body{margin:0;padding:0;background:#fff}img{display:block}"
                         "p{margin:4px;font:13px sans-serif}";

// The generated pictures never change while the server runs; each is read
// from the resources once (there are a few hundred at most).
QByteArray pictureBytes(const QString &path)
{
    static QMutex lock; // the doors' threads read them too
    static QHash<QString, QByteArray> read;
    const QMutexLocker locked(&lock);
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
    // What the contact says herself, under the picture, as hers.
    const QByteArray message = answer.presence.message.isEmpty()
                                   ? QByteArray()
                                   : "<p>\u201c" + answer.presence.message.toHtmlEscaped().toUtf8() + "\u201d</p>";
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + words
           + "</title>\n<style>" + pageStyle + "</style></head>\n<body><img src=\"data:image/png;base64,"
           + png.toBase64() + "\" alt=\"" + words + "\">" + message + "</body></html>\n";
}

QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
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
    if (format == QLatin1String("svg"))
        return Svg;
    if (format == QLatin1String("shields"))
        return Shields;
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

QList<QPair<QByteArray, QByteArray>> StatusReply::validators(const StatusReply &reply, const Choice &choice)
{
    // Every form of a status answer may be kept, but is asked for again
    // each time: the answer may change at any moment, and when it has not,
    // the 304 costs the client nothing to download.
    QList<QPair<QByteArray, QByteArray>> headers{{"ETag", reply.tag}, {"Cache-Control", "no-cache"}};
    if (choice.negotiated)
        headers.append(qMakePair(QByteArray("Vary"), QByteArray("Accept, Sec-Fetch-Dest")));
    return headers;
}

QList<QPair<QByteArray, QByteArray>> StatusReply::headers(const StatusReply &reply, const Choice &choice)
{
    QList<QPair<QByteArray, QByteArray>> headers{{"Content-Type", reply.contentType}};
    headers += validators(reply, choice);
    if (choice.form == Page)
        headers += AnswerHeaders::document(pagePolicy());
    if (choice.form == Svg)
        headers += AnswerHeaders::badge();
    return headers;
}

StatusReply::Composed StatusReply::compose(const StatusAnswer &answer, const Choice &choice)
{
    const StatusReply reply = make(answer, choice);
    return {std::make_shared<const ReadyAnswer>(200, headers(reply, choice), reply.body),
            std::make_shared<const ReadyAnswer>(304, validators(reply, choice), reply.body), reply.tag};
}

ComposedAnswers::ComposedAnswers()
{
    const QList<Medium> &media = Media::all();
    for (int medium = 0; medium < media.size(); ++medium)
        for (const Presence::Status status : {Presence::Online, Presence::Away, Presence::Offline, Presence::Unknown})
            for (int set = 0; set <= StatusPictures::sets; ++set)
                for (const bool negotiated : {false, true}) {
                    const StatusAnswer answer{media.at(medium).name, {}, Presence::known(status), {}};
                    const StatusReply::Choice choice{StatusReply::Picture, set, StatusBadge::Theme::Both, negotiated, 0};
                    m_pictures.insert(pictureKey(medium, status, set, negotiated), StatusReply::compose(answer, choice));
                }
}

quint32 ComposedAnswers::pictureKey(int medium, Presence::Status status, int set, bool negotiated)
{
    return quint32(medium) << 16 | quint32(status) << 8 | quint32(set) << 1 | quint32(negotiated);
}

std::optional<StatusReply::Composed> ComposedAnswers::find(const StatusAnswer &answer, const StatusReply::Choice &choice)
{
    if (choice.form == StatusReply::Picture) {
        const Medium *medium = Media::find(answer.medium);
        if (!medium)
            return std::nullopt;
        return m_pictures.value(pictureKey(int(medium - Media::all().constData()), answer.presence.status, choice.set,
                                           choice.negotiated));
    }
    if (choice.form != StatusReply::Svg)
        return std::nullopt;
    const QString key = answer.medium + u'\n' + QString::number(int(choice.theme)) + u'\n' + StatusBadge::words(answer);
    {
        const QReadLocker reading(&m_lock);
        if (const auto found = m_badges.constFind(key); found != m_badges.cend())
            return *found;
    }
    // Composed outside the lock: another thread composing the same badge
    // meanwhile makes the same bytes.
    StatusReply::Composed made = StatusReply::compose(answer, choice);
    const QWriteLocker writing(&m_lock);
    if (m_badges.size() >= maxComposed)
        m_badges.clear();
    m_badges.insert(key, made);
    return made;
}

const QByteArray &StatusReply::pagePolicy()
{
    static const QByteArray policy =
        "default-src 'none'; img-src data:; style-src 'sha256-"
        + QCryptographicHash::hash(pageStyle, QCryptographicHash::Sha256).toBase64()
        + "'; base-uri 'none'; form-action 'none'; frame-ancestors 'self'";
    return policy;
}

StatusReply StatusReply::make(const StatusAnswer &answer, const Choice &choice)
{
    StatusReply reply = unvalidated(answer, choice);
    reply.tag = EntityTag::of(reply.body);
    return reply;
}

QString StatusReply::since(const StatusAnswer &answer)
{
    if (!answer.presence.since.isValid() || answer.presence.status == Presence::Unknown)
        return {};
    return answer.presence.since.toUTC().toString(Qt::ISODate);
}

StatusReply StatusReply::unvalidated(const StatusAnswer &answer, const Choice &choice)
{
    const QString status = Presence::statusName(answer.presence.status);
    switch (choice.form) {
    case Svg:
        return {StatusBadge::svg(answer, choice.theme), "image/svg+xml", {}};
    case Shields:
        return {StatusBadge::shields(answer, choice.cacheSeconds), "application/json", {}};
    case Text: {
        // The status alone on the first line, for scripts; since when on the next.
        const QString held = since(answer);
        return {status.toUtf8() + '\n' + (held.isEmpty() ? QByteArray() : "since " + held.toUtf8() + '\n'),
                "text/plain; charset=utf-8", {}};
    }
    case Json: {
        const QJsonObject object{
            {QStringLiteral("medium"), answer.medium},
            {QStringLiteral("account"), answer.account},
            {QStringLiteral("status"), status},
            {QStringLiteral("checked"), answer.checked.toString(Qt::ISODate)},
            {QStringLiteral("since"), orNull(since(answer))},
            {QStringLiteral("reason"), orNull(answer.presence.reasonText())},
            {QStringLiteral("message"), orNull(answer.presence.message)},
        };
        return {QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n', "application/json", {}};
    }
    case Picture:
    case Page:
        break;
    }
    const Medium *medium = Media::find(answer.medium);
    const QByteArray png = medium ? pictureBytes(StatusPictures::path(*medium, answer.presence.status, choice.set))
                                   : QByteArray();
    if (choice.form == Page)
        return {page(answer, png), "text/html; charset=utf-8", {}};
    return {png, "image/png", {}};
}
