#pragma once

class QWebEngineProfile;

// The one browser profile that every web view of the program uses: kept in
// memory only, so nothing of a run (cache, cookies, history) reaches the disk.
namespace WebProfile {

QWebEngineProfile *shared();

} // namespace WebProfile
