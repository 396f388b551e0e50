// A provider cannot corrupt the read: whatever it leaves in the request, only well-formed
// results within the capacity and the text limit are taken.
#include <gtest/gtest.h>

#include <cstring>

#include "reading/providers/DescriptionProviders.h"

namespace shelfmark {
namespace {

// Runs `fill` as the describe command of a one-extension provider and returns the answer.
ProviderAnswer DescribeWith(std::function<void(ProviderRequest&)> fill, uint32_t textSizeMax = 1) {
    DescriptionProviders providers;
    providers.addProvider("hvsm_test.so", [fill](ProviderRequest* request) {
        if (request->command == SHELFMARK_COMMAND_QUERY) {
            std::strcpy(request->u.query.buffer, ".tst");
            return 1;
        }
        if (request->command != SHELFMARK_COMMAND_DESCRIBE)
            return 0;
        fill(*request);
        return 1;
    });
    providers.setTextSizeMax(textSizeMax);
    providers.activateExtensions("tst");
    const DescriptionProvider* row = providers.providerFor("tst");
    EXPECT_NE(row, nullptr);
    return providers.describe(*row, "/tmp/file.tst", 64);
}

void SetText(ResultEntry& entry, uint8_t key, const char* text) {
    entry.key = key;
    std::strcpy(entry.text, text);
    entry.textLength = static_cast<uint32_t>(std::strlen(text));
}

TEST(ResultIntake, TextAndNumberResultsAreTaken) {
    const ProviderAnswer answer = DescribeWith([](ProviderRequest& request) {
        auto& d = request.u.describe;
        EXPECT_EQ(d.capacity, 16u);
        EXPECT_EQ(d.maxTextLength, 1024u);
        EXPECT_EQ(d.layout, SHELFMARK_DESCRIBE_LAYOUT);
        EXPECT_STREQ(d.path, "/tmp/file.tst");
        SetText(d.results[0], 0x85, "Bands and more");
        d.results[0].textLength = 5;  // only the first five bytes count
        d.results[1].key = 0x4B;
        d.results[1].value = 640;
        d.count = 2;
    });
    ASSERT_TRUE(answer.answered);
    ASSERT_EQ(answer.results.size(), 2u);
    EXPECT_EQ(answer.results[0], (ProviderResult{0x85, 0, "Bands"}));
    EXPECT_EQ(answer.results[1], (ProviderResult{0x4B, 640, ""}));
}

TEST(ResultIntake, KeysOutsideNumbersAndTextsAreIgnored) {
    const ProviderAnswer answer = DescribeWith([](ProviderRequest& request) {
        auto& d = request.u.describe;
        d.results[0].key = 0x20;  // transient
        d.results[0].value = 7;
        SetText(d.results[1], 0xC5, "block");
        d.results[2].key = 0x3F;
        d.results[3].key = 0xC0;
        SetText(d.results[4], 0xBF, "last text key");
        d.results[5].key = 0x40;
        d.results[5].value = 1;
        d.count = 6;
    });
    ASSERT_EQ(answer.results.size(), 2u);
    EXPECT_EQ(answer.results[0].key, 0xBF);
    EXPECT_EQ(answer.results[1].key, 0x40);
}

TEST(ResultIntake, CountBeyondTheCapacityIsCut) {
    const ProviderAnswer answer = DescribeWith([](ProviderRequest& request) {
        auto& d = request.u.describe;
        for (uint32_t i = 0; i < d.capacity; ++i) {
            d.results[i].key = 0x4A;
            d.results[i].value = i + 1;
        }
        d.count = 0xFFFFFFFF;
    });
    ASSERT_EQ(answer.results.size(), 16u);
    EXPECT_EQ(answer.results.back().value, 16u);
}

TEST(ResultIntake, OverlongNullAndForeignTextsAreIgnored) {
    static char foreign[] = "not the caller's buffer";
    const ProviderAnswer answer = DescribeWith([](ProviderRequest& request) {
        auto& d = request.u.describe;
        SetText(d.results[0], 0x80, "fine");
        d.results[1].key = 0x80;
        d.results[1].textLength = d.maxTextLength + 1;
        d.results[2].key = 0x81;
        d.results[2].text = nullptr;
        d.results[2].textLength = 10;
        d.results[3].key = 0x82;
        d.results[3].text = foreign;
        d.results[3].textLength = 5;
        d.results[4].key = 0x83;
        d.results[4].textLength = 0;  // an empty text is a result: it removes the attribute
        d.count = 5;
    });
    ASSERT_EQ(answer.results.size(), 2u);
    EXPECT_EQ(answer.results[0], (ProviderResult{0x80, 0, "fine"}));
    EXPECT_EQ(answer.results[1], (ProviderResult{0x83, 0, ""}));
}

TEST(ResultIntake, AMovedResultArrayIsNotRead) {
    static ResultEntry own[2]{};
    const ProviderAnswer answer = DescribeWith([](ProviderRequest& request) {
        auto& d = request.u.describe;
        own[0].key = 0x4A;
        own[0].value = 3;
        d.results = own;
        d.count = 1;
    });
    EXPECT_TRUE(answer.results.empty());  // the caller's own entry stayed reset (key 0)
}

TEST(ResultIntake, EntriesAreResetBetweenFiles) {
    DescriptionProviders providers;
    int calls = 0;
    providers.addProvider("hvsm_test.so", [&calls](ProviderRequest* request) {
        if (request->command == SHELFMARK_COMMAND_QUERY) {
            std::strcpy(request->u.query.buffer, ".tst");
            return 1;
        }
        auto& d = request->u.describe;
        if (calls++ == 0) {
            SetText(d.results[0], 0x80, "first file");
            d.count = 1;
        } else {
            EXPECT_EQ(d.results[0].key, 0);
            EXPECT_EQ(d.results[0].textLength, 0u);
            EXPECT_EQ(d.results[0].text[0], '\0');
            d.count = 1;  // counts an entry it did not fill
        }
        return 1;
    });
    providers.activateExtensions("all");
    const DescriptionProvider* row = providers.providerFor("tst");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(providers.describe(*row, "a.tst", 64).results.size(), 1u);
    EXPECT_TRUE(providers.describe(*row, "b.tst", 64).results.empty());
}

struct TestImage {
    ProviderImage image{};
    std::vector<uint32_t> pixels;
    int* released = nullptr;
};

void ReleaseTestImage(ProviderImage* image) {
    auto* owner = reinterpret_cast<TestImage*>(image);
    ++*owner->released;
}

TEST(ResultIntake, ImagesAreCheckedCopiedAndReleased) {
    int released = 0;
    TestImage good;
    good.pixels.assign(6 * 2, 0xFF102030);
    good.pixels[6] = 0xFFABCDEF;
    good.image = {3, 2, 6 * 4, 0, good.pixels.data(), ReleaseTestImage};  // rows 6 pixels apart
    good.released = &released;
    auto bitmap = TakeProviderImage(&good.image);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 3u);
    EXPECT_EQ(bitmap->height, 2u);
    EXPECT_EQ(bitmap->at(0, 1), 0xFFABCDEFu);
    EXPECT_EQ(released, 1);

