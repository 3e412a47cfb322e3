// The settings file rewrite on Linux: a symlinked file stays a link to the file it names, the
// file keeps its permission bits, and a rewrite that cannot finish leaves the old file as it was.
#include "platform/UserSettings.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

namespace pellmar {
namespace {

namespace fs = std::filesystem;

std::size_t EntryCount(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
    return count;
}

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(0, stat(path.c_str(), &info)) << path;
    return info.st_mode & 07777;
}

class UserSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("XDG_CONFIG_HOME", config.Path());
        fs::create_directories(folder);
    }
    test::TempFolder config;
    test::ScopedEnvironment env;
    std::string folder = config / "Quenmarsh";
    std::string conf = folder + "/Pellmar.conf";
};

TEST_F(UserSettingsTest, ASymlinkedFileStaysALinkAndItsTargetKeepsItsPermissions) {
    fs::create_directories(config / "dotfiles");
    const std::string target = config / "dotfiles/pellmar.conf";
    test::WriteFile(target, "Other=kept\n");
    ASSERT_EQ(0, chmod(target.c_str(), 0640));
    fs::create_symlink("hop", conf);  // a chain of two links, both relative
    fs::create_symlink("../dotfiles/pellmar.conf", folder + "/hop");

    auto settings = platform::UserSettings::Open();
    ASSERT_NE(nullptr, settings);
    ASSERT_TRUE(settings->WriteText("DataPath", "/data"));
    ASSERT_TRUE(settings->WriteText("DataPath", "/data2"));

    EXPECT_TRUE(fs::is_symlink(conf));
    EXPECT_EQ("hop", fs::read_symlink(conf).string());
    EXPECT_EQ("Other=kept\nDataPath=/data2\n", test::ReadFile(target));
    EXPECT_EQ(0640u, ModeOf(target));
    EXPECT_EQ("/data2", settings->ReadText("DataPath"));
    EXPECT_EQ(2u, EntryCount(folder));                  // no temporary beside the links
    EXPECT_EQ(1u, EntryCount(config / "dotfiles"));     // nor beside the target
}

TEST_F(UserSettingsTest, APlainFileKeepsItsModeAndAStaleTemporaryNameDoesNotBlockTheRewrite) {
    test::WriteFile(conf, "DataPath=/old\n");
    ASSERT_EQ(0, chmod(conf.c_str(), 0604));
    fs::create_directory(conf + ".tmp");  // squatting on the name an earlier rewrite used

    auto settings = platform::UserSettings::Open();
    ASSERT_NE(nullptr, settings);
    ASSERT_TRUE(settings->WriteText("TempFilePath", "/tmp files"));

    EXPECT_EQ("DataPath=/old\nTempFilePath=/tmp files\n", test::ReadFile(conf));
    EXPECT_EQ(0604u, ModeOf(conf));
    EXPECT_EQ(2u, EntryCount(folder));
}

// The file-size limit binds root as well, so it makes the write fail however the test runs.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(UserSettingsTest, ARewriteThatCannotBeWrittenWholeLeavesTheOldFile) {
    test::WriteFile(conf, "DataPath=/old\n");
    auto settings = platform::UserSettings::Open();
    ASSERT_NE(nullptr, settings);
    bool written = true;
    {
        ScopedFileSizeLimit limit(32);
        written = settings->WriteText("TempFilePath", std::string(100, 'x'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ("DataPath=/old\n", test::ReadFile(conf));
    EXPECT_EQ(1u, EntryCount(folder));
}

}  // namespace
}  // namespace pellmar
