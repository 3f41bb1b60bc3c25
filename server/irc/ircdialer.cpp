#include "irc/ircdialer.h"

#include "irc/addresspolicy.h"
#include "irc/irctransport.h"

#include <QHostInfo>
#include <QPointer>
#include <algorithm>
#include <utility>

IrcDialer::IrcDialer(const QString &host, std::optional<quint16> port, const IrcSettings &settings,
                     const AddressPolicy &policy, TransportFactory transports, QObject *parent)
    : QObject(parent), m_host(host), m_port(port), m_settings(settings), m_policy(policy),
      m_transports(std::move(transports))
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (isResolving())
            return onResolveTimeout();
        onAttemptFailed(Reason::NoConnectionInTime, {});
    });
}

IrcDialer::~IrcDialer()
{
    if (m_resolveId >= 0)
        QHostInfo::abortHostLookup(m_resolveId);
    drop();
}

void IrcDialer::dial()
{
    QHostAddress literal;
    if (literal.setAddress(m_host)) {
        QHostInfo info;
        info.setAddresses({literal});
        return onResolved(info);
    }
    // A resolver that never answers must not hold the network for ever.
    m_timeout.start(m_settings.connectTimeoutMs);
    if (m_settings.resolver) {
        m_resolving = true;
        const int generation = ++m_generation;
        QPointer<IrcDialer> self(this);
        m_settings.resolver(m_host, this, [self, generation](const QList<QHostAddress> &addresses) {
            if (!self || !self->m_resolving || self->m_generation != generation)
                return;
            QHostInfo info;
            info.setAddresses(addresses);
            self->onResolved(info);
        });
        return;
    }
    m_resolveId = QHostInfo::lookupHost(m_host, this, &IrcDialer::onResolved);
}

void IrcDialer::onResolved(const QHostInfo &info)
{
    m_timeout.stop();
    m_resolveId = -1;
    m_resolving = false;
    const QList<QHostAddress> addresses = info.addresses();
    if (addresses.isEmpty())
        return emit failed(Reason::IrcServerNotFound, {});
    const auto allowed = std::find_if(addresses.cbegin(), addresses.cend(),
                                      [this](const QHostAddress &address) { return m_policy.allows(address); });
    if (allowed == addresses.cend())
        return emit failed(Reason::AddressNotAllowed, {});
    m_address = *allowed;
    m_attempts.clear();
    if (m_port) {
        m_attempts.append({*m_port, *m_port == m_settings.tlsPort});
    } else {
        if (!m_tlsUnavailable)
            m_attempts.append({m_settings.tlsPort, true});
        m_attempts.append({m_settings.plainPort, false});
    }
    tryNext();
}

void IrcDialer::onResolveTimeout()
{
    if (m_resolveId >= 0)
        QHostInfo::abortHostLookup(m_resolveId);
    m_resolveId = -1;
    m_resolving = false;
    emit failed(Reason::NameNotResolvedInTime, {});
}

void IrcDialer::tryNext()
{
    const Attempt attempt = m_attempts.takeFirst();
    m_tls = attempt.tls;
    m_transport = m_transports(parent());
    connect(m_transport, &IrcTransport::opened, this, [this] {
        m_timeout.stop();
        IrcTransport *open = std::exchange(m_transport, nullptr);
        open->disconnect(this);
        emit connected(open);
    });
    connect(m_transport, &IrcTransport::failed, this, &IrcDialer::onAttemptFailed);
    m_timeout.start(m_settings.connectTimeoutMs);
    m_transport->open(m_address, attempt.port, attempt.tls, m_host);
}

void IrcDialer::onAttemptFailed(Reason reason, const QString &detail)
{
    m_timeout.stop();
    drop();
    if (m_tls && !m_port)
        m_tlsUnavailable = true;
    if (!m_attempts.isEmpty())
        return tryNext();
    emit failed(reason, detail);
}

void IrcDialer::drop()
{
    if (!m_transport)
        return;
    IrcTransport *transport = std::exchange(m_transport, nullptr);
    transport->disconnect(this);
    transport->close();
    transport->deleteLater();
}
