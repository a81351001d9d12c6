// The file managers' folder menu: two commands that start the player with the
// folder and "/Open" (add it to the current playlist) or "/Add" (a new
// playlist of it).
#pragma once

#include <string>

namespace platform {

struct TFolderMenuTexts {
    std::string Open;  // the command that opens the folder in the player
    std::string Add;   // the command that adds it as a new playlist
};

class FolderMenu {
public:
    virtual ~FolderMenu() = default;
    // Puts the two commands, with these texts, into the folder menus; what an
    // earlier registration wrote is removed first, so texts of another
    // language do not stay behind. False when any part could not be written;
    // the parts that were stay registered, and Unregister removes them.
    virtual bool Register(const TFolderMenuTexts& texts) = 0;
    // Removes exactly what Register wrote. False when some of it could not go.
    virtual bool Unregister() = 0;
    // True while a registration is in place.
    virtual bool Registered() = 0;
};

}  // namespace platform
