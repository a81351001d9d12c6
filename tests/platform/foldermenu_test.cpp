#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "common/files.h"
#include "platform/linux/xdgfoldermenu.h"
#include "support/process.h"
#include "support/tempdir.h"

namespace {

using platform::TFolderMenuTexts;
using platform::XdgFolderMenu;

using testenv::shellQuote;

bool hasTool(const std::string& name) { return testenv::run("command -v " + name).status == 0; }

// Every path below a folder, folders with a trailing "/".
std::set<std::string> tree(const std::string& dir) {
    std::set<std::string> paths;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        paths.insert(e.path().string() + (e.is_directory() ? "/" : ""));
    return paths;
}

bool executable(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0111) == 0111;
}

// A home with a program whose path has the characters the files must quote;
// the program writes its arguments, one per line, to $ARGS_OUT.
struct Home {
    testenv::TempDir dir;
    std::string dataHome = dir.path + "data/";
    std::string program;
    std::string folder = dir.path + "My Music; 'live' $1/";
    explicit Home(const std::string& programDir = "bin $x 'q' \"d\" `b` 100% \\")
        : program(dir.path + programDir + "/orvelin"), menu(dataHome, program) {
        dir.file(programDir + "/orvelin", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$ARGS_OUT\"\n");
        ::chmod(program.c_str(), 0755);
        common::makeDirectories(folder);
        common::makeDirectories(dataHome);
    }
    XdgFolderMenu menu;
};

const TFolderMenuTexts kRussian{"Открыть в Orvelin", "Добавить в Orvelin"};
const TFolderMenuTexts kEnglish{"Open in Orvelin", "Add to Orvelin"};

TEST(XdgFolderMenu, WritesValidEntriesAndScriptsThatStartTheProgramWithTheFolder) {
    Home home;
    EXPECT_FALSE(home.menu.Registered());
    ASSERT_TRUE(home.menu.Register(kRussian));
    EXPECT_TRUE(home.menu.Registered());
    const std::string scripts = home.menu.ScriptsDir();
    for (const std::string& path : {home.menu.ApplicationEntryPath(), home.menu.ServiceMenuPath(),
                                    scripts + kRussian.Open, scripts + kRussian.Add}) {
        EXPECT_TRUE(common::fileExists(path)) << path;
        EXPECT_TRUE(executable(path)) << path;
    }
    auto entry = common::readFile(home.menu.ApplicationEntryPath());
    ASSERT_TRUE(entry);
    EXPECT_NE(entry->find("MimeType=inode/directory;"), std::string::npos);
    EXPECT_NE(entry->find("Name=Добавить в Orvelin"), std::string::npos);

    if (!hasTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    testenv::Output valid = testenv::run("desktop-file-validate " + shellQuote(home.menu.ApplicationEntryPath()));
    EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    // A service menu is KDE's own type, which the validator knows only as
    // "not an application": those two complaints and nothing else.
    testenv::Output service = testenv::run("desktop-file-validate " + shellQuote(home.menu.ServiceMenuPath()));
    const std::string out = service.out + service.err;
    std::string unexpected;
    for (size_t start = 0; start < out.size();) {
        size_t end = out.find('\n', start);
        std::string line = out.substr(start, end - start);
        start = end == std::string::npos ? out.size() : end + 1;
        bool typeOnly =
            line.find("the type is \"Service\"") != std::string::npos &&
            (line.find("key \"MimeType\"") != std::string::npos || line.find("key \"Actions\"") != std::string::npos);
        if (!line.empty() && !typeOnly) unexpected += line + "\n";
    }
    EXPECT_EQ(unexpected, "");

    // The scripts as Files runs them: the selection one path per line.
    const std::string args = home.dir.path + "args";
    for (auto [name, command] : {std::pair{kRussian.Open, "/Open"}, std::pair{kRussian.Add, "/Add"}}) {
        std::string selected =
            "NAUTILUS_SCRIPT_SELECTED_FILE_PATHS=" + shellQuote(home.folder + "\n" + home.dir.path + "\n");
        ASSERT_EQ(testenv::run(selected + " ARGS_OUT=" + shellQuote(args) + " " + shellQuote(scripts + name)).status, 0)
            << name;
        EXPECT_EQ(common::readFile(args).value_or(""), home.folder + "\n" + command + "\n") << name;
    }
}

TEST(XdgFolderMenu, TheApplicationEntryStartsTheProgramThroughALauncher) {
    if (!hasTool("gio")) GTEST_SKIP() << "gio is not installed";
    // Without "%": the entry writes it as "%%", as the format asks, but this
    // launcher looks for the program before it expands that.
    Home home("bin $x 'q' \"d\" `b` \\");
    ASSERT_TRUE(home.menu.Register(kEnglish));
    // The launcher leaves the program running on its own; it reports through
    // a pipe, which the read below waits for; its outputs go nowhere, so
    // that nothing it leaves running holds ours open.
    const std::string fifo = home.dir.path + "args.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(
        testenv::run("ARGS_OUT=" + shellQuote(fifo) + " gio launch " + shellQuote(home.menu.ApplicationEntryPath()) +
                     " " + shellQuote(home.folder) + " >/dev/null 2>&1")
            .status,
        0);
    int fd = ::open(fifo.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    std::string args;
    char buf[1024];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) args.append(buf, size_t(n));
    ::close(fd);
    std::string folder = home.folder.substr(0, home.folder.size() - 1);  // as a file manager hands it over
    EXPECT_TRUE(args == home.folder + "\n/Open\n" || args == folder + "\n/Open\n") << args;
}

