#pragma once

#include <QPoint>

class QWidget;

// Clicks a window where a user would: the top-most control under the point
// gets the click, or the window's own surface where no control lies.
void clickAt(QWidget *window, QPoint pixel);
// The same with the point given in twips, as in the windows' layout tables.
void clickAtTwips(QWidget *window, int left, int top);
// The widget that a click at the point reaches (the window itself if none).
QWidget *widgetAt(QWidget *window, QPoint pixel);
// A click at the centre of the named control, where a user would aim: it
// reaches whatever lies top-most there.
void clickControl(QWidget *window, const char *name);
