#include "webview/engine/webprofile.h"

#include "webview/engine/webpolicy.h"

#include <QLoggingCategory>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QWebEngineProfile>
#include <vector>

namespace {

// How the engine starts is partly read from the environment as it starts.
// The settings are taken back at once: a web browser the program opens for
// the user (which may be built on the same engine) inherits the user's
// environment, not the program's settings for its own views.
class StartEnvironment
{
public:
    StartEnvironment()
    {
        // Every page the program shows comes from its own few small sites
        // (the group's server, the author's site, the status servers'
        // pictures): one renderer process serves all of its views, rather
        // than one per site. A view's last page is never gone back to: a
        // cache of pages to go back to is memory held for nothing.
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        for (const char *flag : {"--renderer-process-limit=1", "--disable-site-isolation-trials",
                                 "--disable-features=BackForwardCache"}) {
            if (!flags.contains(flag))
                flags.append(flags.isEmpty() ? "" : " ").append(flag);
        }
        set("QTWEBENGINE_CHROMIUM_FLAGS", flags);
        // Nothing of the program draws with OpenGL. Asked whether there is
        // any, Qt's X11 plug-in would load a driver (some 17 MiB); told it
        // needs none, it loads nothing. A user's own setting wins.
        if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
            set("QT_XCB_GL_INTEGRATION", "none");
        // On Linux the engine gives assistive technology nothing of a page
        // unless told to (it does so only while a screen reader is there):
        // the status answer, a page's words, are what a user asked to hear.
        if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
            set("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    }

    ~StartEnvironment()
    {
        for (const Saved &saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

private:
    struct Saved
    {
        const char *name;
        bool wasSet;
        QByteArray value;
    };

    void set(const char *name, const QByteArray &value)
    {
        m_saved.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv(name, value);
    }

    std::vector<Saved> m_saved;
};

} // namespace

namespace WebProfile {

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
}

QWebEngineProfile *shared()
{
    // The default profile is off the record; it lives until the application
    // object goes, after every window (and so every page) is gone. The
    // engine starts with it.
    QWebEngineProfile *profile = nullptr;
    {
        StartEnvironment start;
        profile = QWebEngineProfile::defaultProfile();
    }
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
