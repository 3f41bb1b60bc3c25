#pragma once

#include "windows/twips.h"
#include "windows/windowclass.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <initializer_list>

// The frame every window of the program stands in: a fixed-size tool window
// with a small title bar, no maximise or minimise, centred on the screen the
// first time it is shown and kept where the user puts it afterwards. It paints
// the window's background picture, shows the window's pointer over its
// surface, and tells when its bare surface is clicked.
//
// A window does not move to another window, open a page or end the program
// itself: it asks, and the program (the window registry) does it.
//
// Controls are added in the order of the window's layout table, top-most
// first; each new one goes beneath those added before it.
class WindowFrame : public QWidget
{
    Q_OBJECT

public:
    WindowFrame(const QString &caption, QSize clientTwips, QWidget *parent = nullptr);

    void setVisible(bool visible) override;

    // For a window made to be shown at once: the next window made is shown
    // as soon as its frame exists, so that the window system maps it while
    // its controls are being made; its first paint has them all.
    static void showNextAsSoonAsMade();
    // Shows the controls made after the frame was shown, as Qt shows those
    // of a window when it is shown; those hidden on purpose stay hidden.
    void showControlsMadeSinceShown();

signals:
    // A click on the window's own surface, where no control lies.
    void surfaceClicked();
    // The user closed the window through its title bar; it is hidden now.
    void closedByUser();
    // Bring up the target, then hide this window.
    void moveRequested(const WindowClass &target, Activation activation);
    // Open the address in the system's web browser.
    void pageRequested(const QString &address);
    // End the program.
    void endRequested();

protected:
    template <class Control, class... Args>
    Control *add(const char *name, const Twips::Rect &rect, Args &&...args)
    {
        auto *control = new Control(std::forward<Args>(args)..., this);
        place(control, name, rect);
        return control;
    }

    // The moves: `Show` the target, or set it `Visible`; then hide self.
    template <class Target>
    void goTo()
    {
        emit moveRequested(WindowClass::of<Target>(), Activation::Show);
    }
    template <class Target>
    void returnTo()
    {
        emit moveRequested(WindowClass::of<Target>(), Activation::Visible);
    }
    void openPage(const QString &address) { emit pageRequested(address); }
    void endProgram() { emit endRequested(); }

    void setBackground(const QPixmap &picture);
    void setPointer(const QCursor &pointer);
    // The Tab key visits these in this order; the first takes the focus.
    void setTabOrder(std::initializer_list<QWidget *> order);

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void place(QWidget *control, const char *name, const Twips::Rect &rect);
    void centreOnScreen();

    QPixmap m_background;
    QPointer<QWidget> m_openingFocus; // the first of the tab order
    bool m_placed = false;
    bool m_surfacePressed = false;
};
