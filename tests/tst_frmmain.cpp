// The messenger lookup window against its layout, and what its controls do.
#include "app/programend.h"
#include "app/windowregistry.h"
#include "lookup/hosts.h"
#include "support/lookups.h"
#include "support/clicks.h"
#include "support/fixture.h"
#include "support/layout.h"
#include "support/recorders.h"
#include "support/testmain.h"
#include "webview/webbrowser.h"
#include "windows/controls.h"
#include "windows/frmmain.h"
#include "windows/progressbar.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

// The layout table, top-most control first.
const QList<ControlRow> layout = {
    {"Combo3", 1800, 1560, 2655, 315, "telmik-brasko.localhost:6969/"},
    {"Command5", 2400, 600, 615, 330, "IRC"},
    {"Command4", 1800, 600, 615, 330, "ICQ"},
    {"Combo2", 3120, 600, 1335, 315, "msn/"},
    {"Combo1", 3120, 1080, 1335, 315, "hotmail.com"},
    {"pg", 120, 3720, 4335, 255, {}},
    {"Text1", 1800, 1080, 1215, 315, "@"},
    {"WebBrowser1", 1800, 2280, 2655, 1215, {}},
    {"Label8", 220, 3300, 1335, 255, "Exit Program"},
    {"Image7", 120, 3300, 1350, 210, {}},
    {"Label7", 200, 2960, 1335, 255, "Please Donate"},
    {"Image6", 120, 2955, 1350, 210, {}},
    {"Label6", 240, 2620, 1095, 255, "About/Help"},
    {"Image5", 120, 2625, 1350, 210, {}},
    {"Label5", 200, 2280, 1215, 255, "Begin Lookup"},
    {"Image4", 120, 2280, 1350, 210, {}},
    {"Label3", 360, 1585, 855, 255, "Server"},
    {"Label2", 360, 1110, 975, 255, "Account"},
    {"Label1", 360, 625, 975, 255, "Medium"},
    {"Image3", 120, 1590, 1350, 225, {}},
    {"Image2", 120, 1110, 1350, 225, {}},
    {"Image1", 120, 630, 1350, 225, {}},
    {"Label4", 360, 50, 2775, 480, "Quorvane v2.3"},
};

} // namespace

class TestFrmmain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsMatchTheLayoutTable();
    void tabOrderStartsAtTheWebView();
    void listsTooltipsAndFonts();
    void pointerIsTheButterflyOverSurfaceAndLabels();
    void initialState();

    void addressFromTheBoxes_data();
    void addressFromTheBoxes();
    void boxesAreReadAtTheFiringTick();
    void clickOnLabelStartsLookupButNotOnBareBar();
    void lookupRunsOnWhileHidden();
    void donateOpensTheThanksPage();
    void browserThatCannotStartIsReportedAndProgramGoesOn();
    void exitEndsAtOnceAndNoLookupFires();

private:
    template <class T = QWidget>
    T *control(const char *name) const
    {
        return controlOf<T>(m_window, name);
    }
    QStringList navigations() const;

    std::unique_ptr<ProgramFixture> m_program;
    frmmain *m_window = nullptr;
    std::unique_ptr<NavigationSpy> m_navigations;
};

void TestFrmmain::init()
{
    m_program = std::make_unique<ProgramFixture>();
    WindowRegistry::Show<frmmain>();
    m_window = &WindowRegistry::window<frmmain>();
    m_navigations = std::make_unique<NavigationSpy>(m_window);
}

void TestFrmmain::cleanup()
{
    m_navigations.reset();
    m_program.reset();
}

QStringList TestFrmmain::navigations() const
{
    return m_navigations->addresses();
}

void TestFrmmain::controlsMatchTheLayoutTable()
{
    QCOMPARE(m_window->windowTitle(), "Quorvane - By Telmik/Brasko");
    QCOMPARE(m_window->size(), QSize(307, 304));
    QCOMPARE(layoutDifferences(m_window, layout), QStringList());
    // Where the two buttons overlap, IRC lies on top.
    QCOMPARE(widgetAt(m_window, QPoint(160, 45)), control("Command5"));
    // Pictures are exactly as large as what they show.
    for (const char *name : {"Image1", "Image2", "Image3", "Image4", "Image5", "Image6", "Image7"}) {
        auto *picture = control<QLabel>(name);
        QCOMPARE(picture->pixmap().size(), picture->size());
    }
    QCOMPARE(control<QLabel>("Image1")->size(), QSize(90, 15));
    QCOMPARE(control<QLabel>("Image4")->size(), QSize(90, 14));
}

