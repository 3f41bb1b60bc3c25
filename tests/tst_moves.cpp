// The whole graph of moves between the six windows, with every window's
// state kept along the way.
#include "support/lookups.h"
#include "support/clicks.h"
#include "support/fixture.h"
#include "support/layout.h"
#include "support/testmain.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/frmabout.h"
#include "windows/frmabout1.h"
#include "windows/frmmain.h"
#include "windows/progressbar.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// The one visible window's class name, or a list if there are several.
QString visibleWindows()
{
    QStringList visible;
    for (WindowFrame *window : WindowRegistry::current()->windows()) {
        if (window->isVisible())
            visible << window->metaObject()->className();
    }
    return visible.join(' ');
}

} // namespace

class TestMoves : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void mainToLookupWindowsAndBack();
    void lookupStartedBeforeBackFiresInTheHiddenWindow();
    void exitFromEitherLookupWindowEndsTheProgram();
    void informationWindowsRoundTrip();
    void surfaceClicksReturnFromAboutAndHelpOnly();
    void aboutWebViewDoesNotReloadWhenShownAgain();

private:
    frmmain *m_main = nullptr;
    std::unique_ptr<ProgramFixture> m_program;
};

void TestMoves::init()
{
    m_program = std::make_unique<ProgramFixture>();
    WindowRegistry::Show<frmmain>();
    m_main = &WindowRegistry::window<frmmain>();
}

void TestMoves::cleanup()
{
    m_program.reset();
}

void TestMoves::mainToLookupWindowsAndBack()
{
    QTest::keyClicks(controlOf(m_main, "Text1"), "buddy");
    controlOf<QComboBox>(m_main, "Combo2")->setCurrentIndex(0);
    QTest::mouseClick(controlOf(m_main, "Label5"), Qt::LeftButton);
    tickLookup(m_main, 3);

    clickControl(m_main, "Command4");
    QCOMPARE(visibleWindows(), "Form1");
    Form1 &icq = WindowRegistry::window<Form1>();
    QTest::keyClicks(controlOf(&icq, "Text1"), "424242");
    clickControl(&icq, "Label7");
    QCOMPARE(visibleWindows(), "frmmain");
    QCOMPARE(controlOf<QLineEdit>(m_main, "Text1")->text(), "@buddy");
    QCOMPARE(controlOf<QComboBox>(m_main, "Combo2")->currentText(), "aim/");
    QCOMPARE(controlOf<ProgressBar>(m_main, "pg")->Value(), 30.0f);

    clickControl(m_main, "Command5");
    QCOMPARE(visibleWindows(), "Form2");
    Form2 &irc = WindowRegistry::window<Form2>();
    QTest::keyClicks(controlOf(&irc, "Text1"), "nick@irc");
    clickControl(&irc, "Label7");
    clickControl(m_main, "Command4");
    QCOMPARE(controlOf<QLineEdit>(&icq, "Text1")->text(), "424242");
    clickControl(&icq, "Label7");
    clickControl(m_main, "Command5");
    QCOMPARE(controlOf<QPlainTextEdit>(&irc, "Text1")->toPlainText(), "nick@irc");
    QCOMPARE(WindowRegistry::current()->windows().size(), size_t(3));
}

void TestMoves::lookupStartedBeforeBackFiresInTheHiddenWindow()
{
    clickControl(m_main, "Command4");
    Form1 &icq = WindowRegistry::window<Form1>();
    NavigationSpy icqNavigations(&icq);
    QTest::keyClicks(controlOf(&icq, "Text1"), "777");
    clickControl(&icq, "Label6");
    clickControl(&icq, "Label7");
    QCOMPARE(visibleWindows(), "frmmain");
    QVERIFY(controlOf<QTimer>(&icq, "Timer1")->isActive());
    // The main window's own lookup runs beside it.
    NavigationSpy mainNavigations(m_main);
    clickControl(m_main, "Label5");
    tickLookup(&icq);
    tickLookup(m_main);
    QCOMPARE(icqNavigations.addresses(), QStringList{"http://telmik-brasko.localhost:6969/icq/777"});
    QCOMPARE(mainNavigations.addresses().size(), 1);
    clickControl(m_main, "Command4");
    QCOMPARE(controlOf<ProgressBar>(&icq, "pg")->Value(), 0.0f);
    QVERIFY(!controlOf<QTimer>(&icq, "Timer1")->isActive());
}

