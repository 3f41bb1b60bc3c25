#include "webview/engine/webpolicy.h"

#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>

namespace WebPolicy {

void applyTo(QWebEngineProfile *profile)
{
    QWebEngineSettings *settings = profile->settings();
    const QList<QPair<QWebEngineSettings::WebAttribute, bool>> attributes = {
        {QWebEngineSettings::JavascriptCanOpenWindows, false},
        {QWebEngineSettings::JavascriptCanAccessClipboard, false},
        {QWebEngineSettings::JavascriptCanPaste, false},
        {QWebEngineSettings::AllowWindowActivationFromJavaScript, false},
        {QWebEngineSettings::LocalContentCanAccessFileUrls, false},
        {QWebEngineSettings::LocalContentCanAccessRemoteUrls, false},
        {QWebEngineSettings::NavigateOnDropEnabled, false},
        {QWebEngineSettings::AllowRunningInsecureContent, false},
        {QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false},
        {QWebEngineSettings::FullScreenSupportEnabled, false},
        {QWebEngineSettings::ScreenCaptureEnabled, false},
        {QWebEngineSettings::PluginsEnabled, false},
        {QWebEngineSettings::PdfViewerEnabled, false},
        {QWebEngineSettings::HyperlinkAuditingEnabled, false},
        {QWebEngineSettings::DnsPrefetchEnabled, false},
        {QWebEngineSettings::WebRTCPublicInterfacesOnly, true},
        {QWebEngineSettings::PlaybackRequiresUserGesture, true},
    };
    for (const auto &[attribute, on] : attributes)
        settings->setAttribute(attribute, on);
    // mailto:, file: and custom schemes never reach the system's handlers.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest *download) { download->cancel(); });
}

bool allowsNavigation(const QUrl &url, bool isMainFrame)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return true;
    return !isMainFrame && scheme == QLatin1String("about");
}

} // namespace WebPolicy

SafePage::SafePage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::certificateError, this,
            [](QWebEngineCertificateError error) { error.rejectCertificate(); });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::selectClientCertificate, this,
            [](QWebEngineClientCertificateSelection selection) { selection.selectNone(); });
}

void SafePage::showFrame(const QString &html, const QUrl &address)
{
    m_expectedFrame = html;
    setHtml(html, address);
}

bool SafePage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    // The program's own frame page arrives as a document of the data scheme.
    if (isMainFrame && !m_expectedFrame.isEmpty() && url.scheme() == QLatin1String("data")
        && url.path(QUrl::FullyDecoded).endsWith(m_expectedFrame)) {
        m_expectedFrame.clear();
        return true;
    }
    return WebPolicy::allowsNavigation(url, isMainFrame);
}

QWebEnginePage *SafePage::createWindow(WebWindowType)
{
    return nullptr;
}

// Script dialogs would let a page hold the window with modal boxes; console
// messages would be logged. Neither reaches the user.
void SafePage::javaScriptAlert(const QUrl &, const QString &)
{
}

bool SafePage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool SafePage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

void SafePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                        const QString &)
{
}
