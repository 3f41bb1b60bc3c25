#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

// One row of a window's layout table: position and size in twips, and the
// caption or text the control shows at load (empty for none).
struct ControlRow
{
    const char *name;
    int left, top, width, height;
    QString text;
};

// Compares a window with its layout table, rows top-most first: every
// control's pixel rectangle, shown text and visibility, and the stacking
// order. Returns the differences; empty when the window matches.
QStringList layoutDifferences(QWidget *window, const QList<ControlRow> &table);

// The names of the window's own controls that the Tab key visits, starting
// at the first, as many as asked.
QStringList tabOrder(QWidget *window, QWidget *first, int count);

// The text a control shows: a label's caption, a button's, a box's text.
QString shownText(QWidget *control);

// The named control of a window; fails the test run if there is none.
template <class T = QWidget>
T *controlOf(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
