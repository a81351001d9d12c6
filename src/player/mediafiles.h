// Which files the player adds: the media and playlist extensions, the masks
// of the folder search, the file dialog's filter, and shortcuts (symbolic
// links and desktop link files) that stand for the files they point to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

// The media extensions, with their dot, in the order of the masks.
const std::vector<std::string>& MediaExtensions();
// "*.mp3" ... "*.m4a": the folder search's masks.
const std::vector<std::string>& MediaMasks();
// By extension, ignoring case.
bool IsMediaFile(std::string_view path);
bool IsPlaylistFile(std::string_view path);  // ".m3u" or ".m3u8"

// A name against "*"/"?" masks, ignoring case.
bool MatchesMask(std::string_view name, std::string_view mask);
bool MatchesAnyMask(std::string_view name, const std::vector<std::string>& masks);

// The file dialog's filter: "Все форматы" with every mask, then one entry
// per family ("Description|*.a;*.b|...").
std::string MediaFileFilter();

// The target of a shortcut: a symbolic link (followed to its end) or a
// desktop entry of type Link with a local URL. Nothing when the path is no
// shortcut or its target does not exist.
std::optional<std::string> ResolveShortcut(const std::string& path);

}  // namespace player
