// An IRC network's whole byte stream to the client, cut into lines as the
// socket transport cuts them, delivered through the recording transport to
// a network with lookups waiting: registration, the 005 tokens, ISON and
// MONITOR replies, errors, the connection lost and dialled again. Queued
// work runs between lines; no real timer is waited on. When the network is
// left every lookup has had exactly one answer.
#include "fuzzapp.h"
#include "support/recordingtransport.h"

#include "irc/addresspolicy.h"
#include "irc/ircnetwork.h"

#include <QPointer>

#include <cstdint>
#include <cstdlib>

namespace {

const IrcSettings &settings()
{
    static const IrcSettings fast = [] {
        IrcSettings made;
        made.allowedPorts = {6667};
        made.gatherMs = 0;
        made.floodBurst = 8;
        made.unreachableMemoryMs = 0;
        made.resolver = [](const QString &, QObject *, const IrcSettings::Resolved &done) {
            done({QHostAddress(QHostAddress::LocalHost)});
        };
        return made;
    }();
    return fast;
}

const AddressPolicy &loopback()
{
    static const AddressPolicy policy = [] {
        AddressPolicy made;
        made.allow(QStringLiteral("127.0.0.0/8"));
        return made;
    }();
    return policy;
}

const QByteArrayList firstNicks{"Telmik", "brasko", "[Quorv]", "n1", "n2", "n3", "n4", "nick5"};
const QByteArrayList laterNicks{"TELMIK", "{quorv}", "late1", "late2"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzApp::application();
    QPointer<RecordingTransport> current;
    const auto transports = [&current](QObject *owner) -> IrcTransport * {
        auto *transport = new RecordingTransport(owner);
        current = transport;
        QMetaObject::invokeMethod(transport, &RecordingTransport::accept, Qt::QueuedConnection);
        return transport;
    };
    int asked = 0, answered = 0;
    const auto count = [&answered](const Presence &) { ++answered; };
    {
        IrcNetwork network(QStringLiteral("irc.fuzz.test"), quint16(6667), settings(), loopback(), transports);
        for (const QByteArray &nick : firstNicks)
            network.lookup(nick, count), ++asked;
        FuzzApp::settle();

        // As the socket transport does: a line ends at LF, a CR before it is dropped.
        QByteArrayList lines = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\n');
        lines.removeLast(); // what no LF ended never arrives
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArray &line = lines[i];
            if (line.endsWith('\r'))
                line.chop(1);
            if (current)
                current->deliver(line);
            if (i == lines.size() / 2)
                for (const QByteArray &nick : laterNicks)
                    network.lookup(nick, count), ++asked;
            FuzzApp::settle(1);
        }
        network.name();
        network.stateText();
        network.mechanism();
        network.queueLength();
        network.leave();
        FuzzApp::settle();
        if (answered != asked)
            abort();
    }
    FuzzApp::settle();
    return 0;
}
