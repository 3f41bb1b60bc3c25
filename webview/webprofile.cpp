#include "webview/webprofile.h"

#include "webview/webpolicy.h"

#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

// A bare picture is shown the way a classic browser showed it: at the
// top-left on a white ground, not centred on a dark page.
const char barePictureStyle[] = R"js(
(function () {
    if (!document.contentType || document.contentType.indexOf('image/') !== 0)
        return;
    var style = document.createElement('style');
    style.textContent = 'html, body { background: #ffffff !important; margin: 0 !important; }'
        + ' img { margin: 0 !important; background-color: transparent !important; }';
    (document.head || document.documentElement).appendChild(style);
})();
)js";

void addBarePictureStyle(QWebEngineProfile *profile)
{
    QWebEngineScript script;
    script.setName(QStringLiteral("bare-picture-style"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(QString::fromLatin1(barePictureStyle));
    profile->scripts()->insert(script);
}

} // namespace

namespace WebProfile {

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
        addBarePictureStyle(profile);
        WebPolicy::applyTo(profile);
    }
    return profile;
}

} // namespace WebProfile