TEST(XdgFolderMenu, RemovingLeavesTheDataFolderAsItWas) {
    Home home;
    // A data folder in use: another application's entry, an empty scripts folder.
    home.dir.file("data/applications/other.desktop", "[Desktop Entry]\n");
    common::makeDirectories(home.dataHome + "nautilus/scripts/");
    const auto before = tree(home.dir.path);

    ASSERT_TRUE(home.menu.Register(kRussian));
    // Another language: its scripts take the place of the first ones.
    ASSERT_TRUE(home.menu.Register(kEnglish));
    EXPECT_FALSE(common::fileExists(home.menu.ScriptsDir() + kRussian.Open));
    EXPECT_TRUE(common::fileExists(home.menu.ScriptsDir() + kEnglish.Add));
    ASSERT_TRUE(home.menu.Unregister());
    EXPECT_FALSE(home.menu.Registered());
    EXPECT_EQ(tree(home.dir.path), before);
    EXPECT_TRUE(home.menu.Unregister());  // nothing left to remove
}

TEST(XdgFolderMenu, APartThatCannotBeWrittenFailsAndTheRestIsStillRemovable) {
    Home home;
    home.dir.file("data/kio", "a file where a folder should be");
    const auto before = tree(home.dir.path);
    EXPECT_FALSE(home.menu.Register(kEnglish));
    EXPECT_TRUE(home.menu.Registered());
    EXPECT_TRUE(common::fileExists(home.menu.ApplicationEntryPath()));
    EXPECT_TRUE(common::fileExists(home.menu.ScriptsDir() + kEnglish.Open));
    ASSERT_TRUE(home.menu.Unregister());
    EXPECT_EQ(tree(home.dir.path), before);
}

TEST(XdgFolderMenu, AFileTheUserPutInPlaceOfOursStays) {
    Home home;
    ASSERT_TRUE(home.menu.Register(kEnglish));
    const std::string mine = home.dir.file("data/nautilus/scripts/" + kEnglish.Add, "#!/bin/sh\necho mine\n");
    ASSERT_TRUE(home.menu.Unregister());
    EXPECT_EQ(common::readFile(mine).value_or(""), "#!/bin/sh\necho mine\n");
    EXPECT_FALSE(common::fileExists(home.menu.ScriptsDir() + kEnglish.Open));
    EXPECT_FALSE(common::fileExists(home.menu.ApplicationEntryPath()));
}

TEST(XdgFolderMenu, WithoutADataFolderNothingIsWritten) {
    XdgFolderMenu menu("", "/usr/bin/orvelin");
    EXPECT_FALSE(menu.Register(kEnglish));
    EXPECT_FALSE(menu.Registered());
}

TEST(XdgFolderMenu, ScriptNamesComeFromTheTexts) {
    struct Case {
        const char* text;
        const char* name;
    };
    for (const Case& c :
         {Case{"Open in Orvelin", "Open in Orvelin"}, Case{"AC/DC ", "AC-DC"}, Case{"..hidden", "hidden"},
          Case{"a\tb", "a b"}, Case{" . ", "fallback"}, Case{"", "fallback"}})
        EXPECT_EQ(platform::xdg::ScriptName(c.text, "fallback"), c.name) << c.text;
}

}  // namespace