void TestMoves::exitFromEitherLookupWindowEndsTheProgram()
{
    clickControl(m_main, "Command4");
    clickControl(&WindowRegistry::window<Form1>(), "Label8");
    QCOMPARE(m_program->end.ends, 1);
    QCOMPARE(visibleWindows(), "");

    cleanup();
    init();
    clickControl(m_main, "Command5");
    Form2 &irc = WindowRegistry::window<Form2>();
    clickControl(&irc, "Label6");
    clickControl(&irc, "Label8");
    QCOMPARE(m_program->end.ends, 1);
    QVERIFY(!controlOf<QTimer>(&irc, "Timer1")->isActive());
    QCOMPARE(visibleWindows(), "");
}

void TestMoves::informationWindowsRoundTrip()
{
    QTest::keyClicks(controlOf(m_main, "Text1"), "kept");
    clickControl(m_main, "Label6");
    QCOMPARE(visibleWindows(), "frmAbout");
    frmAbout &about = WindowRegistry::window<frmAbout>();
    clickControl(&about, "Label2");
    QCOMPARE(visibleWindows(), "frmAbout1");
    frmAbout1 &help = WindowRegistry::window<frmAbout1>();
    QTest::keyClicks(controlOf(&help, "Text1"), "note ");
    clickControl(&help, "Label6");
    QCOMPARE(visibleWindows(), "Form3");
    Form3 &sets = WindowRegistry::window<Form3>();
    QTest::mouseClick(controlOf(&sets, "Command1"), Qt::LeftButton);
    QCOMPARE(visibleWindows(), "frmAbout1");
    QVERIFY(controlOf<QPlainTextEdit>(&help, "Text1")->toPlainText().startsWith("note ---"));
    clickControl(&help, "Label7");
    QCOMPARE(visibleWindows(), "frmmain");
    QCOMPARE(controlOf<QLineEdit>(m_main, "Text1")->text(), "@kept");

    clickControl(m_main, "Label6");
    QCOMPARE(visibleWindows(), "frmAbout");
    clickControl(&about, "Label3");
    QCOMPARE(visibleWindows(), "frmmain");
    QCOMPARE(WindowRegistry::current()->windows().size(), size_t(4));
}

void TestMoves::surfaceClicksReturnFromAboutAndHelpOnly()
{
    clickControl(m_main, "Label6");
    frmAbout &about = WindowRegistry::window<frmAbout>();
    clickAtTwips(&about, 7000, 3400); // the blue field, right of the links
    QCOMPARE(visibleWindows(), "frmmain");

    clickControl(m_main, "Label6");
    clickControl(&about, "Label2");
    frmAbout1 &help = WindowRegistry::window<frmAbout1>();
    clickAtTwips(&help, 3300, 3300); // between the legend and the sentence
    QCOMPARE(visibleWindows(), "frmmain");

    clickControl(m_main, "Label6");
    QCOMPARE(visibleWindows(), "frmAbout");
    clickControl(&about, "Label2");
    clickControl(&help, "Label6");
    Form3 &sets = WindowRegistry::window<Form3>();
    clickAtTwips(&sets, 5000, 1000); // white, right of the first set
    clickControl(&sets, "Image2");
    QCOMPARE(visibleWindows(), "Form3");
}

void TestMoves::aboutWebViewDoesNotReloadWhenShownAgain()
{
    clickControl(m_main, "Label6");
    frmAbout &about = WindowRegistry::window<frmAbout>();
    NavigationSpy navigations(&about);
    clickControl(&about, "Label3");
    clickControl(m_main, "Label6");
    clickControl(&about, "Label2");
    clickControl(&WindowRegistry::window<frmAbout1>(), "Label7");
    clickControl(m_main, "Label6");
    QVERIFY(navigations.addresses().isEmpty());
}

QUORVANE_TEST_MAIN(TestMoves)
#include "tst_moves.moc"
