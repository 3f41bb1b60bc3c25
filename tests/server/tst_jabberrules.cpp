// The Jabber account's fairness, in-process with times passed in: one
// domain's share of the minute and of the contacts, and contacts neither
// seen online nor asked for let go.
#include "xmpp/contactbook.h"
#include "xmpp/subscriptiongate.h"

#include <QTest>

namespace {

using Refusal = SubscriptionGate::Refusal;

// Asks for each address at this moment as JabberPresence does: an accepted
// one holds her place at once. The verdicts, in order.
QList<Refusal> request(SubscriptionGate &gate, ContactBook &book, const QStringList &jids, qint64 now)
{
    QList<Refusal> verdicts;
    for (const QString &jid : jids) {
        verdicts.append(gate.admit(ContactBook::domainOf(jid), book, now));
        if (verdicts.last() == Refusal::None)
            book.reserve(jid, now);
    }
    return verdicts;
}

QStringList people(const QString &domain, int count, int first = 0)
{
    QStringList jids;
    for (int i = first; i < first + count; ++i)
        jids.append(QStringLiteral("p%1@%2").arg(i).arg(domain));
    return jids;
}

} // namespace

class TestJabberRules : public QObject
{
    Q_OBJECT

private slots:
    void oneDomainFloodingLeavesTheMinuteToOthers();
    void oneDomainHoldsItsShareOfTheContactsOnly();
    void theDefaultsAreHalfTheMinuteAndATenthOfTheContactsWithFloors();
    void aContactUnseenAndUnaskedIsLetGo();
    void aLossKeepsTheTimesButANewProcessCountsFromItsLogin();
};

