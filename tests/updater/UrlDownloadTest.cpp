// URL downloads: whole transfers only, progress reports, and no partial or clobbered file on failure.
#include "platform/UrlDownload.h"

#include "tests/support/TempFolder.h"
#include "tests/updater/HttpTestServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pellmar {
namespace {

namespace fs = std::filesystem;

std::size_t EntriesIn(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A loopback port with nothing listening on it.
int ClosedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

class UrlDownloadTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    test::HttpTestServer server;
};

TEST_F(UrlDownloadTest, WholeTransferLandsAndProgressReachesTheTotal) {
    std::string body(300000, 'b');
    body[12345] = 'x';
    server.Serve("/files/big.bin", body);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> reports;
    ASSERT_TRUE(platform::DownloadUrlToFile(server.BaseUrl() + "/files/big.bin", folder / "big.bin",
                                            [&](std::uint32_t now, std::uint32_t total) { reports.emplace_back(now, total); }));
    EXPECT_EQ(test::ReadFile(folder / "big.bin"), body);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), std::make_pair(std::uint32_t(300000), std::uint32_t(300000)));
    for (std::size_t i = 1; i < reports.size(); ++i) EXPECT_GE(reports[i].first, reports[i - 1].first);

    server.Serve("/files/big.bin", "replaced");
    ASSERT_TRUE(platform::DownloadUrlToFile(server.BaseUrl() + "/files/big.bin", folder / "big.bin"));
    EXPECT_EQ(test::ReadFile(folder / "big.bin"), "replaced");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST_F(UrlDownloadTest, FailuresLeaveNoPartialFileAndKeepAnExistingOne) {
    test::WriteFile(folder / "keep.ini", "old");
    EXPECT_FALSE(platform::DownloadUrlToFile(server.BaseUrl() + "/missing", folder / "keep.ini"));
    EXPECT_EQ(test::ReadFile(folder / "keep.ini"), "old");

    server.ServeTruncated("/cut", std::string(100000, 'c'));
    EXPECT_FALSE(platform::DownloadUrlToFile(server.BaseUrl() + "/cut", folder / "cut.bin"));
    EXPECT_FALSE(platform::DownloadUrlToFile("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x", folder / "x"));
    EXPECT_FALSE(platform::DownloadUrlToFile("not a url", folder / "y"));
    EXPECT_FALSE(platform::DownloadUrlToFile("file:///etc/hostname", folder / "z"));  // http and https only
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);

    server.Serve("/ok", "ok");
    EXPECT_FALSE(platform::DownloadUrlToFile(server.BaseUrl() + "/ok", folder / "no-such-folder/ok"));
}

TEST_F(UrlDownloadTest, BodyOverTheCapFailsWhetherItsLengthIsAnnouncedOrNot) {
    std::string body(100000, 'c');
    server.Serve("/announced", body);
    server.ServeUnannounced("/unannounced", body);
    for (const char* path : {"/announced", "/unannounced"}) {
        EXPECT_FALSE(platform::DownloadUrlToFile(server.BaseUrl() + path, folder / "f", {}, body.size() - 1)) << path;
        EXPECT_EQ(EntriesIn(folder.Path()), 0u);
        EXPECT_TRUE(platform::DownloadUrlToFile(server.BaseUrl() + path, folder / "f", {}, body.size())) << path;
        EXPECT_EQ(test::ReadFile(folder / "f"), body);
        fs::remove(folder / "f");
    }
}

}  // namespace
}  // namespace pellmar
