#pragma once

#include "windows/windowframe.h"

class LookupSequence;
class ProgressBar;
class QTimer;
class WebBrowser;

// What the three lookup windows share: the web view that shows the status
// picture, the progress bar and timer that pace the lookup, and lookup()
// itself, which sends the web view to "http://" and the box texts joined.
class LookupWindow : public WindowFrame
{
    Q_OBJECT

public:
    // Sends the web view to the status query address made of the boxes, as
    // they stand now.
    void lookup();

protected:
    using WindowFrame::WindowFrame;

    // The box texts that make the address, in their order.
    virtual QStringList boxTexts() const = 0;

    // The progress bar `pg`, with the timer `Timer1` and the sequence on them.
    void addProgressBar(const Twips::Rect &rect);
    // `WebBrowser1`, starting on the page at that path of the group's server.
    void addWebBrowser(const Twips::Rect &rect, const QString &startPath);

    // The "Begin Lookup" click: starts the sequence.
    void beginLookup();

    ProgressBar *pg = nullptr;
    QTimer *Timer1 = nullptr;
    WebBrowser *WebBrowser1 = nullptr;

private:
    LookupSequence *m_sequence = nullptr;
};
