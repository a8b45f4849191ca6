#pragma once
// The maker's support mail address and web site, shown by the About window
// and opened by the main window's web-site command.

inline constexpr char kSupportAddress[] = "support@velmora.example";
inline constexpr char kWebSiteAddress[] = "https://velmora.example";
