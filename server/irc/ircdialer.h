#pragma once

#include "irc/ircsettings.h"
#include "model/reason.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class AddressPolicy;
class IrcTransport;
class QHostInfo;

// Opens the connection to one IRC server. The host is resolved once and the
// connection goes to the first address resolved that the policy allows, so
// a name cannot lead elsewhere between the check and the connection.
// Without a named port TLS on the TLS port comes first, plain text after it
// when TLS cannot be had; the resolution and each attempt have the connect
// time.
class IrcDialer : public QObject
{
    Q_OBJECT

public:
    using TransportFactory = std::function<IrcTransport *(QObject *parent)>;

    IrcDialer(const QString &host, std::optional<quint16> port, const IrcSettings &settings,
              const AddressPolicy &policy, TransportFactory transports, QObject *parent = nullptr);
    ~IrcDialer() override;

    void dial();
    bool isResolving() const { return m_resolveId >= 0 || m_resolving; }
    bool tls() const { return m_tls; }

signals:
    // The open transport, now the receiver's, parented to the dialer's parent.
    void connected(IrcTransport *transport);
    void failed(Reason reason, const QString &detail);

private:
    struct Attempt
    {
        quint16 port;
        bool tls;
    };
    void onResolved(const QHostInfo &info);
    void onResolveTimeout();
    void tryNext();
    void onAttemptFailed(Reason reason, const QString &detail);
    void drop();

    QString m_host;
    std::optional<quint16> m_port;
    const IrcSettings &m_settings;
    const AddressPolicy &m_policy;
    TransportFactory m_transports;
    QHostAddress m_address;
    QList<Attempt> m_attempts;
    bool m_tls = false;
    bool m_tlsUnavailable = false; // learnt once, so reconnections skip straight to plain text
    int m_resolveId = -1;
    bool m_resolving = false;  // by the settings' resolver
    int m_generation = 0;      // of that resolution, so a late answer of an older one is ignored
    IrcTransport *m_transport = nullptr;
    QTimer m_timeout;
};
