#pragma once

// What the main window makes of the news: the headline is the first line of
// the news text; the news menu item is checked while the headline differs
// from the last one the user has seen (options line 23); opening the news
// marks it seen. Pure functions on the two texts the program keeps.

#include <string>
#include <string_view>

namespace bm::services {

// Message 1046 arrived with `newsText`: its first line (up to the first
// line feed) becomes the current headline; an empty one falls back to the
// last headline seen. True when the headline is not empty, which ends the
// hourly checks for the rest of the run.
bool ApplyNewsText(std::string_view newsText, std::string& currentHeadline, const std::string& lastSeenHeadline);

// The news menu item's check mark.
inline bool HasUnreadNews(const std::string& currentHeadline, const std::string& lastSeenHeadline)
{
    return currentHeadline != lastSeenHeadline;
}

// The news command: the current headline becomes the last one seen.
inline void MarkNewsRead(const std::string& currentHeadline, std::string& lastSeenHeadline)
{
    lastSeenHeadline = currentHeadline;
}

} // namespace bm::services