void TestJabberRules::oneDomainFloodingLeavesTheMinuteToOthers()
{
    const XmppSettings settings;
    SubscriptionGate gate(settings);
    ContactBook book(settings.maxContacts);
    const QList<Refusal> flood = request(gate, book, people(QStringLiteral("crowd.example"), 70), 1000);
    QCOMPARE(flood.count(Refusal::None), settings.domainPerMinute);
    QCOMPARE(flood.count(Refusal::DomainMinuteShare), 70 - settings.domainPerMinute);
    QCOMPARE(book.domainSize(QStringLiteral("crowd.example")), settings.domainPerMinute);

    // Others are accepted meanwhile, until the minute's whole rate.
    const int room = XmppSettings::subscriptionsPerMinute - settings.domainPerMinute;
    QCOMPARE(request(gate, book, people(QStringLiteral("a.example"), 1), 2000), QList<Refusal>{Refusal::None});
    QCOMPARE(request(gate, book, people(QStringLiteral("b.example"), room - 1), 3000).count(Refusal::None), room - 1);
    QCOMPARE(request(gate, book, {QStringLiteral("late@c.example")}, 4000), QList<Refusal>{Refusal::MinuteFull});

    // A minute after the flood its share is free again, the rest a second later.
    QCOMPARE(request(gate, book, people(QStringLiteral("crowd.example"), 1, 100), 60'999), QList<Refusal>{Refusal::MinuteFull});
    QCOMPARE(request(gate, book, people(QStringLiteral("crowd.example"), 31, 100), 61'000).count(Refusal::None), 30);
    QCOMPARE(request(gate, book, {QStringLiteral("late@c.example")}, 61'000), QList<Refusal>{Refusal::MinuteFull});
    QCOMPARE(request(gate, book, {QStringLiteral("late@c.example")}, 62'000), QList<Refusal>{Refusal::None});
}

void TestJabberRules::oneDomainHoldsItsShareOfTheContactsOnly()
{
    XmppSettings settings;
    settings.maxContacts = 40;
    settings.domainMaxContacts = 7;
    SubscriptionGate gate(settings);
    ContactBook book(settings.maxContacts);
    // Minute after minute the domain asks again; its places stay at 7, held
    // from the acceptance on, before the XMPP server pushes the items.
    for (int minute = 0; minute < 3; ++minute)
        request(gate, book, people(QStringLiteral("crowd.example"), 5, minute * 5), minute * 60'000);
    QCOMPARE(book.domainSize(QStringLiteral("crowd.example")), 7);
    QCOMPARE(request(gate, book, {QStringLiteral("more@crowd.example")}, 200'000),
             QList<Refusal>{Refusal::DomainContactShare});
    QCOMPARE(request(gate, book, {QStringLiteral("else@other.example")}, 200'000), QList<Refusal>{Refusal::None});

    // A place let go is a place again; the domain of a capitalized push is the same.
    QVERIFY(book.setItem(QStringLiteral("p0@crowd.example"), QStringLiteral("remove"), false, 200'000));
    QCOMPARE(book.domainSize(QStringLiteral("crowd.example")), 6);
    QCOMPARE(request(gate, book, {QStringLiteral("more@CROWD.example")}, 200'000), QList<Refusal>{Refusal::None});

    // The whole roster's bound comes first.
    for (int i = 0; !book.full(); ++i)
        QVERIFY(book.setItem(QStringLiteral("x%1@d%1.example").arg(i), QStringLiteral("both"), false, 0));
    QCOMPARE(request(gate, book, {QStringLiteral("new@new.example")}, 300'000), QList<Refusal>{Refusal::RosterFull});
    QCOMPARE(book.size(), 40);
}

void TestJabberRules::theDefaultsAreHalfTheMinuteAndATenthOfTheContactsWithFloors()
{
    XmppSettings settings;
    QCOMPARE(settings.domainPerMinute, 30);
    QCOMPARE(settings.domainContactsBound(), 500);
    settings.maxContacts = 50;
    QCOMPARE(settings.domainContactsBound(), 10);
    settings.domainMaxContacts = 3;
    QCOMPARE(settings.domainContactsBound(), 3);
}

void TestJabberRules::aContactUnseenAndUnaskedIsLetGo()
{
    const qint64 after = 1000;
    ContactBook book(1000);
    for (const char *jid : {"quiet@x.example", "seen@x.example", "asked@x.example", "here@x.example"})
        QVERIFY(book.setItem(QString::fromLatin1(jid), QStringLiteral("both"), false, 0));
    book.setPresence(QStringLiteral("here@x.example"), QStringLiteral("phone"), {}, {}, 0);
    book.setPresence(QStringLiteral("seen@x.example"), QStringLiteral("pc"), QStringLiteral("unavailable"), {}, 600);
    book.asked(QStringLiteral("asked@x.example"), 600);
    // A subscription answer or an error is no sign of life.
    book.setPresence(QStringLiteral("quiet@x.example"), QStringLiteral("pc"), QStringLiteral("error"), {}, 600);

    QCOMPARE(book.unseenAndUnasked(999, after, 10), QStringList());
    QCOMPARE(book.unseenAndUnasked(1000, after, 10), QStringList{QStringLiteral("quiet@x.example")});
    // One whose client stays online is never let go, however long ago she said so.
    QStringList later = book.unseenAndUnasked(1600, after, 10);
    later.sort();
    QCOMPARE(later, (QStringList{QStringLiteral("asked@x.example"), QStringLiteral("quiet@x.example"), QStringLiteral("seen@x.example")}));

    // One sweep lets go of a bounded number.
    for (int i = 0; i < 150; ++i)
        QVERIFY(book.setItem(QStringLiteral("old%1@y.example").arg(i), QStringLiteral("from"), false, 0));
    QCOMPARE(book.unseenAndUnasked(5000, after, XmppSettings::maxForgottenPerSweep).size(), XmppSettings::maxForgottenPerSweep);
}

void TestJabberRules::aLossKeepsTheTimesButANewProcessCountsFromItsLogin()
{
    const qint64 after = 1000;
    ContactBook book(1000);
    QVERIFY(book.setItem(QStringLiteral("old@x.example"), QStringLiteral("both"), false, 0));
    // The connection is lost and comes back: she is as unseen as before.
    book.clear();
    QCOMPARE(book.size(), 0);
    QVERIFY(book.setItem(QStringLiteral("old@x.example"), QStringLiteral("both"), false, 900));
    book.loggedIn();
    QCOMPARE(book.unseenAndUnasked(1000, after, 10), QStringList{QStringLiteral("old@x.example")});
    QCOMPARE(book.domainSize(QStringLiteral("x.example")), 1);

    // A new process knows nothing of before: she counts from its login.
    ContactBook restarted(1000);
    QVERIFY(restarted.setItem(QStringLiteral("old@x.example"), QStringLiteral("both"), false, 900));
    QCOMPARE(restarted.unseenAndUnasked(1000, after, 10), QStringList());
    QCOMPARE(restarted.unseenAndUnasked(1900, after, 10), QStringList{QStringLiteral("old@x.example")});

    // What was remembered of a loss is gone after the next login.
    book.remove(QStringLiteral("old@x.example"));
    QCOMPARE(book.domainSize(QStringLiteral("x.example")), 0);
    QVERIFY(book.setItem(QStringLiteral("old@x.example"), QStringLiteral("both"), false, 2000));
    QCOMPARE(book.unseenAndUnasked(2500, after, 10), QStringList());
}

QTEST_GUILESS_MAIN(TestJabberRules)
#include "tst_jabberrules.moc"
