// The About, Help and status icon sets windows against their tables; their
// links, overlapping labels and the help text.
#include "assets/helptext.h"
#include "lookup/hosts.h"
#include "support/clicks.h"
#include "support/fixture.h"
#include "support/layout.h"
#include "support/testmain.h"
#include "windows/form3.h"
#include "windows/frmabout.h"
#include "windows/frmabout1.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QList<ControlRow> aboutLayout = {
    {"WebBrowser1", 120, 480, 7215, 2055, {}},
    {"Label7", 360, 45, 2775, 255, "Server Status Page"},
    {"Label6", 2400, 3120, 2175, 375, "telmik-brasko.localhost"},
    {"Label5", 120, 3120, 2295, 375, "Visit: brasko.localhost or "},
    {"Label4", 120, 2880, 3135, 375, "By: Telmik"},
    {"Label3", 6000, 2880, 1095, 255, "      OK"},
    {"Image2", 5880, 2880, 1350, 210, {}},
    {"Label2", 4560, 2880, 1095, 255, "     Help"},
    {"Image1", 4440, 2880, 1350, 210, {}},
    {"Label1", 120, 2640, 3015, 375, "Quorvane"},
};

const QList<ControlRow> helpLayout = {
    {"Text1", 120, 480, 4335, 1695, {}}, // the help text, compared on its own
    {"Label7", 3240, 3840, 975, 255, "      OK"},
    {"Image15", 3120, 3840, 1350, 210, {}},
    {"Label6", 960, 3720, 1335, 375, {}},
    {"Label5", 1200, 3775, 975, 255, "Click Here."},
    {"Label4", 120, 3360, 3135, 735,
     "Some servers use different icon sets. To view some of the more common ones you will encounter "},
    {"Label3", 3480, 2520, 975, 255, "= Unknown"},
    {"Label2", 2040, 3000, 855, 255, "= Offline"},
    {"Label1", 2040, 2520, 855, 255, "= Online"},
    {"Image14", 3000, 2400, 315, 330, {}},
    {"Image13", 840, 2880, 330, 330, {}},
    {"Image12", 840, 2400, 330, 330, {}},
    {"Image11", 1560, 2880, 315, 330, {}},
    {"Image10", 1560, 2400, 330, 330, {}},
    {"Image9", 1200, 2880, 315, 330, {}},
    {"Image8", 1200, 2400, 330, 330, {}},
    {"Image7", 120, 2880, 330, 330, {}},
    {"Image6", 120, 2400, 330, 330, {}},
    {"Image5", 480, 2400, 330, 330, {}},
    {"Image4", 480, 2880, 315, 330, {}},
    {"Image3", 1680, 1440, 1215, 495, {}},
    {"Image2", 1680, 1440, 1215, 495, {}},
    {"Image1", 1680, 1440, 1215, 495, {}},
};

const QList<ControlRow> iconSetsLayout = {
    {"Command1", 4800, 120, 1095, 375, "Close"},
    {"Image4", 0, 5280, 6105, 1860, {}},
    {"Image3", -120, 3360, 4725, 1830, {}},
    {"Image2", 0, 1560, 4560, 1800, {}},
    {"Image1", 0, 0, 4200, 1500, {}},
};

