// The Jabber account's fairness in-process, times passed in: one domain's
// share of the minute and of the contacts, and the dead let go.
#include "xmpp/contactbook.h"
#include "xmpp/subscriptiongate.h"
#include "xmpp/xmpptrouble.h"

#include <QTest>

#include <cerrno>

namespace {

using Refusal = SubscriptionGate::Refusal;

// Asks as JabberPresence does (an accepted one holds her place at once):
// how many of count people of the domain (p<now>-<i>@domain) were accepted.
int accepted(SubscriptionGate &gate, ContactBook &book, const QString &domain, int count, qint64 now, Refusal *last = nullptr)
{
    int yes = 0;
    for (int i = 0; i < count; ++i) {
        const Refusal verdict = gate.admit(domain, book, now);
        if (verdict == Refusal::None) {
            book.reserve(QStringLiteral("p%1-%2@%3").arg(now).arg(i).arg(domain), now);
            ++yes;
        }
        if (last)
            *last = verdict;
    }
    return yes;
}

} // namespace

class TestJabberRules : public QObject
{
    Q_OBJECT

private slots:
    void theAccountsTroublesAreSaidInWords_data();
    void theAccountsTroublesAreSaidInWords();
    void oneDomainFloodingLeavesTheMinuteToOthers();
    void oneDomainHoldsItsShareOfTheContactsOnly();
    void theDeadAreLetGoAndALossOrRestartLetsNobodyGoSooner();
};

