// The ICQ and IRC lookup windows against their layout tables, and their
// status query addresses.
#include "lookup/hosts.h"
#include "lookup/serverlist.h"
#include "support/lookups.h"
#include "support/clicks.h"
#include "support/fixture.h"
#include "support/layout.h"
#include "support/testmain.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmmain.h"
#include "windows/progressbar.h"

#include <QTextBlock>
#include <QTextLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace {

const QString row1Icq = "telmik-brasko.localhost:6969/icq/";
const QString row1Irc = "telmik-brasko.localhost:6969/irc/";

const QList<ControlRow> icqLayout = {
    {"Combo1", 1680, 1680, 2775, 315, row1Icq},
    {"pg", 120, 3720, 4335, 255, {}},
    {"Text1", 1680, 1080, 2775, 315, {}},
    {"WebBrowser1", 1680, 2280, 2775, 1215, {}},
    {"Label8", 200, 3240, 1335, 255, "Exit Program"},
    {"Image8", 120, 3240, 1350, 210, {}},
    {"Label7", 200, 2760, 975, 255, "Back"},
    {"Image7", 120, 2760, 1350, 210, {}},
    {"Label6", 200, 2280, 1215, 255, "Begin Lookup"},
    {"Image6", 120, 2280, 1350, 210, {}},
    {"Label4", 360, 1710, 855, 375, "Server"},
    {"Label3", 360, 1105, 735, 255, "ICQ #"},
    {"Image5", 120, 1705, 1350, 225, {}},
    {"Image4", 120, 1105, 1350, 225, {}},
    {"Label5", 2670, 840, 975, 255, "Unknown"},
    {"Image3", 2920, 480, 315, 330, {}},
    {"Label2", 3780, 840, 615, 255, "Offline"},
    {"Label1", 1800, 840, 735, 255, "Online"},
    {"Image2", 3900, 480, 315, 330, {}},
    {"Image1", 1920, 480, 330, 330, {}},
};

const QList<ControlRow> ircLayout = {
    {"Combo1", 1680, 1680, 2775, 315, row1Irc},
    {"pg", 120, 3720, 4335, 255, {}},
    {"Text1", 1680, 1080, 2775, 315, {}},
    {"WebBrowser1", 1680, 2280, 2775, 1215, {}},
    {"Label8", 200, 3240, 1335, 255, "Exit Program"},
    {"Image8", 120, 3240, 1350, 210, {}},
    {"Label7", 200, 2760, 1095, 255, "Back"},
    {"Image7", 120, 2760, 1350, 210, {}},
    {"Label6", 200, 2280, 1215, 255, "Begin Lookup"},
    {"Image6", 120, 2280, 1350, 210, {}},
    {"Label5", 360, 1710, 615, 255, "Server"},
    {"Label4", 360, 1110, 495, 255, "IRC"},
    {"Image4", 120, 1105, 1350, 225, {}},
    {"Image5", 120, 1705, 1350, 225, {}},
    {"Label3", 3780, 840, 735, 255, "Offline"},
    {"Label2", 2670, 840, 855, 255, "Unknown"},
    {"Label1", 1800, 840, 855, 255, "Online"},
    {"Image3", 2920, 480, 315, 330, {}},
    {"Image2", 3900, 480, 330, 330, {}},
    {"Image1", 1920, 480, 330, 330, {}},
};

} // namespace

class TestServiceWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowsMatchTheirTables();
    void serverBoxesListTheSharedServers();
    void boxesFontsTooltipsAndFocus();
    void legendCaptionsAreBold();
    void icqAddress_data();
    void icqAddress();
    void ircAddressKeepsALineBreakOfTheIdentity();
    void ircBoxShowsOneLineAndWrapsLongText();
    void pickingRowOneKeepsTheText();
    void onlyTheLabelsOwnRectangleReacts();
    void legendFieldBarsAndCaptionsDoNothing();

private:
    QStringList lookupAfterTyping(QWidget *window, const QString &server, const QString &account);

    std::unique_ptr<ProgramFixture> m_program;
};

void TestServiceWindows::init()
{
    m_program = std::make_unique<ProgramFixture>();
}

void TestServiceWindows::cleanup()
{
    m_program.reset();
}