// The usage text line by line, as the Help window must show it.
const QStringList helpLines = {
    "------------------------------Usage--------------------------------",
    "",
    "To use the MSN, AIM, ICQ, YAHOO! Quorvane  ",
    "simply select the medium, enter any  ",
    "e-mail account, user@hotmail, @msn, @webtv, @aol, ",
    "etc. and click \"Begin Lookup\". For YAHOO only ",
    "enter in the user name, delete the @ and in the ",
    "next box delete all text. ",
    "",
    "The status area should display one of the icons ",
    "you see below. This will tell you if the person ",
    "is online or offline.",
    "",
    "The Brasko icons are for MSN Messenger. If you see a ",
    "? icon for any of the mediums, this means that it was ",
    "unable to get a status and you should try again later.",
    "",
    "If it shows the online icon, and you've added the  ",
    "person to your contacts but he or she ISN'T listed ",
    "as online you can be sure you're being blocked by  ",
    "him or her! BUT the offline icon doesn't always mean",
    "the person is *really* offline. That's because there",
    "is a option in MSN Messenger (Tools > Options > ",
    "Privacy > My block list) to block anyone that was not ",
    "added to yet, including this block checker. Same holds ",
    "true for other messengers as well.",
    "",
    "So basically if a person has that option checked you",
    "will not get a accurate reading. This problem is",
    "being worked on by many, in hope to resolve this issue ",
    "shortly.",
    "",
    "Check Release Notes below for info/help on new ",
    "features.",
    "",
    "------------------------------Problems------------------------------",
    "",
    "At times the server may be down for maintenance.",
    "If this program is not responding or displaying",
    "any icons this could be the reason. This will only be",
    "temporary. Server up time is 99.9% so this should",
    "not happen often. Check the \"Server Status Page\" for",
    "current status.",
    "",
    "------------------------------Contact-------------------------------",
    "",
    "Any problems/questions contact me at ",
    Hosts::contactAddress + " (Telmik)",
    "",
    "---------------------------Release Notes----------------------------",
    "",
    "Version 2.3 Now has server backup support.",
    "If one of the checking servers are down just select ",
    "another. Also comes in handy if one of the servers ",
    "are up but for example the MSN checker is down.",
    "",
    "",
    "",
    "Version 2.2.1 includes some minor updates only.",
    "",
    "",
    "",
    "Version 2.2 includes support for IRC",
    "",
    "-Syntax for user id is nick@ircserver, for example ",
    Hosts::exampleIrcIdentity + " ",
    "",
    "- Only IRC servers running on port 6667 is supported ",
    "in this version ",
    "",
    "- Some IRC servers seem to not be compatible with ",
    "OSI's IDENT implementation ",
    "",
    "also new unknown icon added. Unknown icon will be ",
    "displayed in the event that a status can not be ",
    "retrieved or user is unknown.",
    "",
    "",
    "",
    "Version 2.1.1 includes some minor updates only.",
    "",
    "",
    "",
    "Version 2.1 now includes support for ICQ, and also ",
    "added a Server status page which will display the",
    "current status of the server and all block checkers.",
    "",
};

} // namespace

class TestInfoWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aboutMatchesItsTable();
    void helpMatchesItsTable();
    void iconSetsMatchItsTable();
    void helpTextIsExactlyTheListedLines();
    void helpBoxShowsTheTextFromTheTopAndTakesTyping();
    void aboutLinks_data();
    void aboutLinks();
    void helpOnlineLegendIsALink();
    void clickHereAreaCoversItsRectangle();
    void bareBarsLegendAndTextDoNothing();
    void pointersDiffer();

private:

    std::unique_ptr<ProgramFixture> m_program;
};

void TestInfoWindows::init()
{
    m_program = std::make_unique<ProgramFixture>();
}

void TestInfoWindows::cleanup()
{
    m_program.reset();
}

void TestInfoWindows::aboutMatchesItsTable()
{
    frmAbout *about = openWindow<frmAbout>();
    QCOMPARE(about->windowTitle(), "About/Help ");
    QCOMPARE(about->size(), QSize(496, 247));
    QCOMPARE(layoutDifferences(about, aboutLayout), QStringList());
    QCOMPARE(about->font().family(), "Verdana");
    for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"}) {
        const QFont font = controlOf(about, name)->font();
        QVERIFY2(font.family() == "Sylfaen" && font.bold() && font.italic(), name);
    }
    QCOMPARE(controlOf<QLabel>(about, "Image1")->pixmap().size(), QSize(90, 14));
    QVERIFY(controlOf(about, "WebBrowser1")->isAncestorOf(about->focusWidget())
            || about->focusWidget() == controlOf(about, "WebBrowser1"));
}

