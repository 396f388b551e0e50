// A process that saves over and over is killed at random moments; the catalog file must always
// load, with either the old or the new content, never damaged.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

// A catalog of `items` files whose names carry the generation number.
void BuildGeneration(CatalogTree& tree, int generation, int items) {
    CatalogItem* root = tree.resetToNewCatalog();
    tree.setNumberAttribute(root, 0x7F, uint32_t(generation));
    CatalogItem* disk = tree.createItem("disk", root, Last, DiskFlags(MediaType::HardDisk));
    for (int i = 0; i < items; ++i) {
        CatalogItem* file = tree.createItem(
            "generation " + std::to_string(generation) + " file " + std::to_string(i), disk, First,
            0);
        tree.setSize(file, uint64_t(i) * 1000);
    }
}

TEST(KillDuringSave, FileAlwaysLoads) {
    testing::TempDir dir;
    const std::string path = (dir / "c.tkd").string();
    {
        CatalogTree tree;
        BuildGeneration(tree, 0, 20000);
        ASSERT_TRUE(SaveCatalogTo(path, tree));
    }
    std::mt19937 random(12345);
    int generationsSeen = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CatalogTree tree;
            for (int generation = 1;; ++generation) {
                BuildGeneration(tree, generation, 20000 + generation % 7);
                if (!SaveCatalogTo(path, tree))
                    _exit(3);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process stopped by itself";

        CatalogTree loaded;
        SilentPrompter prompter;
        const CatalogReadResult result = ReadCatalogFile(path, loaded, prompter);
        ASSERT_TRUE(result.ok()) << "round " << round;
        const uint32_t generation = loaded.root()->numberAttribute(0x7F).value_or(9999);
        const CatalogItem* disk = loaded.root()->firstChild();
        ASSERT_NE(disk, nullptr);
        // The whole of one generation: its count and the names that carry its number.
        EXPECT_EQ(loaded.countItems(disk),
                  uint64_t(generation == 0 ? 20000 : 20000 + generation % 7));
        EXPECT_EQ(disk->firstChild()->name().substr(0, 11 + std::to_string(generation).size()),
                  "generation " + std::to_string(generation));
        generationsSeen += generation > 0;
    }
    EXPECT_GT(generationsSeen, 0) << "no save ever completed";
}

}  // namespace
}  // namespace shelfmark
