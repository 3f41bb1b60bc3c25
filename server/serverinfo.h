#pragma once

// The program's name, version and authors, as the pages and the IRC real
// name give them.
namespace ServerInfo {

inline constexpr char product[] = "Quorvane";
inline constexpr char version[] = "2.3";
inline constexpr char company[] = "Telmik/Brasko";

} // namespace ServerInfo
