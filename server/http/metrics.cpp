#include "http/metrics.h"

#include "http/connectionbook.h"
#include "model/medium.h"
#include "model/serverstats.h"
#include "service/statuslookup.h"

namespace {

// A label value as the text format writes it.
QByteArray quoted(const QString &value)
{
    QByteArray text = value.toUtf8();
    text.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
    return '"' + text + '"';
}

class Writer
{
public:
    void family(const char *name, const char *type, const char *help)
    {
        m_text += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    void sample(const QByteArray &nameAndLabels, qint64 value)
    {
        m_text += nameAndLabels + ' ' + QByteArray::number(value) + '\n';
    }
    QByteArray text() const { return m_text; }

private:
    QByteArray m_text;
};

void requests(Writer &out, const ServerStats &stats)
{
    out.family("quorvane_requests_total", "counter", "Status requests answered, by medium and form.");
    const QMap<QString, qint64> requests = stats.requests(); // a copy, read at one moment
    for (auto it = requests.cbegin(); it != requests.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        out.sample("quorvane_requests_total{medium=" + quoted(it.key().left(slash)) + ",form="
                       + quoted(it.key().mid(slash + 1)) + '}',
                   it.value());
    }
    out.family("quorvane_lookups_total", "counter", "Lookups answered, by medium.");
    for (const Medium &medium : Media::all())
        out.sample("quorvane_lookups_total{medium=" + quoted(medium.name) + '}', stats.lookups(medium.name));
    out.family("quorvane_cache_hits_total", "counter", "Answers from a cache rather than the network.");
    out.sample("quorvane_cache_hits_total{cache=\"near\"}", stats.nearHits());
    out.sample("quorvane_cache_hits_total{cache=\"shared\"}", stats.sharedHits());
    out.family("quorvane_busy_answers_total", "counter", "Lookups answered unknown because every place was taken.");
    out.sample("quorvane_busy_answers_total", stats.busyAnswers());
    out.family("quorvane_unknown_answers_total", "counter", "Lookups answered unknown, by reason (refusals among them).");
    for (const Reason reason : Reasons::all())
        out.sample("quorvane_unknown_answers_total{reason=" + quoted(QString::fromLatin1(Reasons::name(reason))) + '}',
                   stats.unknownAnswers(reason));
    out.family("quorvane_http_not_modified_total", "counter",
               "Status requests answered 304 Not Modified, the client's copy being the answer still.");
    out.sample("quorvane_http_not_modified_total", stats.notModified());
}

void connections(Writer &out, const ConnectionBook &book)
{
    out.family("quorvane_connections_refused_total", "counter", "Connections or requests turned away by a limit.");
    out.sample("quorvane_connections_refused_total{limit=\"in_all\"}", book.refusedInAll());
    out.sample("quorvane_connections_refused_total{limit=\"per_client\"}", book.refusedPerClient());
}

void checkers(Writer &out, const StatusLookup &lookup)
{
    out.family("quorvane_network_connected", "gauge",
               "Each network connection held for lookups: 1 when connected, with how it is asked and who holds it.");
    QList<QPair<QByteArray, qint64>> counters;
    for (const Medium &medium : Media::all()) {
        const PresenceChecker *checker = lookup.checker(medium.name);
        if (!checker)
            continue;
        for (const PresenceChecker::Row &row : checker->rows())
            out.sample("quorvane_network_connected{medium=" + quoted(medium.name) + ",network=" + quoted(row.name)
                           + ",state=" + quoted(row.state) + ",mechanism=" + quoted(row.mechanism)
                           + ",holder=" + quoted(row.holder.isEmpty() ? QStringLiteral("self") : row.holder) + '}',
                       row.state.startsWith(QLatin1String("connected")) ? 1 : 0);
        counters += checker->counters();
    }
    // The checkers' own counters, each family named once.
    QByteArrayList named;
    for (const auto &[name, value] : counters) {
        const QByteArray family = name.left(name.indexOf('{') < 0 ? name.size() : name.indexOf('{'));
        if (!named.contains(family)) {
            named.append(family);
            out.family(family.constData(), "counter", "Counted by the checker of a live medium.");
        }
        out.sample(name, value);
    }
}

void store(Writer &out, const StoreStatus &status)
{
    out.family("quorvane_store_up", "gauge", "Whether the shared store answers and accepted the set-up.");
    out.sample("quorvane_store_up", status.up ? 1 : 0);
    out.family("quorvane_store_down", "gauge", "Why the shared store is down, in its own terms.");
    if (!status.up)
        out.sample("quorvane_store_down{why=" + quoted(status.why) + '}', 1);
    out.family("quorvane_store_errors_total", "counter", "Commands the store answered with an error, by kind.");
    for (const auto &[kind, count] : status.errors)
        out.sample("quorvane_store_errors_total{kind=" + quoted(QString::fromLatin1(kind)) + '}', count);
}

} // namespace

namespace Metrics {

QByteArray render(const Sources &sources)
{
    Writer out;
    requests(out, sources.stats);
    connections(out, sources.book);
    checkers(out, sources.lookup);
    if (sources.store)
        store(out, sources.store());
    return out.text();
}

} // namespace Metrics
