#include "session/data_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 0777;
}

TEST(DataDirectory, PortableWhenTheOptionsFileSitsBesideTheProgram) {
    test::TempDir exe, config;
    test::writeFile(exe.path() / "options.ftp", "[Common]\n");
    EXPECT_EQ(chooseDataDirectory(exe.path(), config.path().string(), "/nonexistent"), exe.path());
    EXPECT_FALSE(fs::exists(config.path() / "quayside")) << "nothing is created elsewhere";
}

TEST(DataDirectory, OtherwiseAPrivateDirectoryUnderTheConfigHome) {
    test::TempDir exe, config, home;
    fs::create_directory(exe.path() / "options.ftp");  // a directory of that name does not count
    const fs::path dir = chooseDataDirectory(exe.path(), config.path().string(), "/nonexistent");
    EXPECT_EQ(dir, config.path() / "quayside");
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(modeOf(dir), 0700u);

    // A relative or empty XDG_CONFIG_HOME is ignored in favour of ~/.config, made as needed.
    for (const std::string xdg : {"relative/dir", ""}) {
        const fs::path fallback = chooseDataDirectory(exe.path(), xdg, home.path().string());
        EXPECT_EQ(fallback, home.path() / ".config" / "quayside") << xdg;
        EXPECT_EQ(modeOf(fallback), 0700u);
    }
}

TEST(DataDirectory, AnExistingDirectoryKeepsItsContentsAndAnUncreatableOneIsStillNamed) {
    test::TempDir exe, config;
    fs::create_directory(config.path() / "quayside");
    test::writeFile(config.path() / "quayside" / "ftplist.TXT", "kept");
    const fs::path dir = chooseDataDirectory(exe.path(), config.path().string(), "");
    EXPECT_EQ(test::readFile(dir / "ftplist.TXT"), "kept");

    // A file where the config home should be: nothing can be created, nothing throws.
    test::writeFile(config.path() / "blocked", "x");
    const fs::path blocked = config.path() / "blocked";
    EXPECT_EQ(chooseDataDirectory(exe.path(), blocked.string(), ""), blocked / "quayside");
    EXPECT_FALSE(fs::exists(blocked / "quayside"));
}

}  // namespace
}  // namespace quay
