// URLDownloadToFileW with the progress observer against a loopback server: the file arrives whole
// with progress reported, an HTTP error leaves no file and keeps an existing one, and only http and
// https are fetched; a body over the size limit is refused like an error.
#include "platform/UrlDownload.h"
#include "tests/support/TempFolder.h"
#include "tests/win32/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pellmar::platform {
namespace {

TEST(UrlDownload, FetchesWholeWithProgressAndFailsCleanlyOnHttpErrors) {
    test::LoopbackHttpServer server;
    test::TempFolder folder;
    const std::string body(200000, 'u');
    server.Serve("/updates/file.bin", body);

    std::uint32_t lastProgress = 0;
    std::uint32_t lastMax = 0;
    const std::string target = folder / "file.bin";
    ASSERT_TRUE(DownloadUrlToFile(server.BaseUrl() + "/updates/file.bin", target,
                                  [&](std::uint32_t progress, std::uint32_t max) {
                                      lastProgress = progress;
                                      lastMax = max;
                                  }));
    EXPECT_EQ(test::ReadFile(target), body);
    EXPECT_EQ(lastProgress, body.size());
    EXPECT_EQ(lastMax, body.size());

    EXPECT_FALSE(DownloadUrlToFile(server.BaseUrl() + "/updates/missing.bin", folder / "missing.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "missing.bin"));
    EXPECT_FALSE(DownloadUrlToFile(server.BaseUrl() + "/updates/missing.bin", target));
    EXPECT_EQ(test::ReadFile(target), body);

    EXPECT_FALSE(DownloadUrlToFile("file:///" + target, folder / "copy.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "copy.bin"));
    // Nothing of the failed transfers is left beside the targets.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(UrlDownload, ABodyOverTheLimitIsRefusedAndKeepsTheExistingFile) {
    test::LoopbackHttpServer server;
    test::TempFolder folder;
    server.Serve("/updates/big.bin", std::string(200000, 'b'));
    const std::string target = folder / "big.bin";
    test::WriteFile(target, "kept");
    EXPECT_FALSE(DownloadUrlToFile(server.BaseUrl() + "/updates/big.bin", target, {}, 1000));
    EXPECT_EQ(test::ReadFile(target), "kept");
    EXPECT_TRUE(DownloadUrlToFile(server.BaseUrl() + "/updates/big.bin", target, {}, 200000));
    EXPECT_EQ(test::ReadFile(target).size(), 200000u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace pellmar::platform
