#pragma once

class QWebEngineProfile;
class QWebEngineScript;

// The one browser profile that every web view of the program uses: kept in
// memory only, so nothing of a run (cache, cookies, history) reaches the disk.
namespace WebProfile {

// How the web engine draws, set when its module loads, before the first view:
// the program's few small views draw in software. (How it starts, with one
// renderer for all views and no OpenGL, is set as shared() starts it.)
void prepareEngine();

QWebEngineProfile *shared();

// Shows a bare picture the way a classic browser showed it: at the top-left
// on white. Every page installs it as a script of its own, not of the
// profile: a renderer process started after a crash is not sent the
// profile's scripts again, while a page sends its own to every new frame.
QWebEngineScript barePictureStyle();

} // namespace WebProfile
