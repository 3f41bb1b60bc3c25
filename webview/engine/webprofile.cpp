#include "webview/engine/webprofile.h"

#include "webview/engine/webpolicy.h"

#include <QLoggingCategory>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QWebEngineProfile>
#include <QWebEngineScript>

namespace {

// A bare picture is shown the way a classic browser showed it: at the
// top-left on a white ground, not centred on a dark page.
const char barePictureStyleSource[] = R"js(
(function () {
    if (!document.contentType || document.contentType.indexOf('image/') !== 0)
        return;
    var style = document.createElement('style');
    style.textContent = 'html, body { background: #ffffff !important; margin: 0 !important; }'
        + ' img { margin: 0 !important; background-color: transparent !important; }';
    (document.head || document.documentElement).appendChild(style);
})();
)js";

} // namespace

namespace WebProfile {

QWebEngineScript barePictureStyle()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("bare-picture-style"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(QString::fromLatin1(barePictureStyleSource));
    return script;
}

void prepareEngine()
{
    // The engine reports its start-up parameters on stderr; the program
    // prints nothing on a normal start. QT_LOGGING_RULES still turns it on.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.debug=false\n"
                                                    "qt.webenginecontext.info=false"));
    // A status picture or a short page needs no GPU; drawing in software
    // saves the memory and start-up time of OpenGL (the program never loads
    // a driver for it).
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QQuickWindow::setSceneGraphBackend(QStringLiteral("software"));
    // Every page the program shows comes from its own few small sites (the
    // group's server, the author's site, the status servers' pictures): one
    // renderer process serves all of its views, rather than one per site.
    // A view's last page is never gone back to: a cache of pages to go back
    // to is memory the views would hold for nothing.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char *flag : {"--renderer-process-limit=1", "--disable-site-isolation-trials",
                             "--disable-features=BackForwardCache"}) {
        if (!flags.contains(flag))
            flags.append(flags.isEmpty() ? "" : " ").append(flag);
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

QWebEngineProfile *shared()
{
    // The default profile is off the record; it lives until the application
    // object goes, after every window (and so every page) is gone.
    QWebEngineProfile *profile = QWebEngineProfile::defaultProfile();
    static bool configured = false;
    if (!configured) {
        configured = true;
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        WebPolicy::applyTo(profile);
    }
    return profile;
}

} // namespace WebProfile
