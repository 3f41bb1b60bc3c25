#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// What web content may do in the program's web views. Status servers answer
// over plain http, so whatever they send is treated as hostile: no windows
// or pop-ups, no file access, no schemes but http and https, no permissions,
// downloads or bad certificates, no script dialogs, no bridge into the
// program. Everything of that kind is decided here.
namespace WebPolicy {

// Settings and refusals that hold for every page of the profile.
void applyTo(QWebEngineProfile *profile);

// Whether a navigation may go ahead: http and https only; a sub-frame may
// also be an empty document (about:blank, srcdoc).
bool allowsNavigation(const QUrl &url, bool isMainFrame);

} // namespace WebPolicy

// The page behind every web view of the program: the per-page side of the
// policy above.
class SafePage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit SafePage(QWebEngineProfile *profile, QObject *parent = nullptr);

    // Shows a page of the program's own, standing at the address: the one
    // document that may come from outside the web's schemes.
    void showFrame(const QString &html, const QUrl &address);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    QString m_expectedFrame;
};