    TestImage narrow = good;
    narrow.image.stride = 8;  // shorter than a row of 3 pixels
    EXPECT_FALSE(TakeProviderImage(&narrow.image));
    TestImage empty = good;
    empty.image.pixels = nullptr;
    EXPECT_FALSE(TakeProviderImage(&empty.image));
    TestImage huge = good;
    huge.image.height = 100000;
    EXPECT_FALSE(TakeProviderImage(&huge.image));
    EXPECT_EQ(released, 4);  // rejected images are given back too
    EXPECT_FALSE(TakeProviderImage(nullptr));
}

TEST(ResultIntake, AnImageOfAFailedDescribeIsReleased) {
    static int released = 0;
    static TestImage image;
    image.pixels.assign(4, 0);
    image.image = {2, 2, 8, 0, image.pixels.data(), ReleaseTestImage};
    image.released = &released;
    DescriptionProviders providers;
    providers.addProvider("hvsm_test.so", [](ProviderRequest* request) {
        if (request->command == SHELFMARK_COMMAND_QUERY) {
            std::strcpy(request->u.query.buffer, ".tst");
            return 1;
        }
        request->u.describe.bitmap = &image.image;
        return 0;
    });
    providers.activateExtensions("all");
    const ProviderAnswer answer = providers.describe(*providers.providerFor("tst"), "x.tst", 64);
    EXPECT_FALSE(answer.answered);
    EXPECT_FALSE(answer.bitmap);
    EXPECT_EQ(released, 1);
}

}  // namespace
}  // namespace shelfmark