QStringList TestServiceWindows::lookupAfterTyping(QWidget *window, const QString &server,
                                                  const QString &account)
{
    NavigationSpy navigations(window);
    if (!server.isNull()) {
        QLineEdit *edit = controlOf<QComboBox>(window, "Combo1")->lineEdit();
        edit->clear();
        QTest::keyClicks(edit, server);
    }
    QTest::keyClicks(controlOf(window, "Text1"), account);
    runLookup(window);
    return navigations.addresses();
}

void TestServiceWindows::windowsMatchTheirTables()
{
    Form1 *icq = openWindow<Form1>();
    QCOMPARE(icq->windowTitle(), "ICQ Quorvane - By Telmik/Brasko");
    QCOMPARE(icq->size(), QSize(307, 304));
    QCOMPARE(layoutDifferences(icq, icqLayout), QStringList());
    Form2 *irc = openWindow<Form2>();
    QCOMPARE(irc->windowTitle(), "IRC Quorvane - By Telmik/Brasko");
    QCOMPARE(irc->size(), QSize(307, 304));
    QCOMPARE(layoutDifferences(irc, ircLayout), QStringList());
    for (QWidget *window : {static_cast<QWidget *>(icq), static_cast<QWidget *>(irc)}) {
        QVERIFY(!controlOf<QTimer>(window, "Timer1")->isActive());
        QCOMPARE(controlOf<ProgressBar>(window, "pg")->Value(), 0.0f);
        for (const char *name : {"Image1", "Image2", "Image3", "Image4", "Image8"}) {
            auto *picture = controlOf<QLabel>(window, name);
            QVERIFY2(picture->pixmap().size() == picture->size(), name);
        }
    }
}

void TestServiceWindows::serverBoxesListTheSharedServers()
{
    const QStringList main = ServerList::entries(QString());
    for (auto [window, path] : {std::pair<QWidget *, QString>{openWindow<Form1>(), "icq/"},
                                std::pair<QWidget *, QString>{openWindow<Form2>(), "irc/"}}) {
        auto *servers = controlOf<QComboBox>(window, "Combo1");
        QCOMPARE(servers->count(), 14);
        for (int row = 0; row < 14; ++row)
            QCOMPARE(servers->itemText(row), main.at(row) + path);
        QVERIFY(servers->itemText(5).endsWith(".example/" + path));
        QCOMPARE(servers->toolTip(), "If using a different server status icons may be different. "
                                     "Check the help area for a list of icons.");
    }
}

