#pragma once

class QWebEngineProfile;

// The one browser profile that every web view of the program uses: kept in
// memory only, so nothing of a run (cache, cookies, history) reaches the disk.
namespace WebProfile {

// How the web engine draws, set when its module loads, before the first view:
// the program's few small views draw in software. (How it starts, with one
// renderer for all views and no OpenGL, is set as shared() starts it.)
void prepareEngine();

QWebEngineProfile *shared();

} // namespace WebProfile
