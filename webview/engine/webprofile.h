#pragma once

class QWebEngineProfile;
class QWebEngineScript;

// The one browser profile that every web view of the program uses: kept in
// memory only, so nothing of a run (cache, cookies, history) reaches the disk.
namespace WebProfile {

// How the web engine runs, set before the application object exists:
// the program's few small views draw in software, and all of them share one
// renderer process instead of each view or site starting its own.
void prepareEngine();

QWebEngineProfile *shared();

// Shows a bare picture the way a classic browser showed it: at the top-left
// on white. Every page installs it as a script of its own, not of the
// profile: a renderer process started after a crash is not sent the
// profile's scripts again, while a page sends its own to every new frame.
QWebEngineScript barePictureStyle();

} // namespace WebProfile
