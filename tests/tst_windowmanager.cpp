// The windows under a real window manager on X11 (openbox, as LXQt has it),
// which offers a minimise that the windows do not: a window it minimises
// comes straight back, since a tool window has no taskbar entry to be found by.
#include "support/fixture.h"
#include "support/testmain.h"
#include "windows/form1.h"
#include "windows/frmmain.h"

#include <QProcess>
#include <QWindow>

namespace {

// Runs an X11 tool of the display and returns what it printed.
QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return process.readAllStandardOutput();
}

bool windowManagerRuns()
{
    return run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
}

// How the window manager holds the window: "Normal" on screen, "Iconic" minimised.
QByteArray managedState(QWidget *window)
{
    return run("xprop", {"-id", QString::number(window->winId()), "WM_STATE"});
}

// Counts the times the window was minimised, whoever undid it.
class MinimiseCounter : public QObject
{
public:
    explicit MinimiseCounter(QWidget *window) { window->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange && static_cast<QWidget *>(watched)->isMinimized())
            ++count;
        return false;
    }
};

} // namespace

class TestWindowManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init() { m_program = std::make_unique<ProgramFixture>(); }
    void cleanup() { m_program.reset(); }

    void aMinimisedWindowComesStraightBack();

private:
    QProcess m_windowManager;
    std::unique_ptr<ProgramFixture> m_program;
};

void TestWindowManager::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X11 display");
    m_windowManager.start("openbox", {"--sm-disable"});
    QVERIFY(m_windowManager.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(windowManagerRuns(), 10000);
}

void TestWindowManager::cleanupTestCase()
{
    m_windowManager.terminate();
    m_windowManager.waitForFinished(5000);
}

void TestWindowManager::aMinimisedWindowComesStraightBack()
{
    for (QWidget *window : std::initializer_list<QWidget *>{openWindow<frmmain>(), openWindow<Form1>()}) {
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY_WITH_TIMEOUT(managedState(window).contains("Normal"), 10000);
        MinimiseCounter minimised(window);
        run("xdotool", {"windowminimize", QString::number(window->winId())});
        QTRY_COMPARE_WITH_TIMEOUT(minimised.count, 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(managedState(window).contains("Normal"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(window->windowHandle()->isExposed(), 10000);
        QVERIFY(!window->isMinimized());
        QCOMPARE(minimised.count, 1);
    }
}

QUORVANE_TEST_MAIN(TestWindowManager)
#include "tst_windowmanager.moc"
