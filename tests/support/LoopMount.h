// A small ext2 volume for tests that need a real mounted medium: an image file made with
// mkfs.ext2 under a fresh UUID, mounted through a loop device. Mounting needs privileges; where
// the machine refuses, mounted() is false and why() says what failed, for a skip message.
#pragma once

#include <sys/mount.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "tests/support/TestSupport.h"

namespace shelfmark::testing {

class LoopMount {
  public:
    // Image and mount point go into `dir`, named after `name`.
    LoopMount(const std::filesystem::path& dir, const std::string& name, const std::string& label)
        : image_(dir / (name + ".img")), mountPoint_(dir / name), uuid_(RandomUuid()) {
        std::filesystem::create_directories(mountPoint_);
        if (!HaveProgram("mkfs.ext2")) {
            why_ = "mkfs.ext2 is not installed";
            return;
        }
        const std::string image = ShellQuote(image_.string());
        if (RunCommand("truncate -s 4M " + image + " && mkfs.ext2 -q -F -L " + ShellQuote(label) +
                       " -U " + uuid_ + " " + image + " >/dev/null 2>&1")
                .exitCode != 0) {
            why_ = "mkfs.ext2 failed";
            return;
        }
        if (RunCommand("mount -o loop " + image + " " + ShellQuote(mountPoint_.string()) +
                       " >/dev/null 2>&1")
                .exitCode != 0) {
            why_ = "cannot mount a loop device here (needs privileges and ext2 support)";
            return;
        }
        mounted_ = true;
    }
    ~LoopMount() { unmount(); }
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    const std::filesystem::path& mountPoint() const { return mountPoint_; }
    const std::filesystem::path& image() const { return image_; }
    // The file system's UUID as mkfs.ext2 was told it.
    const std::string& uuid() const { return uuid_; }

    void unmount() {
        if (mounted_ && ::umount2(mountPoint_.c_str(), MNT_DETACH) == 0)
            mounted_ = false;
    }

  private:
    static std::string RandomUuid() {
        std::random_device random;
        char text[40];
        std::snprintf(text, sizeof text, "%08x-%04x-4%03x-8%03x-%04x%08x", random(),
                      random() & 0xFFFF, random() & 0xFFF, random() & 0xFFF, random() & 0xFFFF,
                      random());
        return text;
    }

    std::filesystem::path image_;
    std::filesystem::path mountPoint_;
    std::string uuid_;
    std::string why_;
    bool mounted_ = false;
};

}  // namespace shelfmark::testing

// Skips the current test with the reason when the volume could not be mounted.
#define SHELFMARK_REQUIRE_MOUNT(loop)     \
    do {                                  \
        if (!(loop).mounted())            \
            GTEST_SKIP() << (loop).why(); \
    } while (0)
