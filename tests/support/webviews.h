#pragma once

class QString;
class QWebEnginePage;
class QWebEngineView;
class QWidget;

// The engine's view of a window's web view: made once the window is on
// screen, so this waits for it (up to 30 s), and returns null if it never came.
QWebEngineView *viewOf(QWidget *window);
QWebEnginePage *pageOf(QWidget *window);

// The title of the document the page shows: a status answer's own (the
// document in the frame it is shown in), else the page's.
QString shownTitle(QWebEnginePage *page);