void TestJabberRules::oneDomainFloodingLeavesTheMinuteToOthers()
{
    SubscriptionGate gate{XmppSettings{}};
    ContactBook book(5000);
    Refusal last = Refusal::None;
    QCOMPARE(accepted(gate, book, QStringLiteral("crowd.example"), 70, 1000, &last), 30);
    QCOMPARE(last, Refusal::DomainMinuteShare);
    QCOMPARE(accepted(gate, book, QStringLiteral("a.example"), 30, 2000), 30);
    QCOMPARE(accepted(gate, book, QStringLiteral("b.example"), 1, 3000, &last), 0);
    QCOMPARE(last, Refusal::MinuteFull);
    // A minute after the flood its places in the minute are free again.
    QCOMPARE(accepted(gate, book, QStringLiteral("crowd.example"), 1, 60'999), 0);
    QCOMPARE(accepted(gate, book, QStringLiteral("crowd.example"), 40, 61'000), 30);
}

void TestJabberRules::oneDomainHoldsItsShareOfTheContactsOnly()
{
    XmppSettings settings;
    settings.maxContacts = 40;
    QCOMPARE(settings.domainContactsBound(), 10); // a tenth, at least 10
    settings.domainMaxContacts = 7;
    SubscriptionGate gate(settings);
    ContactBook book(settings.maxContacts);
    Refusal last = Refusal::None;
    // Minute after minute it asks again: its places, held before the XMPP
    // server pushes their items, stay at 7 while others are accepted.
    QCOMPARE(accepted(gate, book, QStringLiteral("crowd.example"), 5, 0), 5);
    QCOMPARE(accepted(gate, book, QStringLiteral("crowd.example"), 5, 60'000, &last), 2);
    QCOMPARE(last, Refusal::DomainContactShare);
    QCOMPARE(accepted(gate, book, QStringLiteral("other.example"), 1, 60'000), 1);
    // A place let go is free again; the whole roster's bound comes first.
    book.setItem(QStringLiteral("p0-0@crowd.example"), QStringLiteral("remove"), false, 0);
    QCOMPARE(accepted(gate, book, QStringLiteral("crowd.example"), 2, 120'000), 1);
    for (int i = 0; !book.full(); ++i)
        book.setItem(QStringLiteral("x@d%1.example").arg(i), QStringLiteral("both"), false, 0);
    QCOMPARE(accepted(gate, book, QStringLiteral("new.example"), 1, 180'000, &last), 0);
    QCOMPARE(last, Refusal::RosterFull);
}

void TestJabberRules::theDeadAreLetGoAndALossOrRestartLetsNobodyGoSooner()
{
    const auto stale = [](ContactBook &book, qint64 now) {
        QStringList jids = book.unseenAndUnasked(now, 1000, XmppSettings::maxForgottenPerSweep);
        jids.sort();
        return jids.join(' ');
    };
    ContactBook book(1000);
    for (const char *jid : {"quiet@x", "seen@x", "asked@x", "here@x"})
        book.setItem(QString::fromLatin1(jid), QStringLiteral("both"), false, 0);
    book.setPresence(QStringLiteral("here@x"), QStringLiteral("phone"), {}, {}, 0); // online ever since
    book.setPresence(QStringLiteral("seen@x"), QStringLiteral("pc"), QStringLiteral("unavailable"), {}, 600);
    book.setPresence(QStringLiteral("quiet@x"), QStringLiteral("pc"), QStringLiteral("error"), {}, 600); // no sign of life
    book.asked(QStringLiteral("asked@x"), 600);
    QCOMPARE(stale(book, 999), QString());
    QCOMPARE(stale(book, 1000), QStringLiteral("quiet@x"));
    QCOMPARE(stale(book, 1600), QStringLiteral("asked@x quiet@x seen@x"));

    // A lost connection keeps the times; a new process counts from its login.
    book.clear();
    book.setItem(QStringLiteral("quiet@x"), QStringLiteral("both"), false, 900);
    book.loggedIn();
    QCOMPARE(stale(book, 1000), QStringLiteral("quiet@x"));
    ContactBook restarted(1000);
    restarted.setItem(QStringLiteral("quiet@x"), QStringLiteral("both"), false, 900);
    QCOMPARE(stale(restarted, 1899), QString());

    // One sweep lets a bounded number go.
    for (int i = 0; i < 150; ++i)
        book.setItem(QStringLiteral("old%1@y").arg(i), QStringLiteral("from"), false, 0);
    QCOMPARE(book.unseenAndUnasked(5000, 1000, 1000).size(), 151);
    QCOMPARE(book.unseenAndUnasked(5000, 1000, XmppSettings::maxForgottenPerSweep).size(), XmppSettings::maxForgottenPerSweep);
}

// What the operator reads of a lost or refused login: the trouble, never
// libstrophe's numbers or its own wording; a stranger server's text is cut
// and kept on one line.
void TestJabberRules::theAccountsTroublesAreSaidInWords_data()
{
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("words");
    QTest::newRow("shutting down") << XmppTrouble::ofStreamError(QStringLiteral("system-shutdown"), {})
                                   << QStringLiteral("the XMPP server is shutting down");
    QTest::newRow("an unknown domain") << XmppTrouble::ofStreamError(QStringLiteral("host-unknown"), {})
                                       << QStringLiteral("the XMPP server does not serve the account's domain");
    QTest::newRow("a condition with words")
        << XmppTrouble::ofStreamError(QStringLiteral("conflict"), QStringLiteral("Replaced\nby new\tlogin ") + QString(300, u'x'))
        << QStringLiteral("another login of the account took its place (the server said: Replaced by new login ")
               + QString(98, u'x') + QLatin1Char(')');
    QTest::newRow("a condition of no table") << XmppTrouble::ofStreamError(QStringLiteral("unsupported-version"), {})
                                             << QStringLiteral("the XMPP server ended the stream (unsupported-version)");
    QTest::newRow("an untrusted certificate")
        << XmppTrouble::ofConnection(QStringLiteral("No certfail handler set, canceling connection attempt"), 0)
        << QStringLiteral("the XMPP server's certificate is not trusted");
    QTest::newRow("a wrong password")
        << XmppTrouble::ofConnection(QStringLiteral("Cannot authenticate with known methods"), 0)
        << QStringLiteral("the password was refused");
    QTest::newRow("a refused connection") << XmppTrouble::ofConnection({}, ECONNREFUSED)
                                          << QStringLiteral("the XMPP server refused the connection");
    QTest::newRow("nothing said") << XmppTrouble::ofConnection({}, 0) << QStringLiteral("the connection closed");
}

void TestJabberRules::theAccountsTroublesAreSaidInWords()
{
    QFETCH(QString, said);
    QFETCH(QString, words);
    QCOMPARE(said, words);
}

QTEST_GUILESS_MAIN(TestJabberRules)
#include "tst_jabberrules.moc"
