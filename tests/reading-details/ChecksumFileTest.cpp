// File checksums against zlib, md5sum and openssl on real files, and the failure and cancel
// paths.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <random>
#include <thread>

#include "reading/details/Checksums.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    return data;
}

uint32_t ZlibCrc(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// The first word of a tool's output line ("<hex>  file" or "<hex> *file").
std::string ToolDigest(const std::string& command, const std::filesystem::path& file) {
    const auto result = testing::RunCommand(command + " " + testing::ShellQuote(file.string()));
    if (result.exitCode != 0)
        return "(" + command + " failed)";
    return result.out.substr(0, result.out.find(' '));
}

class ChecksumFileTest : public ::testing::Test {
  protected:
    testing::TempDir dir_;
    CancelFlag notCancelled_;
};

TEST_F(ChecksumFileTest, SizesAroundTheBlockBoundaryAgreeWithZlibAndMd5sum) {
    SHELFMARK_REQUIRE_PROGRAM("md5sum");
    for (size_t size : {0u, 1u, 65535u, 65536u, 65537u, 131072u, 3u * 65536u + 17u}) {
        const std::string data = RandomBytes(size, static_cast<unsigned>(size));
        const auto file = dir_ / ("f" + std::to_string(size));
        testing::WriteFile(file, data);
        EXPECT_EQ(Crc32File(file.string(), notCancelled_), ZlibCrc(data)) << size;
        const auto md5 = Md5File(file.string(), notCancelled_);
        ASSERT_TRUE(md5.has_value()) << size;
        EXPECT_EQ(*md5, ToolDigest("md5sum", file)) << size;
    }
}

TEST_F(ChecksumFileTest, LargeFileAgreesWithZlibAndOpenssl) {
    SHELFMARK_REQUIRE_PROGRAM("openssl");
    const std::string data = RandomBytes(40 * 1024 * 1024 + 12345, 99);
    const auto file = dir_ / "large";
    testing::WriteFile(file, data);
    EXPECT_EQ(Crc32File(file.string(), notCancelled_), ZlibCrc(data));
    const auto openssl =
        testing::RunCommand("openssl dgst -md5 -r " + testing::ShellQuote(file.string()));
    ASSERT_EQ(openssl.exitCode, 0);
    EXPECT_EQ(Md5File(file.string(), notCancelled_).value_or(""),
              openssl.out.substr(0, openssl.out.find(' ')));
}

TEST_F(ChecksumFileTest, EmptyFileGivesZeroAndTheMd5OfNothing) {
    const auto file = dir_ / "empty";
    testing::WriteFile(file, "");
    EXPECT_EQ(Crc32File(file.string(), notCancelled_), 0u);
    EXPECT_EQ(Md5File(file.string(), notCancelled_).value_or(""),
              "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_F(ChecksumFileTest, BothInOnePassMatchTheSingleChecksums) {
    const std::string data = RandomBytes(200001, 5);
    const auto file = dir_ / "both";
    testing::WriteFile(file, data);
    DigestContext context;
    const FileChecksums both = ChecksumFile(file.string(), notCancelled_, true, true, &context);
    EXPECT_EQ(both.crc32, ZlibCrc(data));
    EXPECT_EQ(both.md5, Md5File(file.string(), notCancelled_, &context));
    const FileChecksums none = ChecksumFile(file.string(), notCancelled_, false, false);
    EXPECT_FALSE(none.crc32.has_value());
    EXPECT_FALSE(none.md5.has_value());
}

TEST_F(ChecksumFileTest, MissingFileGivesNothing) {
    const std::string missing = (dir_ / "missing").string();
    EXPECT_EQ(Crc32File(missing, notCancelled_), 0u);
    EXPECT_FALSE(Md5File(missing, notCancelled_).has_value());
}

TEST_F(ChecksumFileTest, ReadErrorGivesNothing) {
    // A directory opens for reading but every read fails.
    EXPECT_EQ(Crc32File(dir_.path().string(), notCancelled_), 0u);
    EXPECT_FALSE(Md5File(dir_.path().string(), notCancelled_).has_value());
}

TEST_F(ChecksumFileTest, UnreadableFileGivesNothing) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const auto file = dir_ / "secret";
    testing::WriteFile(file, "data");
    ::chmod(file.c_str(), 0);
    EXPECT_EQ(Crc32File(file.string(), notCancelled_), 0u);
    EXPECT_FALSE(Md5File(file.string(), notCancelled_).has_value());
}

// Why there is no checksum: the system's error for a file that cannot be opened or read, none
// for a cancel or a file that was read.
TEST_F(ChecksumFileTest, AFailureCarriesTheSystemsError) {
    EXPECT_EQ(ChecksumFile((dir_ / "missing").string(), notCancelled_, true, true).error, ENOENT);
    const FileChecksums directory = ChecksumFile(dir_.path().string(), notCancelled_, true, false);
    EXPECT_EQ(directory.error, EISDIR);
    EXPECT_FALSE(directory.crc32);
    const auto file = dir_ / "data";
    testing::WriteFile(file, "data");
    EXPECT_EQ(ChecksumFile(file.string(), notCancelled_, true, true).error, 0);
    CancelFlag cancel;
    cancel.request();
    EXPECT_EQ(ChecksumFile(file.string(), cancel, true, true).error, 0);
}

TEST_F(ChecksumFileTest, CancelledBeforeStartGivesNothing) {
    const auto file = dir_ / "data";
    testing::WriteFile(file, RandomBytes(1000, 1));
    CancelFlag cancel;
    cancel.request();
    EXPECT_EQ(Crc32File(file.string(), cancel), 0u);
    EXPECT_FALSE(Md5File(file.string(), cancel).has_value());
}

// The checksum reads from a pipe whose writer sends two blocks, raises the cancel flag after
// the first, and then keeps the pipe open. A routine that tests the flag between blocks
// returns while the pipe is still open; one that reads on to the end would only get there
// when the writer gives up waiting.
TEST_F(ChecksumFileTest, CancelStopsBetweenBlocks) {
    const auto fifo = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::signal(SIGPIPE, SIG_IGN);
    for (const bool md5 : {false, true}) {
        CancelFlag cancel;
        std::mutex mutex;
        std::condition_variable readerDone;
        bool done = false;
        std::atomic<bool> writerGaveUp{false};
        std::thread writer([&] {
            const int fd = ::open(fifo.c_str(), O_WRONLY);
            ASSERT_GE(fd, 0);
            const std::string block(kChecksumBlockSize, 'x');
            ASSERT_EQ(::write(fd, block.data(), block.size()), static_cast<ssize_t>(block.size()));
            cancel.request();
            // Fails with EPIPE when the reader has already stopped, which is fine.
            [[maybe_unused]] const ssize_t second = ::write(fd, block.data(), block.size());
            std::unique_lock lock(mutex);
            if (!readerDone.wait_for(lock, std::chrono::seconds(20), [&] { return done; }))
                writerGaveUp = true;
            lock.unlock();
            ::close(fd);
        });
        const FileChecksums result = ChecksumFile(fifo.string(), cancel, !md5, md5);
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        readerDone.notify_all();
        writer.join();
        EXPECT_FALSE(result.crc32.has_value());
        EXPECT_FALSE(result.md5.has_value());
        EXPECT_FALSE(writerGaveUp) << "the checksum read on past the cancel";
    }
}

}  // namespace
}  // namespace shelfmark
