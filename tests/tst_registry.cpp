// The window registry, the moves between windows and the window frame.
#include "app/moves.h"
#include "app/programend.h"
#include "app/windowregistry.h"
#include "support/recorders.h"
#include "support/testmain.h"
#include "windows/windowframe.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {

// Two small windows standing in for the program's own.
struct First : WindowFrame
{
    static inline int made = 0;
    QLineEdit *edit;
    QTimer *timer;
    First() : WindowFrame("First", QSize(3000, 1500)), edit(new QLineEdit(this)), timer(new QTimer(this))
    {
        ++made;
    }
};

// A window whose controls are made while it is shown: two, one hidden on purpose.
struct Third : WindowFrame
{
    bool shownBeforeControls;
    QLineEdit *shown;
    QLineEdit *hidden;
    Third()
        : WindowFrame("Third", QSize(1500, 1500)), shownBeforeControls(isVisible()), shown(new QLineEdit(this)),
          hidden(new QLineEdit(this))
    {
        hidden->setVisible(false);
        setTabOrder({shown, hidden});
    }
};

struct Second : WindowFrame
{
    static inline int made = 0;
    Second() : WindowFrame("Second", QSize(1500, 3000)) { ++made; }
};

// Notes, at every show or hide of a watched window, which windows are visible.
struct Watcher : QObject
{
    QStringList events;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            QString visible;
            for (WindowFrame *window : WindowRegistry::current()->windows())
                visible += window->isVisible() ? window->windowTitle().left(1) : QString();
            events << QStringLiteral("%1 %2, visible: %3")
                          .arg(event->type() == QEvent::Show ? "show" : "hide",
                               watched->objectName(), visible);
        }
        return false;
    }
};

} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void createsOnFirstReferenceOnly();
    void hideOfAnAbsentWindowCreatesItHidden();
    void showOfAVisibleWindowKeepsIt();
    void aWindowMadeToBeShownMapsBeforeItsControls();
    void moveShowsTargetBeforeHidingSource();
    void stateAndPositionSurviveHideAndShow();
    void firstShowCentresTheWindow();
    void frameIsFixedToolWindow();
    void closingTheLastVisibleWindowEndsTheProgram();
    void programEndHidesAllAndStopsTimers();
    void registryDestroysItsWindows();

private:
    std::unique_ptr<WindowRegistry> m_registry;
    std::unique_ptr<EndRecorder> m_end;
};

void TestRegistry::init()
{
    First::made = Second::made = 0;
    m_end = std::make_unique<EndRecorder>();
    m_registry = std::make_unique<WindowRegistry>();
}

void TestRegistry::cleanup()
{
    m_registry.reset();
    m_end.reset();
}

void TestRegistry::createsOnFirstReferenceOnly()
{
    QVERIFY(!WindowRegistry::isCreated<First>());
    First &first = WindowRegistry::window<First>();
    QCOMPARE(First::made, 1);
    QCOMPARE(&WindowRegistry::window<First>(), &first);
    WindowRegistry::Show<First>();
    WindowRegistry::Hide<First>();
    WindowRegistry::setVisible<First>(true);
    QCOMPARE(First::made, 1);
    QCOMPARE(Second::made, 0);
    QVERIFY(first.isVisible());
}

void TestRegistry::hideOfAnAbsentWindowCreatesItHidden()
{
    WindowRegistry::Hide<Second>();
    QVERIFY(WindowRegistry::isCreated<Second>());
    QVERIFY(!WindowRegistry::window<Second>().isVisible());
}

void TestRegistry::showOfAVisibleWindowKeepsIt()
{
    WindowRegistry::Show<First>();
    First &first = WindowRegistry::window<First>();
    first.edit->setText("typed");
    WindowRegistry::Show<First>();
    QCOMPARE(First::made, 1);
    QCOMPARE(first.edit->text(), "typed");
    QVERIFY(first.isVisible());
    QTRY_VERIFY(first.isActiveWindow());
}

