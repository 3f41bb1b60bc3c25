#include "windows/windowframe.h"

#include "windows/fonts.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <utility>

namespace {

// A plain widget is a client area to assistive technology; every window of
// the program is a window (a frame, to a screen reader), named by its caption.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("WindowFrame") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

// Set for the window being made to be shown at once (see showNextAsSoonAsMade).
bool showingNext = false;

} // namespace

WindowFrame::WindowFrame(const QString &caption, QSize clientTwips, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    static const bool installed = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setWindowTitle(caption);
    setFixedSize(Twips::size(clientTwips.width(), clientTwips.height()));
    setFont(Fonts::dialog());
    if (std::exchange(showingNext, false))
        setVisible(true);
}

void WindowFrame::showNextAsSoonAsMade()
{
    showingNext = true;
}

void WindowFrame::showControlsMadeSinceShown()
{
    for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!control->isWindow() && !control->testAttribute(Qt::WA_WState_ExplicitShowHide))
            control->show();
    // A control hidden when it was given the focus did not take it.
    if (m_openingFocus)
        m_openingFocus->setFocus();
}

void WindowFrame::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        centreOnScreen();
    }
    QWidget::setVisible(visible);
}

void WindowFrame::setBackground(const QPixmap &picture)
{
    m_background = picture;
    update();
}

void WindowFrame::setPointer(const QCursor &pointer)
{
    // Labels and pictures inherit it; boxes, buttons and web views keep their own.
    setCursor(pointer);
}

void WindowFrame::setTabOrder(std::initializer_list<QWidget *> order)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : order) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    // The first control of the order has the focus when the window opens.
    if (order.size() > 0) {
        m_openingFocus = *order.begin();
        m_openingFocus->setFocus();
    }
}

void WindowFrame::paintEvent(QPaintEvent *)
{
    if (m_background.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void WindowFrame::mousePressEvent(QMouseEvent *event)
{
    m_surfacePressed = event->button() == Qt::LeftButton
                       && !childAt(event->position().toPoint());
    event->accept();
}

void WindowFrame::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const bool click = m_surfacePressed && event->button() == Qt::LeftButton
                       && rect().contains(at) && !childAt(at);
    m_surfacePressed = false;
    event->accept();
    if (click)
        emit surfaceClicked();
}

void WindowFrame::closeEvent(QCloseEvent *event)
{
    // The window is only hidden, never destroyed: the registry keeps it.
    event->ignore();
    hide();
    emit closedByUser();
}

void WindowFrame::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The windows offer no minimise, but some window managers minimise a
    // window all the same; a tool window has no taskbar entry to bring it
    // back by, and the program would run on out of reach. Such a minimise
    // is undone at once, from the event loop once the manager is done.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isMinimized())
                    setWindowState(windowState() & ~Qt::WindowMinimized);
            },
            Qt::QueuedConnection);
}

void WindowFrame::place(QWidget *control, const char *name, const Twips::Rect &rect)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(rect.toPixels());
    control->lower();
}

void WindowFrame::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area(QPoint(0, 0), size());
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
}
