/*
 * Shelfmark description plug-ins.
 *
 * A plug-in is a shared object named "hvsm_<something>.so" that exports one C function,
 *
 *     int HVSMPluginCommand(ProviderRequest* request);
 *
 * Shelfmark looks for plug-ins in <prefix>/lib/shelfmark/plugins, in the "plugins" folder of its
 * configuration directory (~/.config/shelfmark/plugins), and in the folders listed in the
 * environment variable SHELFMARK_PLUGIN_PATH (separated by ":"). The function answers nonzero
 * for success or "yes" and 0 otherwise.
 *
 * Commands (request->command):
 *   1 query         write the offered extensions into query.buffer as one text, each extension
 *                   preceded by "." (".jpg.png"), within query.bufferSize bytes, terminator
 *                   included. extensionIndex is 0xFFFF.
 *   2 capabilities  set capabilities.flags: bit 0 when the extension (extensionIndex, the
 *                   position in the query text from 0) has options to configure, bit 1 when the
 *                   plug-in can make a thumbnail for such files.
 *   3 configure     show the extension's options (the desktop program only).
 *   4 describe      describe the file describe.path: fill at most describe.capacity entries of
 *                   describe.results, counting describe.count up, and optionally return a
 *                   thumbnail image in describe.bitmap.
 *   5 about         show information about the plug-in. extensionIndex is 0xFFFF.
 *
 * Describing a file: every entry's text points at a buffer of describe.maxTextLength + 1 bytes
 * owned by Shelfmark; copy the text into it (at most maxTextLength bytes) and set textLength.
 * Keys 0x40-0x7F store `value` as a number, keys 0x80-0xBF store the text; a number of 0 or a
 * text of length 0 removes the item's value. Shelfmark checks every entry before it uses it:
 * entries beyond the capacity, keys outside 0x40-0xBF, texts longer than the maximum and texts
 * whose pointer is not the buffer Shelfmark gave (a null text included) are ignored. The array
 * and the buffers are reused from file to file: set every field you rely on.
 *
 * Thumbnails: set describe.bitmap to an image the plug-in allocated; Shelfmark calls its
 * release function once it is done with it (also when it rejects the image). Pixels are 32-bit
 * values 0xAARRGGBB (in memory B, G, R, A on little-endian machines), rows from the top, `stride`
 * bytes apart. Shelfmark scales the image to the thumbnail edge itself, so the plug-in may hand
 * over a larger one.
 *
 * A plug-in runs inside the reading process: one that crashes takes the program down with it.
 * Command 4 runs on the read thread, one file at a time; the others on the program's main
 * thread, never at the same time as command 4.
 *
 * Layout: the fields keep the order of the original 32-bit request block; on 64-bit Linux the
 * addresses are pointer-sized and every field sits at its natural alignment. The offsets below
 * are checked by static assertions (x86-64 / AArch64, LP64).
 */
#ifndef SHELFMARK_PLUGIN_H
#define SHELFMARK_PLUGIN_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SHELFMARK_COMMAND_QUERY 1
#define SHELFMARK_COMMAND_CAPABILITIES 2
#define SHELFMARK_COMMAND_CONFIGURE 3
#define SHELFMARK_COMMAND_DESCRIBE 4
#define SHELFMARK_COMMAND_ABOUT 5

#define SHELFMARK_NO_EXTENSION 0xFFFF
#define SHELFMARK_QUERY_BUFFER_SIZE 0x4000
#define SHELFMARK_DESCRIBE_LAYOUT 3
#define SHELFMARK_CAN_CONFIGURE 1
#define SHELFMARK_CAN_THUMBNAIL 2

/* A thumbnail image handed from the plug-in to Shelfmark (32 bytes). */
typedef struct ProviderImage {
    uint32_t width;    /* 0 */
    uint32_t height;   /* 4 */
    uint32_t stride;   /* 8: bytes from one row to the next, at least 4 * width */
    uint32_t reserved; /* 12: 0 */
    uint32_t* pixels;  /* 16: 0xAARRGGBB, top row first */
    void (*release)(struct ProviderImage* image); /* 24: frees the image and its pixels */
} ProviderImage;