void TestRegistry::aWindowMadeToBeShownMapsBeforeItsControls()
{
    WindowRegistry::Show<Third>();
    Third &third = WindowRegistry::window<Third>();
    QVERIFY(third.shownBeforeControls);
    QVERIFY(third.shown->isVisible());
    QVERIFY(!third.hidden->isVisible());
    QCOMPARE(third.focusWidget(), third.shown);
    // Made by reference only, it waits to be shown, whole.
    Second &second = WindowRegistry::window<Second>();
    QVERIFY(!second.isVisible());
    First &first = WindowRegistry::window<First>();
    WindowRegistry::Show<First>();
    QVERIFY(first.edit->isVisible());
}

void TestRegistry::moveShowsTargetBeforeHidingSource()
{
    WindowRegistry::Show<First>();
    First &first = WindowRegistry::window<First>();
    first.setObjectName("first");
    Watcher watcher;
    first.installEventFilter(&watcher);
    Moves::goTo<Second>(first);
    WindowRegistry::window<Second>().setObjectName("second");
    // The hide of the source comes after the target became visible.
    QCOMPARE(watcher.events, QStringList{"hide first, visible: S"});
    QVERIFY(WindowRegistry::window<Second>().isVisible());

    WindowRegistry::window<Second>().installEventFilter(&watcher);
    watcher.events.clear();
    Moves::returnTo<First>(WindowRegistry::window<Second>());
    QCOMPARE(watcher.events, (QStringList{"show first, visible: FS", "hide second, visible: F"}));
}

void TestRegistry::stateAndPositionSurviveHideAndShow()
{
    WindowRegistry::Show<First>();
    First &first = WindowRegistry::window<First>();
    first.edit->setText("kept");
    first.move(40, 50);
    const QPoint placed = first.pos();
    Moves::goTo<Second>(first);
    Moves::goTo<First>(WindowRegistry::window<Second>());
    QCOMPARE(First::made, 1);
    QCOMPARE(first.edit->text(), "kept");
    QCOMPARE(first.pos(), placed);
}

void TestRegistry::firstShowCentresTheWindow()
{
    WindowRegistry::Show<Second>();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect window = WindowRegistry::window<Second>().geometry();
    QVERIFY2(qAbs(window.center().x() - screen.center().x()) <= 16, qPrintable(QString::number(window.center().x())));
    QVERIFY2(qAbs(window.center().y() - screen.center().y()) <= 32, qPrintable(QString::number(window.center().y())));
}

void TestRegistry::frameIsFixedToolWindow()
{
    First &first = WindowRegistry::window<First>();
    QCOMPARE(first.size(), QSize(200, 100));
    QCOMPARE(first.minimumSize(), first.maximumSize());
    const Qt::WindowFlags flags = first.windowFlags();
    QVERIFY(flags.testFlag(Qt::Tool));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QCOMPARE(first.windowTitle(), "First");
}

void TestRegistry::closingTheLastVisibleWindowEndsTheProgram()
{
    WindowRegistry::Show<First>();
    WindowRegistry::Show<Second>();
    WindowRegistry::window<First>().close();
    QCOMPARE(m_end->ends, 0);
    QVERIFY(WindowRegistry::isCreated<First>());
    WindowRegistry::window<Second>().close();
    QCOMPARE(m_end->ends, 1);
    QVERIFY(!WindowRegistry::current()->anyVisible());
}

void TestRegistry::programEndHidesAllAndStopsTimers()
{
    WindowRegistry::Show<First>();
    First &first = WindowRegistry::window<First>();
    first.timer->start(10);
    ProgramEnd::end();
    QVERIFY(ProgramEnd::hasEnded());
    QCOMPARE(m_end->ends, 1);
    QVERIFY(!first.isVisible());
    QVERIFY(!first.timer->isActive());
}

void TestRegistry::registryDestroysItsWindows()
{
    QPointer<First> first = &WindowRegistry::window<First>();
    m_registry.reset();
    QVERIFY(first.isNull());
    QCOMPARE(WindowRegistry::current(), nullptr);
}

QUORVANE_TEST_MAIN(TestRegistry)
#include "tst_registry.moc"
