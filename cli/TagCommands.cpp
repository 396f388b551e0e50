// tags: what the MP3 tag reader finds in files. describe: what the description providers (the
// built-in one and the plug-ins found) store for a file, and the thumbnail they make.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/ArgParser.h"
#include "cli/Command.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"
#include "reading/imaging/Imaging.h"
#include "reading/profiles/Mp3Options.h"
#include "reading/providers/DescriptionProviders.h"
#include "reading/providers/ResultFields.h"
#include "reading/tags/Id3Reader.h"
#include "reading/tags/TagOptions.h"
#include "reading/tags/TrackNaming.h"

namespace shelfmark::cli {
namespace {

int RunTags(const std::vector<std::string>& args);
int RunDescribe(const std::vector<std::string>& args);

const Command kTagsCommand{
    "tags", "print the ID3 tag fields of MP3 files",
    "Usage: shelfmark-cli tags [--latin1] FILE.mp3...\n"
    "\n"
    "Reads each file's ID3v2.3/2.4 tag (or its ID3v1/v1.1 tag when there is no ID3v2 tag at\n"
    "the start) and prints title, artist, album, comment, track number and the description the\n"
    "MP3 options make from them. ID3v2 frames in ISO-8859-1, UTF-16 and UTF-8 all count;\n"
    "--latin1 reads ISO-8859-1 frames only, as a read does with bMP3Unicode=0 in the\n"
    "\"Default\" section of ReadDiskDlg.tkp. (--unicode is accepted and changes nothing.)\n"
    "Exit status 1 when a file has no tag or cannot be read.\n",
    RunTags};
const CommandRegistration kTags(kTagsCommand);

const Command kDescribeCommand{
    "describe", "print what the description providers store for files",
    "Usage: shelfmark-cli describe [--thumbnail-out FILE.jpg] [--size N] [--no-proportional]\n"
    "                              [--plugins DIR]... FILE...\n"
    "\n"
    "Every extension of every provider is active (the built-in provider: cda dll exe zip mp3;\n"
    "plug-ins hvsm_*.so from --plugins folders, SHELFMARK_PLUGIN_PATH, the installed plug-in\n"
    "folder and the configuration directory's plugins/). Prints one line per stored value:\n"
    "  FIELD: number or text   (Width, Height, Bit depth, Description, Artist, ...)\n"
    "and, when a provider returned a picture, the thumbnail's size (--size, default 64, keeping\n"
    "the aspect ratio unless --no-proportional); --thumbnail-out writes the last one as JPEG.\n"
    "Exit status 1 when no provider answered for a file.\n",
    RunDescribe};
const CommandRegistration kDescribe(kDescribeCommand);

int RunTags(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.flag("unicode").flag("latin1");
    if (!parser.parse(args))
        return UsageError(kTagsCommand, parser.error());
    if (parser.positionals().empty())
        return UsageError(kTagsCommand, "expected at least one FILE");
    TagReadOptions options;
    options.bMP3Unicode = !parser.has("latin1");
    const Mp3Options mp3 = LoadMp3Options();

    int status = kExitSuccess;
    for (const std::string& path : parser.positionals()) {
        if (const auto reason = CannotReadReason(path)) {
            status = FailCannotOpen(path, *reason);
            continue;
        }
        const std::optional<TagRecord> tags = ReadTags(path, options);
        if (!tags) {
            status = Fail("no ID3 tag in " + path);
            continue;
        }
        std::printf("File: %s\nTitle: %s\nArtist: %s\nAlbum: %s\nComment: %s\nTrack: %d\n",
                    text::ForTerminal(path).c_str(), text::ForTerminal(tags->title).c_str(),
                    text::ForTerminal(tags->artist).c_str(), text::ForTerminal(tags->album).c_str(),
                    text::ForTerminal(tags->comment).c_str(), tags->trackNumber);
        std::printf("Description: %s\n",
                    text::ForTerminal(Mp3Description(*tags, mp3.effectiveFormat())).c_str());
    }
    return status;
}

int RunDescribe(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("thumbnail-out").option("size").option("plugins").flag("no-proportional");
    if (!parser.parse(args))
        return UsageError(kDescribeCommand, parser.error());
    if (parser.positionals().empty())
        return UsageError(kDescribeCommand, "expected at least one FILE");
    uint64_t size = 64;
    if (parser.has("size") && (!parser.number("size", size) || size == 0 || size > 4096))
        return UsageError(kDescribeCommand, "--size needs a number from 1 to 4096");
    ThumbnailOptions thumbnails;
    thumbnails.ThumbnailSize = static_cast<uint32_t>(size);
    thumbnails.bProportionalThumbnails = !parser.has("no-proportional");

    DescriptionProviders providers;
    std::vector<std::string> directories = parser.values("plugins");
    for (const std::string& directory : PluginDirectories())
        directories.push_back(directory);
    providers.discoverPlugins(directories);
    providers.activateExtensions("all");
    StartImaging();

    int status = kExitSuccess;
    for (const std::string& path : parser.positionals()) {
        if (const auto reason = CannotReadReason(path)) {
            status = FailCannotOpen(path, *reason);
            continue;
        }
        const DescriptionProvider* row = providers.providerFor(text::LowerExtension(path));
        if (!row) {
            status = Fail("no provider for " + path);
            continue;
        }
        const ProviderAnswer answer = providers.describe(*row, path, thumbnails.ThumbnailSize);
        if (!answer.answered) {
            status = Fail("the " + ProviderDisplayName(providers.modules()[row->module]) +
                          " provider did not describe " + path);
            continue;
        }
        std::printf("File: %s (%s)\n", text::ForTerminal(path).c_str(),
                    ProviderDisplayName(providers.modules()[row->module]).c_str());
        for (const ProviderResult& result : answer.results)
            std::printf("%s: %s\n", ResultFieldName(result.key).c_str(),
                        text::ForTerminal(ResultValueText(result)).c_str());
        if (!answer.bitmap)
            continue;
        const Bitmap scaled = ScaleToFit(*answer.bitmap, thumbnails.ThumbnailSize,
                                         thumbnails.bProportionalThumbnails);
        const auto jpeg = EncodeJpeg(scaled);
        if (!jpeg) {
            status = Fail("cannot encode the thumbnail of " + path);
            continue;
        }
        std::printf("Thumbnail: %ux%u, %zu bytes of JPEG\n", scaled.width, scaled.height,
                    jpeg->size());
        if (const auto out = parser.value("thumbnail-out")) {
            FILE* file = std::fopen(out->c_str(), "wb");
            const bool written =
                file && std::fwrite(jpeg->data(), 1, jpeg->size(), file) == jpeg->size();
            if (file && std::fclose(file) != 0)
                status = Fail("cannot write " + *out);
            else if (!written)
                status = Fail("cannot write " + *out);
        }
    }
    return status;
}

}  // namespace
}  // namespace shelfmark::cli
