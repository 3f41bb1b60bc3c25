#pragma once

class QWebEngineProfile;

// The one browser profile that every web view of the program uses: kept in
// memory only, so nothing of a run (cache, cookies, history) reaches the disk.
namespace WebProfile {

// How the web engine runs, set before the application object exists:
// the program's few small views draw in software, and pages of one site
// share one renderer process instead of each view starting its own.
void prepareEngine();

QWebEngineProfile *shared();

} // namespace WebProfile
