// The program's own description provider: extensions cda, dll, exe, zip and mp3, answering the
// same commands through the same request block as a plug-in.
#pragma once

#include <functional>
#include <string>

#include "plugins/include/shelfmark_plugin.h"
#include "reading/audio/DiscInformation.h"
#include "reading/profiles/Mp3Options.h"
#include "reading/tags/Id3Reader.h"

namespace shelfmark {

// The built-in provider's extensions in the order of their indexes.
inline constexpr const char* kBuiltinExtensions = ".cda.dll.exe.zip.mp3";
enum BuiltinExtension : uint16_t { kCda = 0, kDll = 1, kExe = 2, kZip = 3, kMp3 = 4 };

class BuiltinProvider {
  public:
    // The MP3 options are read from `profilePath` (default: "ReadDiskDlg.tkp" in the
    // configuration directory) when the provider answers its query.
    explicit BuiltinProvider(std::string profilePath = {});

    // HVSMPluginCommand of the built-in provider.
    int command(ProviderRequest* request);

    // The track format of audio-CD tracks (empty: a track's description is its title).
    void setTrackFormat(std::string format) { trackFormat_ = std::move(format); }
    // The disc and track names tracks are named from: those of the read's job, which outlives
    // the read; null for none.
    void setDiscInformation(const DiscInformation* information) { disc_ = information; }
    // What command 3 (configure) and command 5 (about) do; without them both answer 0. Configure
    // gets the extension index and answers whether the options changed (they are reloaded then).
    void setConfigureHandler(std::function<bool(uint16_t)> handler) {
        configure_ = std::move(handler);
    }
    void setAboutHandler(std::function<void()> handler) { about_ = std::move(handler); }

    // Reads the MP3 and tag options again (after a configuration dialog closed with OK).
    void reloadOptions();
    const Mp3Options& mp3Options() const { return mp3_; }
    const TagReadOptions& tagOptions() const { return tagOptions_; }

  private:
    int describe(ProviderRequest& request) const;
    void describeMp3(ProviderRequest& request, const std::string& path) const;
    void describeTrack(ProviderRequest& request, const std::string& path) const;

    std::string profilePath_;
    Mp3Options mp3_;
    TagReadOptions tagOptions_;
    std::string trackFormat_;
    const DiscInformation* disc_ = nullptr;
    std::function<bool(uint16_t)> configure_;
    std::function<void()> about_;
};

}  // namespace shelfmark
