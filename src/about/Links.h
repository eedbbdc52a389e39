// The web addresses that the program opens: all of them on the maker's own sites.
#pragma once

namespace modLinks {

// The maker's home page (About box).
inline constexpr char kMakerHome[] = "https://www.zandor.example/";
// The product's page and its version history on the maker's support site.
inline constexpr char kProductPage[] = "https://www.zandor.example/nimo/";
inline constexpr char kVersionHistory[] = "https://www.zandor.example/nimo/history.html";
// The browser's user forum.
inline constexpr char kBrowserForum[] = "https://forums.zandor.example/browser/";
// The Orlix project: its forum, that forum's feedback and suggestions section, its home page.
inline constexpr char kOrlixForum[] = "https://forums.zandor.example/orlix/";
inline constexpr char kOrlixFeedback[] = "https://forums.zandor.example/orlix/feedback/";
inline constexpr char kOrlixHome[] = "https://www.zandor.example/orlix/";

}  // namespace modLinks