void TestServiceWindows::boxesFontsTooltipsAndFocus()
{
    Form1 *icq = openWindow<Form1>();
    auto *number = controlOf<QLineEdit>(icq, "Text1");
    QVERIFY(number->toolTip().isEmpty());
    QCOMPARE(number->font().family(), "Verdana");
    QCOMPARE(number->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(tabOrder(icq, controlOf(icq, "WebBrowser1"), 4),
             (QStringList{"WebBrowser1", "Text1", "Combo1", "WebBrowser1"}));

    Form2 *irc = openWindow<Form2>();
    auto *identity = controlOf<QPlainTextEdit>(irc, "Text1");
    QCOMPARE(identity->toolTip(),
             "Syntax for IRC is nick@ircserver, for example: " + Hosts::exampleIrcIdentity);
    QVERIFY(Hosts::exampleIrcIdentity.contains('@'));
    QCOMPARE(identity->font().family(), "Verdana");
    QCOMPARE(identity->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(tabOrder(irc, controlOf(irc, "WebBrowser1"), 4),
             (QStringList{"WebBrowser1", "Text1", "Combo1", "WebBrowser1"}));
}

void TestServiceWindows::legendCaptionsAreBold()
{
    for (QWidget *window : {static_cast<QWidget *>(openWindow<Form1>()), static_cast<QWidget *>(openWindow<Form2>())}) {
        const QFont legend = controlOf(window, "Label1")->font();
        QCOMPARE(legend.family(), "MS Sans Serif");
        QVERIFY(legend.bold() && !legend.italic());
        const QFont button = controlOf(window, "Label6")->font();
        QCOMPARE(button.family(), "Sylfaen");
        QVERIFY(button.bold() && button.italic());
    }
}

void TestServiceWindows::icqAddress_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("address");
    QTest::newRow("nothing typed") << QString() << QString() << "http://" + row1Icq;
    QTest::newRow("number") << QString() << "12345678" << "http://" + row1Icq + "12345678";
    QTest::newRow("spaces kept") << QString() << " 123 45 " << "http://" + row1Icq + " 123 45 ";
    QTest::newRow("server typed without service path")
        << "osi.status-b.example:8080/" << "12345" << "http://osi.status-b.example:8080/12345";
}

void TestServiceWindows::icqAddress()
{
    QFETCH(QString, server);
    QFETCH(QString, number);
    QFETCH(QString, address);
    QCOMPARE(lookupAfterTyping(openWindow<Form1>(), server, number), QStringList{address});
}

void TestServiceWindows::ircAddressKeepsALineBreakOfTheIdentity()
{
    Form2 *irc = openWindow<Form2>();
    QWidget *identity = controlOf(irc, "Text1");
    QTest::keyClicks(identity, "nick");
    QTest::keyClick(identity, Qt::Key_Return);
    QCOMPARE(lookupAfterTyping(irc, QString(), "@irc.example.net"),
             QStringList{"http://" + row1Irc + "nick\r\n@irc.example.net"});
    QCOMPARE(lookupAfterTyping(irc, "osi.status-c.example:8000/", QString()),
             QStringList{"http://osi.status-c.example:8000/nick\r\n@irc.example.net"});
}

void TestServiceWindows::ircBoxShowsOneLineAndWrapsLongText()
{
    Form2 *irc = openWindow<Form2>();
    auto *identity = controlOf<QPlainTextEdit>(irc, "Text1");
    const QString longIdentity = "averyveryverylongnickname@" + QString("irc.").repeated(20) + "example";
    QTest::keyClicks(identity, longIdentity);
    // Wrapped inside the box, yet one unbroken text.
    QVERIFY(identity->document()->firstBlock().layout()->lineCount() > 1);
    QCOMPARE(identity->document()->blockCount(), 1);
    QCOMPARE(identity->toPlainText(), longIdentity);
    QCOMPARE(lookupAfterTyping(irc, QString(), QString()), QStringList{"http://" + row1Irc + longIdentity});
    // Tab moves on instead of typing a tab.
    identity->setFocus();
    QTest::keyClick(identity, Qt::Key_Tab);
    QVERIFY(!identity->toPlainText().contains('\t'));
}

void TestServiceWindows::pickingRowOneKeepsTheText()
{
    for (QWidget *window : {static_cast<QWidget *>(openWindow<Form1>()), static_cast<QWidget *>(openWindow<Form2>())}) {
        auto *servers = controlOf<QComboBox>(window, "Combo1");
        const QString atLoad = servers->currentText();
        servers->setCurrentIndex(3);
        servers->setCurrentIndex(0);
        QCOMPARE(servers->currentText(), atLoad);
    }
}

void TestServiceWindows::onlyTheLabelsOwnRectangleReacts()
{
    for (QWidget *window : {static_cast<QWidget *>(openWindow<Form1>()), static_cast<QWidget *>(openWindow<Form2>())}) {
        // Right end of the Back bar (past 1175 on ICQ, 1295 on IRC), left 80 twips of each bar.
        for (QPoint twips : {QPoint(1320, 2820), QPoint(1460, 2820), QPoint(150, 2820),
                             QPoint(150, 2340), QPoint(150, 3300)})
            clickAtTwips(window, twips.x(), twips.y());
        QVERIFY(window->isVisible());
        QVERIFY(!controlOf<QTimer>(window, "Timer1")->isActive());
        QCOMPARE(m_program->end.ends, 0);
        // The 45 twips of the label below its bar count.
        clickAtTwips(window, 600, 2515);
        QVERIFY(controlOf<QTimer>(window, "Timer1")->isActive());
        controlOf<QTimer>(window, "Timer1")->stop();
    }
}

void TestServiceWindows::legendFieldBarsAndCaptionsDoNothing()
{
    for (QWidget *window : {static_cast<QWidget *>(openWindow<Form1>()), static_cast<QWidget *>(openWindow<Form2>())}) {
        NavigationSpy navigations(window);
        for (const char *name : {"Image1", "Image2", "Image3", "Label1", "Label2", "Label3", "Image4",
                                 "Image5", "Label4", "Label5"})
            clickControl(window, name);
        clickAt(window, {150, 10}); // the window's own surface
        QVERIFY(window->isVisible());
        QVERIFY(!WindowRegistry::isCreated<frmmain>());
        QVERIFY(!controlOf<QTimer>(window, "Timer1")->isActive());
        QVERIFY(navigations.addresses().isEmpty());
    }
}

QUORVANE_TEST_MAIN(TestServiceWindows)
#include "tst_servicewindows.moc"
