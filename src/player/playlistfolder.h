// The playlist folder: one "name.m3u" file per playlist, listed in the
// chooser by name.
#pragma once

#include <ctime>
#include <string>

#include "kit/controls.h"

namespace player {

// "default.m3u", else "default(1).m3u" ... "default(1000).m3u", else
// "default_yyyymmdd_hhnnss.m3u" (local time), made unique if even that exists.
std::string GenerateUniqueM3UFileName(const std::string& folder);
std::string GenerateUniqueM3UFileName(const std::string& folder, std::time_t now);

// Adds the names of the folder's files matching the mask (not folders) to
// the chooser; with strip, without their last four characters.
void ListFileDir(const std::string& folder, const std::string& mask, bool strip, ui::TComboBox& chooser);

// The chooser item naming a playlist: the exact name first, else the first
// equal without regard to case; -1 when none.
int IndexOfPlaylist(const ui::TComboBox& chooser, const std::string& name);
// True when a playlist of that name (any case) exists in the folder.
bool PlaylistExists(const std::string& folder, const std::string& name);
// A name that makes a file inside the playlist folder: not empty, no "/",
// no control characters, not "." or "..".
bool IsValidPlaylistName(const std::string& name);
// Copies a playlist file byte for byte into the folder (nothing to do when
// both name the same file); false, and the reason logged, on failure.
bool ImportPlaylistFile(const std::string& from, const std::string& to);

}  // namespace player
