// The status query address and the server list behind every server box.
#include "lookup/hosts.h"
#include "lookup/serverlist.h"
#include "lookup/statusaddress.h"

#include <QSet>
#include <QTest>

class TestStatusAddress : public QObject
{
    Q_OBJECT

private slots:
    void joinsPiecesWithNothingBetween_data();
    void joinsPiecesWithNothingBetween();
    void serverListHasFourteenRowsInOrder();
    void serverListEndsEveryRowInTheServicePath();
    void serverHostsReachNoStranger();
};

void TestStatusAddress::joinsPiecesWithNothingBetween_data()
{
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QString>("address");

    QTest::newRow("messenger defaults")
        << QStringList{"telmik-brasko.localhost:6969/", "msn/", "@", "hotmail.com"}
        << "http://telmik-brasko.localhost:6969/msn/@hotmail.com";
    QTest::newRow("yahoo, bare name, empty domain")
        << QStringList{"telmik-brasko.localhost:6969/", "yahoo/", "someone", ""}
        << "http://telmik-brasko.localhost:6969/yahoo/someone";
    QTest::newRow("spaces kept where typed")
        << QStringList{" host:8080/ ", "msn/", " my name @", " msn.com "}
        << "http:// host:8080/ msn/ my name @ msn.com ";
    QTest::newRow("server without trailing slash runs into the medium")
        << QStringList{"osi.status-b.example:8080", "aim/", "buddy@", "aol.com"}
        << "http://osi.status-b.example:8080aim/buddy@aol.com";
    QTest::newRow("other picked from the domain list")
        << QStringList{"telmik-brasko.localhost:6969/", "msn/", "me@", "-- other --"}
        << "http://telmik-brasko.localhost:6969/msn/me@-- other --";
    QTest::newRow("nothing at all") << QStringList{"", ""} << "http://";
    QTest::newRow("line break and non-Latin text kept")
        << QStringList{"s/irc/", "nick\r\n@\u05e9\u05e8\u05ea.example"}
        << "http://s/irc/nick\r\n@\u05e9\u05e8\u05ea.example";
}

void TestStatusAddress::joinsPiecesWithNothingBetween()
{
    QFETCH(QStringList, pieces);
    QFETCH(QString, address);
    QCOMPARE(StatusAddress::compose(pieces), address);
}

void TestStatusAddress::serverListHasFourteenRowsInOrder()
{
    const QStringList rows = ServerList::entries(QString());
    QCOMPARE(rows.size(), 14);
    QCOMPARE(rows.at(0), Hosts::groupServer + ":6969/");
    const QStringList endings = {":6969/", ":8080/", ":8000/", ":8080/", ":8088/", "/", ":8383/",
                                 ":8080/", ":8080/", ":2324/", ":8085/", "/", ":8080/", ":82/"};
    QSet<QString> hosts;
    for (int row = 0; row < rows.size(); ++row) {
        QVERIFY2(rows.at(row).endsWith(endings.at(row)), qPrintable(rows.at(row)));
        const QString host = rows.at(row).chopped(endings.at(row).size());
        QVERIFY2(!host.contains(':') && !host.contains('/'), qPrintable(rows.at(row)));
        hosts << host;
    }
    // Row 13 is row 12's host with a port; every other row has its own host.
    QCOMPARE(rows.at(12), rows.at(11).chopped(1) + ":8080/");
    QCOMPARE(hosts.size(), 13);
}

void TestStatusAddress::serverListEndsEveryRowInTheServicePath()
{
    const QStringList plain = ServerList::entries(QString());
    const QStringList icq = ServerList::entries("icq/");
    QCOMPARE(icq.size(), plain.size());
    for (int row = 0; row < plain.size(); ++row)
        QCOMPARE(icq.at(row), plain.at(row) + "icq/");
    QCOMPARE(icq.at(5), Hosts::statusServer6 + "/icq/");
}

void TestStatusAddress::serverHostsReachNoStranger()
{
    // Row 1 is the group's own server on this machine; the public servers
    // of the other rows are gone and keep names reserved for examples.
    const QStringList rows = ServerList::entries(QString());
    QCOMPARE(rows.first(), "telmik-brasko.localhost:6969/");
    for (const QString &row : rows.mid(1)) {
        const QString host = row.section('/', 0, 0).section(':', 0, 0);
        QVERIFY2(host.endsWith(".example"), qPrintable(host));
    }
    QCOMPARE(Hosts::authorSite, "brasko.localhost");
    QCOMPARE(Hosts::authorSiteWww, "www." + Hosts::authorSite);
    QVERIFY(Hosts::contactAddress.endsWith(".example"));
}

QTEST_GUILESS_MAIN(TestStatusAddress)
#include "tst_statusaddress.moc"