void TestInfoWindows::helpMatchesItsTable()
{
    frmAbout1 *help = openWindow<frmAbout1>();
    QCOMPARE(help->windowTitle(), "About/Help");
    QCOMPARE(help->size(), QSize(307, 303));
    QList<ControlRow> table = helpLayout;
    table.first().text = controlOf<QPlainTextEdit>(help, "Text1")->toPlainText();
    QCOMPARE(layoutDifferences(help, table), QStringList());
    QCOMPARE(controlOf(help, "Text1")->font().family(), "Microsoft Sans Serif");
    QCOMPARE(controlOf(help, "Label7")->font().family(), "Sylfaen");
    QVERIFY(controlOf(help, "Label1")->font().bold());
    QVERIFY(!controlOf(help, "Label4")->font().bold());
    QCOMPARE(controlOf(help, "Label4")->font().family(), "Arial");
    QCOMPARE(help->focusWidget(), controlOf(help, "Text1"));
    for (const char *name : {"Image1", "Image2", "Image3"})
        QVERIFY(controlOf<QLabel>(help, name)->pixmap().isNull());
    for (const char *name : {"Image4", "Image6", "Image10", "Image13", "Image14", "Image15"}) {
        auto *picture = controlOf<QLabel>(help, name);
        QVERIFY2(picture->pixmap().size() == picture->size(), name);
    }
}

void TestInfoWindows::iconSetsMatchItsTable()
{
    Form3 *sets = openWindow<Form3>();
    QCOMPARE(sets->windowTitle(), "Status Icon Sets");
    QCOMPARE(sets->size(), QSize(408, 474));
    QCOMPARE(layoutDifferences(sets, iconSetsLayout), QStringList());
    const QSize sizes[] = {{280, 100}, {304, 120}, {315, 122}, {407, 124}};
    for (int set = 1; set <= 4; ++set) {
        auto *picture = controlOf<QLabel>(sets, qPrintable(QStringLiteral("Image%1").arg(set)));
        QCOMPARE(picture->pixmap().size(), sizes[set - 1]);
    }
    // White shows to the right of the narrower pictures.
    QCOMPARE(sets->grab().toImage().pixel(350, 80), qRgb(255, 255, 255));
    QCOMPARE(sets->focusWidget(), controlOf(sets, "Command1"));
    // No icon of its own, where the other windows show the program's.
    const QImage icon = sets->windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(icon.pixel(8, 8)), 0);
    QVERIFY(!openWindow<frmAbout>()->windowIcon().isNull());
}

void TestInfoWindows::helpTextIsExactlyTheListedLines()
{
    const QString text = HelpText::text();
    QCOMPARE(text.split("\r\n"), helpLines);
    QVERIFY(text.endsWith("checkers.\r\n"));
    QVERIFY(!text.contains(QRegularExpression("[^\r]\n")));
}

void TestInfoWindows::helpBoxShowsTheTextFromTheTopAndTakesTyping()
{
    frmAbout1 *help = openWindow<frmAbout1>();
    auto *box = controlOf<QPlainTextEdit>(help, "Text1");
    QCOMPARE(box->toPlainText(), helpLines.join("\n"));
    QCOMPARE(box->verticalScrollBar()->value(), 0);
    QVERIFY(box->verticalScrollBar()->maximum() > 0);
    QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!box->isReadOnly());
    QTest::keyClicks(box, "mine");
    QVERIFY(box->toPlainText().startsWith("mine---"));
}

void TestInfoWindows::aboutLinks_data()
{
    QTest::addColumn<QPoint>("twips");
    QTest::addColumn<QString>("address");
    const QString site = "http://brasko.localhost/Msntv/msn2.html";
    const QString group = "http://telmik-brasko.localhost/Msntv/msn2.html";
    QTest::newRow("title") << QPoint(400, 2700) << site;
    QTest::newRow("title, blank part") << QPoint(2900, 2700) << site;
    QTest::newRow("credit over the title's lower part") << QPoint(400, 2950) << group;
    QTest::newRow("credit, blank part") << QPoint(3000, 3000) << group;
    QTest::newRow("visit over the credit's lower part") << QPoint(400, 3150) << site;
    QTest::newRow("group host over the credit") << QPoint(2500, 3150) << group;
    QTest::newRow("visit, below its text") << QPoint(1500, 3450) << site;
    QTest::newRow("group host, blank part") << QPoint(4450, 3450) << group;
}

