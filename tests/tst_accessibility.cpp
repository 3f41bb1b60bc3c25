// What assistive technology reads of the windows, through Qt's accessibility
// interfaces: picture buttons as buttons named by their captions, boxes by
// their field bars, the progress bar's value, the web views and captions.
#include "support/fixture.h"
#include "support/lookups.h"
#include "support/testmain.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmabout.h"
#include "windows/frmabout1.h"
#include "windows/frmmain.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>

namespace {

QAccessibleInterface *accessibleOf(QWidget *window, const char *name)
{
    QWidget *control = window->findChild<QWidget *>(QString::fromLatin1(name));
    return control ? QAccessible::queryAccessibleInterface(control) : nullptr;
}

// What a screen reader announces a box as: the label it is labelled by
// (how Qt gives a combo box's caption on Linux), else its name.
QString captionOf(QWidget *window, const char *box)
{
    QAccessibleInterface *accessible = accessibleOf(window, box);
    if (!accessible)
        return QStringLiteral("(no control)");
    const auto labels = accessible->relations(QAccessible::Label);
    return labels.isEmpty() ? accessible->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name);
}

QString nameOf(QWidget *window, const char *control)
{
    QAccessibleInterface *accessible = accessibleOf(window, control);
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("(no control)");
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pictureButtonsReadAsButtonsWithTheirCaptions_data();
    void pictureButtonsReadAsButtonsWithTheirCaptions();
    void pressingAPictureButtonClicksIt();
    void boxesAreNamedByTheirFieldBars();
    void progressBarSaysWhatItMeasuresAndItsValue();
    void webViewsAndWindowsSayWhatTheyShow();

private:
    std::unique_ptr<ProgramFixture> m_program;
};

void TestAccessibility::init()
{
    m_program = std::make_unique<ProgramFixture>();
}

void TestAccessibility::cleanup()
{
    m_program.reset();
}

void TestAccessibility::pictureButtonsReadAsButtonsWithTheirCaptions_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("main, Begin Lookup") << "frmmain" << "Label5" << "Begin Lookup";
    QTest::newRow("main, Exit Program") << "frmmain" << "Label8" << "Exit Program";
    QTest::newRow("ICQ, Back") << "Form1" << "Label7" << "Back";
    QTest::newRow("IRC, Begin Lookup") << "Form2" << "Label6" << "Begin Lookup";
    QTest::newRow("About, Help") << "frmAbout" << "Label2" << "Help";
    QTest::newRow("About, OK") << "frmAbout" << "Label3" << "OK";
    QTest::newRow("Help, OK") << "frmAbout1" << "Label7" << "OK";
}

void TestAccessibility::pictureButtonsReadAsButtonsWithTheirCaptions()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QWidget *shown = nullptr;
    if (window == "frmmain")
        shown = openWindow<frmmain>();
    else if (window == "Form1")
        shown = openWindow<Form1>();
    else if (window == "Form2")
        shown = openWindow<Form2>();
    else if (window == "frmAbout")
        shown = openWindow<frmAbout>();
    else
        shown = openWindow<frmAbout1>();
    QAccessibleInterface *button = accessibleOf(shown, qPrintable(control));
    QVERIFY(button);
    QCOMPARE(button->role(), QAccessible::Button);
    QCOMPARE(button->text(QAccessible::Name), name);
    QVERIFY(button->actionInterface());
    QVERIFY(button->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

void TestAccessibility::pressingAPictureButtonClicksIt()
{
    frmmain *main = openWindow<frmmain>();
    NavigationSpy navigations(main);
    accessibleOf(main, "Label5")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    tickLookup(main);
    QCOMPARE(navigations.addresses().size(), 1);
    // Captions that are not buttons stay plain text.
    QCOMPARE(accessibleOf(main, "Label1")->role(), QAccessible::StaticText);
}

void TestAccessibility::boxesAreNamedByTheirFieldBars()
{
    frmmain *main = openWindow<frmmain>();
    QCOMPARE(captionOf(main, "Combo2"), "Medium");
    QCOMPARE(captionOf(main, "Text1"), "Account");
    QCOMPARE(captionOf(main, "Combo3"), "Server");
    Form1 *icq = openWindow<Form1>();
    QCOMPARE(captionOf(icq, "Text1"), "ICQ #");
    QCOMPARE(captionOf(icq, "Combo1"), "Server");
    Form2 *irc = openWindow<Form2>();
    QCOMPARE(captionOf(irc, "Text1"), "IRC");
    QCOMPARE(captionOf(irc, "Combo1"), "Server");
    QCOMPARE(captionOf(openWindow<frmAbout1>(), "Text1"), "Usage");
}

void TestAccessibility::progressBarSaysWhatItMeasuresAndItsValue()
{
    frmmain *main = openWindow<frmmain>();
    QCOMPARE(nameOf(main, "pg"), "Lookup progress");
    QCOMPARE(nameOf(openWindow<Form1>(), "pg"), "Lookup progress");
    QAccessibleValueInterface *bar = accessibleOf(main, "pg")->valueInterface();
    QVERIFY(bar);
    QCOMPARE(bar->minimumValue().toInt(), 0);
    QCOMPARE(bar->maximumValue().toInt(), 100);
    QTest::mouseClick(main->findChild<QWidget *>("Label5"), Qt::LeftButton);
    tickLookup(main, 4);
    QCOMPARE(bar->currentValue().toInt(), 40);
    tickLookup(main, ticksToFire - 4);
    QCOMPARE(bar->currentValue().toInt(), 0);
}

void TestAccessibility::webViewsAndWindowsSayWhatTheyShow()
{
    frmmain *main = openWindow<frmmain>();
    QCOMPARE(nameOf(main, "WebBrowser1"), "Status picture");
    QCOMPARE(nameOf(openWindow<Form2>(), "WebBrowser1"), "Status picture");
    frmAbout *about = openWindow<frmAbout>();
    QCOMPARE(nameOf(about, "WebBrowser1"), "Server Status Page");
    QCOMPARE(QAccessible::queryAccessibleInterface(main)->text(QAccessible::Name),
             "Quorvane - By Telmik/Brasko");
    QCOMPARE(QAccessible::queryAccessibleInterface(about)->text(QAccessible::Name), "About/Help ");
    // Windows, not client areas: a screen reader announces them as frames.
    for (QWidget *window : {static_cast<QWidget *>(main), static_cast<QWidget *>(about),
                            static_cast<QWidget *>(openWindow<frmAbout1>())})
        QCOMPARE(QAccessible::queryAccessibleInterface(window)->role(), QAccessible::Window);
}

QUORVANE_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