void TestFrmmain::tabOrderStartsAtTheWebView()
{
    QCOMPARE(tabOrder(m_window, control("WebBrowser1"), 8), (QStringList{"WebBrowser1", "Text1", "Combo1", "Combo2", "Command4", "Command5",
                                 "Combo3", "WebBrowser1"}));
    for (const char *name : {"pg", "Label1", "Label4", "Label5", "Label8", "Image4"})
        QVERIFY2(control(name)->focusPolicy() == Qt::NoFocus, name);
    // The window opens with the focus in the web view.
    QWidget *focus = m_window->focusWidget();
    QVERIFY(focus);
    QVERIFY2(focus == control("WebBrowser1") || control("WebBrowser1")->isAncestorOf(focus),
             qPrintable(focus->objectName()));
}

void TestFrmmain::listsTooltipsAndFonts()
{
    auto *medium = control<QComboBox>("Combo2");
    QCOMPARE(medium->count(), 3);
    QCOMPARE(medium->itemText(0), "aim/");
    QCOMPARE(medium->itemText(1), "msn/");
    QCOMPARE(medium->itemText(2), "yahoo/");
    QVERIFY(medium->toolTip().isEmpty());

    auto *domains = control<QComboBox>("Combo1");
    QStringList rows;
    for (int i = 0; i < domains->count(); ++i)
        rows << domains->itemText(i);
    QCOMPARE(rows, (QStringList{"-- other --", "aol.com", "hotmail.com", "msn.com", "webtv.net"}));
    QCOMPARE(domains->toolTip(), "Delete any text in this area if checking YAHOO status");

    auto *servers = control<QComboBox>("Combo3");
    QCOMPARE(servers->count(), 14);
    QCOMPARE(servers->itemText(13), Hosts::statusServer14 + ":82/");
    QCOMPARE(servers->toolTip(), "If using a different server status icons may be different. "
                                 "Check the help area for a list of icons.");
    for (QComboBox *box : {medium, domains, servers})
        QVERIFY(box->isEditable());

    auto *account = control<QLineEdit>("Text1");
    QCOMPARE(account->toolTip(), "For YAHOO only enter the user name, delete the @");
    QCOMPARE(account->font().family(), "Verdana");
    QCOMPARE(account->palette().color(QPalette::Base), QColor(Qt::white));
    QVERIFY(account->maxLength() >= 100000);

    for (const char *name : {"Label1", "Label4", "Label5", "Label8"}) {
        const QFont font = control(name)->font();
        QCOMPARE(font.family(), "Sylfaen");
        QCOMPARE(font.pointSizeF(), 9.0);
        QVERIFY(font.bold() && font.italic());
    }
    QCOMPARE(control("Command4")->font().family(), "MS Sans Serif");
    QCOMPARE(control("Command4")->font().pointSizeF(), 8.25);
}

