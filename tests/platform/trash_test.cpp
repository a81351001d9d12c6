// The freedesktop trash on the home volume (the real volume lookup) and on a
// second volume (simulated: the lookup says which folder is another device).
#include "platform/linux/freedesktoptrash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "common/files.h"
#include "support/tempdir.h"

using platform::FreedesktopTrash;
using platform::TVolume;

namespace {

std::string infoOf(const std::string& trash, const std::string& name) {
    return common::readFile(trash + "info/" + name + ".trashinfo").value_or("<none>");
}

// The Path= line as a file manager reads it back.
std::string decodedPath(const std::string& info) {
    std::smatch m;
    if (!std::regex_search(info, m, std::regex("\nPath=([^\n]*)\n"))) return "<none>";
    std::string in = m[1], out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size()) {
            out.push_back(static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(in[i]);
        }
    }
    return out;
}

TEST(Trash, TheHomeVolumeUsesTheHomeTrashWithInfoAFileManagerCanRestoreFrom) {
    testenv::TempDir dir;
    std::string dataHome = dir.path + "home/.local/share/";
    FreedesktopTrash trash(dataHome);  // the real lookup: everything here is one volume
    std::string first = dir.file("music/Мой трек #1.mp3", "one");
    std::string second = dir.file("other/Мой трек #1.mp3", "two");

    platform::TTrashResult r1 = trash.MoveToTrash(first);
    platform::TTrashResult r2 = trash.MoveToTrash(second);
    ASSERT_TRUE(r1.ok) << r1.error;
    ASSERT_TRUE(r2.ok) << r2.error;
    EXPECT_FALSE(common::fileExists(first));
    std::string home = dataHome + "Trash/";
    EXPECT_EQ(r1.trashedAs, home + "files/Мой трек #1.mp3");
    EXPECT_EQ(r2.trashedAs, home + "files/Мой трек #1.2.mp3");  // a unique name for the second
    EXPECT_EQ(common::readFile(r2.trashedAs), "two");

    std::string info = infoOf(home, "Мой трек #1.mp3");
    EXPECT_TRUE(std::regex_match(
        info,
        std::regex(
            "\\[Trash Info\\]\nPath=[A-Za-z0-9/._~%-]+\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
        << info;
    EXPECT_NE(info.find("%D0%9C%D0%BE%D0%B9%20"), std::string::npos);  // "Мой " encoded
    EXPECT_EQ(decodedPath(info), first);
    EXPECT_EQ(decodedPath(infoOf(home, "Мой трек #1.2.mp3")), second);
    struct stat st {};
    ASSERT_EQ(::stat(home.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Restoring as a file manager does: the trashed file back to the recorded path.
    ASSERT_EQ(std::rename(r1.trashedAs.c_str(), decodedPath(info).c_str()), 0);
    EXPECT_EQ(common::readFile(first), "one");
}

TEST(Trash, AnotherVolumeKeepsItsOwnTrashAtItsTopWithRelativePaths) {
    const std::string uid = std::to_string(::getuid());
    struct Case {
        const char* what;
        bool sharedTrash;  // the volume has a .Trash folder ...
        bool sticky;       // ... with the sticky bit
        std::string trashBelowTop;
    };
    const Case cases[] = {
        {"no shared trash", false, false, ".Trash-" + uid + "/"},
        {"a shared trash with the sticky bit", true, true, ".Trash/" + uid + "/"},
        {"a shared trash anyone could have planted", true, false, ".Trash-" + uid + "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testenv::TempDir dir;
        const std::string top = dir.path + "vol2/";
        auto simulated = [&](const std::string& p) -> std::optional<TVolume> {
            if (!std::filesystem::exists(p)) return std::nullopt;
            if (p.rfind(top, 0) == 0) return TVolume{2, top};
            return TVolume{1, dir.path};
        };
        FreedesktopTrash trash(dir.path + "home/.local/share/", simulated);
        std::string file = dir.file("vol2/music/a b.mp3", "x");
        if (c.sharedTrash) {
            ASSERT_TRUE(common::makeDirectories(top + ".Trash"));
            ::chmod((top + ".Trash").c_str(), c.sticky ? 01777 : 0777);
        }
        platform::TTrashResult r = trash.MoveToTrash(file);
        ASSERT_TRUE(r.ok) << r.error;
        std::string used = top + c.trashBelowTop;
        EXPECT_EQ(r.trashedAs, used + "files/a b.mp3");
        EXPECT_EQ(decodedPath(infoOf(used, "a b.mp3")), "music/a b.mp3");
        EXPECT_FALSE(std::filesystem::exists(dir.path + "home/.local/share/Trash/files/a b.mp3"));
    }
}

TEST(Trash, AFileNoTrashCanTakeStaysWhereItIs) {
    testenv::TempDir dir;
    const std::string top = dir.path + "vol2/";
    auto simulated = [&](const std::string& p) -> std::optional<TVolume> {
        if (!std::filesystem::exists(p)) return std::nullopt;
        return p.rfind(top, 0) == 0 ? TVolume{2, top} : TVolume{1, dir.path};
    };
    FreedesktopTrash trash(dir.path + "home/", simulated);
    std::string file = dir.file("vol2/song.mp3", "keep me");
    // Whatever takes the trash's name, the file is not moved across volumes nor deleted.
    dir.file("vol2/.Trash-" + std::to_string(::getuid()), "not a folder");
    platform::TTrashResult r = trash.MoveToTrash(file);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(common::readFile(file), "keep me");
    EXPECT_FALSE(std::filesystem::exists(dir.path + "home/Trash/files/song.mp3"));

    platform::TTrashResult missing = trash.MoveToTrash(dir.path + "vol2/gone.mp3");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.empty());
}

}  // namespace