void TestInfoWindows::aboutLinks()
{
    QFETCH(QPoint, twips);
    QFETCH(QString, address);
    LaunchRecorder launches;
    frmAbout *about = openWindow<frmAbout>();
    clickAtTwips(about, twips.x(), twips.y());
    QCOMPARE(launches.addresses, QStringList{address});
    QVERIFY(about->isVisible());
}

void TestInfoWindows::helpOnlineLegendIsALink()
{
    LaunchRecorder launches;
    frmAbout1 *help = openWindow<frmAbout1>();
    clickAtTwips(help, 2300, 2600);
    QCOMPARE(launches.addresses, QStringList{"http://telmik-brasko.localhost/Msntv/"});
    QVERIFY(help->isVisible());
}

void TestInfoWindows::clickHereAreaCoversItsRectangle()
{
    // On "Click Here.", on the sentence's third line, and in the blank below.
    for (QPoint twips : {QPoint(1500, 3850), QPoint(1000, 3800), QPoint(2250, 4050)}) {
        frmAbout1 *help = openWindow<frmAbout1>();
        QCOMPARE(widgetAt(help, QPoint(Twips::toPixels(twips.x()), Twips::toPixels(twips.y()))),
                 controlOf(help, "Label6"));
        clickAtTwips(help, twips.x(), twips.y());
        QVERIFY(!help->isVisible());
        QVERIFY(WindowRegistry::window<Form3>().isVisible());
        WindowRegistry::Hide<Form3>();
    }
}

void TestInfoWindows::bareBarsLegendAndTextDoNothing()
{
    LaunchRecorder launches;
    frmAbout *about = openWindow<frmAbout>();
    // The outer 120 twips of each bar and its right end.
    for (QPoint twips : {QPoint(4470, 2950), QPoint(5750, 2950), QPoint(5900, 2950), QPoint(7200, 2950)})
        clickAtTwips(about, twips.x(), twips.y());
    QVERIFY(about->isVisible());

    frmAbout1 *help = openWindow<frmAbout1>();
    for (const char *name : {"Image4", "Image6", "Image10", "Image14", "Label2", "Label3"})
        clickControl(help, name);
    clickAtTwips(help, 300, 3400); // the sentence, outside the click area
    clickAtTwips(help, 3150, 3900); // the OK bar, left of its label
    clickAtTwips(help, 1000, 1000); // the text box
    QVERIFY(help->isVisible());
    QVERIFY(!WindowRegistry::isCreated<Form3>());
    QVERIFY(launches.addresses.isEmpty());
    QCOMPARE(m_program->end.ends, 0);
}

void TestInfoWindows::pointersDiffer()
{
    frmAbout *about = openWindow<frmAbout>();
    frmAbout1 *help = openWindow<frmAbout1>();
    Form3 *sets = openWindow<Form3>();
    for (QWidget *window : {static_cast<QWidget *>(about), static_cast<QWidget *>(help),
                            static_cast<QWidget *>(sets)}) {
        QCOMPARE(window->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window->cursor().hotSpot(), QPoint(16, 16));
    }
    const QImage bubble = about->cursor().pixmap().toImage();
    const QImage runner = help->cursor().pixmap().toImage();
    const QImage butterfly = sets->cursor().pixmap().toImage();
    QVERIFY(bubble != runner && runner != butterfly && bubble != butterfly);
    QCOMPARE(controlOf(about, "Label3")->cursor().pixmap().toImage(), bubble);
    QCOMPARE(controlOf(help, "Image6")->cursor().pixmap().toImage(), runner);
}

QUORVANE_TEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