/* One result of command 4 (24 bytes). */
typedef struct ResultEntry {
    uint8_t key;         /* 0: attribute key */
    uint32_t value;      /* 4: number value (keys 0x40-0x7F) */
    char* text;          /* 8: Shelfmark's buffer, maxTextLength + 1 bytes */
    uint32_t textLength; /* 16: text length in bytes (keys 0x80-0xBF) */
} ResultEntry;

typedef struct ProviderRequest {
    uint16_t command;        /* 0 */
    uintptr_t window;        /* 8: the calling window, 0 when none */
    uint16_t extensionIndex; /* 16 */
    union {                  /* 24 */
        struct {
            char* buffer;        /* 24: emptied by the caller */
            uint32_t bufferSize; /* 32: SHELFMARK_QUERY_BUFFER_SIZE */
        } query;
        struct {
            uint16_t flags; /* 24: 0 on entry */
        } capabilities;
        struct {
            uint16_t layout;        /* 24: SHELFMARK_DESCRIBE_LAYOUT */
            const char* path;       /* 32: the file's full path, UTF-8, zero-terminated */
            uint32_t maxTextLength; /* 40: bytes per text result */
            ResultEntry* results;   /* 48 */
            uint32_t capacity;      /* 56: 16 */
            uint32_t count;         /* 60: 0 on entry */
            uint32_t thumbnailEdge; /* 64: the thumbnail edge in pixels */
            uint32_t reserved1;     /* 68 */
            ProviderImage* bitmap;  /* 72: null on entry */
            uint16_t reserved2;     /* 80 */
        } describe;
    } u;
} ProviderRequest;

typedef int (*HVSMPluginCommandFunction)(ProviderRequest* request);

/* Adds a number result to a describe request; 0 when the array is full. */
static inline int ShelfmarkAddNumberResult(ProviderRequest* request, uint8_t key, uint32_t value) {
    ResultEntry* entry;
    if (!request->u.describe.results || request->u.describe.count >= request->u.describe.capacity)
        return 0;
    entry = &request->u.describe.results[request->u.describe.count++];
    entry->key = key;
    entry->value = value;
    entry->textLength = 0;
    return 1;
}

/* Adds a text result, cut to the maximum length, into the buffer the caller lent for it; 0 when
 * the array is full. */
static inline int ShelfmarkAddTextResult(ProviderRequest* request, uint8_t key, const char* text,
                                         size_t length) {
    ResultEntry* entry;
    if (!request->u.describe.results || request->u.describe.count >= request->u.describe.capacity)
        return 0;
    entry = &request->u.describe.results[request->u.describe.count++];
    if (length > request->u.describe.maxTextLength)
        length = request->u.describe.maxTextLength;
    entry->key = key;
    entry->value = 0;
    if (length)
        memcpy(entry->text, text, length);
    entry->text[length] = '\0';
    entry->textLength = (uint32_t)length;
    return 1;
}

#if defined(__GNUC__)
#define SHELFMARK_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define SHELFMARK_PLUGIN_EXPORT
#endif

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
#ifdef __cplusplus
#define SHELFMARK_LAYOUT_CHECK(condition, message) static_assert(condition, message)
#else
#define SHELFMARK_LAYOUT_CHECK(condition, message) _Static_assert(condition, message)
#endif
SHELFMARK_LAYOUT_CHECK(sizeof(ProviderImage) == 32, "ProviderImage layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderImage, pixels) == 16, "ProviderImage layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderImage, release) == 24, "ProviderImage layout");
SHELFMARK_LAYOUT_CHECK(sizeof(ResultEntry) == 24, "ResultEntry layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ResultEntry, value) == 4, "ResultEntry layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ResultEntry, text) == 8, "ResultEntry layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ResultEntry, textLength) == 16, "ResultEntry layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, window) == 8, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, extensionIndex) == 16, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.query.buffer) == 24, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.query.bufferSize) == 32, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.capabilities.flags) == 24, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.path) == 32, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.maxTextLength) == 40, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.results) == 48, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.capacity) == 56, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.count) == 60, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.thumbnailEdge) == 64, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.bitmap) == 72, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(offsetof(ProviderRequest, u.describe.reserved2) == 80, "ProviderRequest layout");
SHELFMARK_LAYOUT_CHECK(sizeof(ProviderRequest) == 88, "ProviderRequest layout");
#undef SHELFMARK_LAYOUT_CHECK
#endif

#ifdef __cplusplus
}
#endif

#endif /* SHELFMARK_PLUGIN_H */
