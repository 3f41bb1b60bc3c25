#include "support/clicks.h"

#include "windows/twips.h"

#include <QTest>
#include <QWidget>

QWidget *widgetAt(QWidget *window, QPoint pixel)
{
    QWidget *child = window->childAt(pixel);
    return child ? child : window;
}

void clickAt(QWidget *window, QPoint pixel)
{
    QWidget *target = widgetAt(window, pixel);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(window, pixel));
}

void clickAtTwips(QWidget *window, int left, int top)
{
    clickAt(window, QPoint(Twips::toPixels(left), Twips::toPixels(top)));
}

void clickControl(QWidget *window, const char *name)
{
    QWidget *control = window->findChild<QWidget *>(QString::fromLatin1(name));
    QVERIFY2(control, name);
    clickAt(window, control->geometry().center());
}