void TestFrmmain::pointerIsTheButterflyOverSurfaceAndLabels()
{
    QCOMPARE(m_window->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(m_window->cursor().pixmap().size(), QSize(32, 32));
    QCOMPARE(m_window->cursor().hotSpot(), QPoint(16, 16));
    QCOMPARE(control("Label5")->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(control("Image4")->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(control("Text1")->cursor().shape(), Qt::IBeamCursor);
}

void TestFrmmain::initialState()
{
    QVERIFY(!control<QTimer>("Timer1")->isActive());
    QCOMPARE(control<QTimer>("Timer1")->interval(), 100);
    QCOMPARE(control<ProgressBar>("pg")->Value(), 0.0f);
    QCOMPARE(control<WebBrowser>("WebBrowser1")->currentAddress(),
             QUrl("http://telmik-brasko.localhost/Msntv/msnexe6.html"));
}

void TestFrmmain::addressFromTheBoxes_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("mediumRow");
    QTest::addColumn<QString>("account");
    QTest::addColumn<int>("domainRow");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("address");

    // An empty text leaves a box as it is; row -1 leaves a list unpicked.
    QTest::newRow("defaults") << QString() << -1 << QString() << -1 << QString()
                              << "http://telmik-brasko.localhost:6969/msn/@hotmail.com";
    QTest::newRow("yahoo as the tooltips ask") << QString() << 2 << "yahoofan" << -1 << "\x7f"
                                               << "http://telmik-brasko.localhost:6969/yahoo/yahoofan";
    QTest::newRow("yahoo with @ and domain left in") << QString() << 2 << "fan@" << -1 << QString()
                                                     << "http://telmik-brasko.localhost:6969/yahoo/fan@hotmail.com";
    QTest::newRow("spaces typed are sent") << " my server:8080/ " << 0 << " a b @" << -1 << " aol.com "
                                           << "http:// my server:8080/ aim/ a b @ aol.com ";
    QTest::newRow("server typed without slash") << "osi.status-b.example:8080" << -1 << "me@" << -1
                                                << QString()
                                                << "http://osi.status-b.example:8080msn/me@hotmail.com";
    QTest::newRow("other picked from the list") << QString() << -1 << "me@" << 0 << QString()
                                                << "http://telmik-brasko.localhost:6969/msn/me@-- other --";
    QTest::newRow("webtv picked") << QString() << -1 << "tv@" << 4 << QString()
                                  << "http://telmik-brasko.localhost:6969/msn/tv@webtv.net";
}

void TestFrmmain::addressFromTheBoxes()
{
    QFETCH(QString, server);
    QFETCH(int, mediumRow);
    QFETCH(QString, account);
    QFETCH(int, domainRow);
    QFETCH(QString, domain);
    QFETCH(QString, address);

    auto typeInto = [](QLineEdit *edit, const QString &text) {
        if (text.isEmpty())
            return;
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        if (text != "\x7f") // only delete
            QTest::keyClicks(edit, text);
    };
    typeInto(control<QComboBox>("Combo3")->lineEdit(), server);
    if (mediumRow >= 0)
        control<QComboBox>("Combo2")->setCurrentIndex(mediumRow);
    typeInto(control<QLineEdit>("Text1"), account);
    if (domainRow >= 0)
        control<QComboBox>("Combo1")->setCurrentIndex(domainRow);
    typeInto(control<QComboBox>("Combo1")->lineEdit(), domain);

    QTest::mouseClick(control("Label5"), Qt::LeftButton);
    tickLookup(m_window);
    QCOMPARE(navigations(), QStringList{address});
}

void TestFrmmain::boxesAreReadAtTheFiringTick()
{
    QTest::mouseClick(control("Label5"), Qt::LeftButton);
    tickLookup(m_window, 5);
    QTest::keyClicks(control("Text1"), "late");
    QTest::mouseClick(control("Label5"), Qt::LeftButton); // a second click changes nothing
    QCOMPARE(control<ProgressBar>("pg")->Value(), 50.0f);
    tickLookup(m_window, 6);
    QCOMPARE(navigations(), QStringList{"http://telmik-brasko.localhost:6969/msn/@latehotmail.com"});
    QCOMPARE(control<ProgressBar>("pg")->Value(), 0.0f);
    QVERIFY(!control<QTimer>("Timer1")->isActive());
}

void TestFrmmain::clickOnLabelStartsLookupButNotOnBareBar()
{
    auto *timer = control<QTimer>("Timer1");
    // The bar reaches 80 twips left of the label and 55 twips right of it.
    clickAtTwips(m_window, 150, 2350);
    clickAtTwips(m_window, 1440, 2350);
    QVERIFY(!timer->isActive());
    // The label's strip below the bar counts.
    clickAtTwips(m_window, 600, 2515);
    QVERIFY(timer->isActive());
    timer->stop();
    clickAtTwips(m_window, 600, 2350);
    QVERIFY(timer->isActive());
}

void TestFrmmain::lookupRunsOnWhileHidden()
{
    QTest::mouseClick(control("Label5"), Qt::LeftButton);
    m_window->setVisible(false);
    QVERIFY(control<QTimer>("Timer1")->isActive());
    tickLookup(m_window);
    QCOMPARE(navigations().size(), 1);
}

void TestFrmmain::donateOpensTheThanksPage()
{
    LaunchRecorder launches;
    clickAtTwips(m_window, 700, 3020);
    QCOMPARE(launches.addresses, QStringList{"http://telmik-brasko.localhost/Msntv/thanks.html"});
    clickAtTwips(m_window, 140, 3020); // the bare bar
    QCOMPARE(launches.addresses.size(), 1);
    QVERIFY(m_window->isVisible());
}

void TestFrmmain::browserThatCannotStartIsReportedAndProgramGoesOn()
{
    LaunchRecorder launches(false);
    ErrorRecorder errors;
    QTest::mouseClick(control("Label7"), Qt::LeftButton);
    QCOMPARE(errors.reports, QStringList{"53: File not found"});
    QCOMPARE(m_program->end.ends, 0);
    QVERIFY(m_window->isVisible());
}

void TestFrmmain::exitEndsAtOnceAndNoLookupFires()
{
    QTest::mouseClick(control("Label5"), Qt::LeftButton);
    tickLookup(m_window, 1);
    clickAtTwips(m_window, 700, 3360);
    QCOMPARE(m_program->end.ends, 1);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!control<QTimer>("Timer1")->isActive());
    QTest::qWait(1300);
    QVERIFY(navigations().isEmpty());
}

QUORVANE_TEST_MAIN(TestFrmmain)
#include "tst_frmmain.moc"
