#include "catalog/InsertDiskPrompt.h"

#include <algorithm>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"
#include "platform/volumes/VolumeIdentity.h"

namespace shelfmark {

namespace {

constexpr int kMessageInsertDisk = 80;
constexpr int kMessageCannotChangeTo = 119;
constexpr int kUpdateSerialOption = 128;

}  // namespace

InsertDiskPrompt::InsertDiskPrompt(InsertDiskRequest request, const std::vector<Volume>& drives,
                                   Prompter& prompter, SerialReader readSerial)
    : request_(std::move(request)), prompter_(prompter), readSerial_(std::move(readSerial)) {
    for (size_t i = 0; i < drives.size(); ++i) {
        if (drives[i].type != request_.wantedType)
            continue;
        if (request_.preferredDrive == i)
            selected_ = entries_.size();
        entries_.push_back({drives[i], true});
    }
    if (!selected_ && !entries_.empty())
        selected_ = 0;
    refreshSerialText();
}

std::optional<uint32_t> InsertDiskPrompt::CurrentSerial(const Volume& volume) {
    for (const Volume& now : ListDrives())
        if (now.mountPoint == volume.mountPoint && now.major == volume.major &&
            now.minor == volume.minor)
            return now.serial;
    return std::nullopt;
}

std::string InsertDiskPrompt::explanation() const {
    const uint32_t serial = request_.wantedSerial.value_or(0);
    return StringPrintf(Str(kMessageInsertDisk).c_str(), request_.diskName.c_str(),
                        unsigned(serial >> 16), unsigned(serial & 0xFFFF));
}

std::string InsertDiskPrompt::updateOptionText() const {
    return StringPrintf(Str(kUpdateSerialOption).c_str(), request_.diskName.c_str());
}

void InsertDiskPrompt::refreshSerialText() {
    serialText_.clear();
    if (!selected_ || !entries_[*selected_].mounted)
        return;
    if (const std::optional<uint32_t> serial = readSerial_(entries_[*selected_].volume))
        serialText_ = FormatVolumeSerial(*serial);
}

bool InsertDiskPrompt::isWanted(uint32_t serial) const {
    return request_.wantedSerial == serial;
}

void InsertDiskPrompt::finish(const Volume& volume, uint32_t serial) {
    state_ = State::Ok;
    chosen_ = volume;
    chosenSerial_ = serial;
}

void InsertDiskPrompt::select(size_t entry) {
    if (state_ != State::Open || entry >= entries_.size())
        return;
    selected_ = entry;
    refreshSerialText();
}

void InsertDiskPrompt::volumeArrived(const Volume& volume) {
    if (state_ != State::Open || volume.type != request_.wantedType)
        return;
    auto same = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.volume.mountPoint == volume.mountPoint;
    });
    if (same == entries_.end())
        same = entries_.insert(entries_.end(), {volume, true});
    else
        *same = {volume, true};
    const size_t index = static_cast<size_t>(same - entries_.begin());
    if (!selected_)
        selected_ = index;
    // The watcher has just read the arrived volume's serial.
    if (isWanted(volume.serial)) {
        selected_ = index;
        serialText_ = FormatVolumeSerial(volume.serial);
        finish(volume, volume.serial);
        return;
    }
    if (selected_ == index)
        serialText_ = FormatVolumeSerial(volume.serial);
}

void InsertDiskPrompt::volumeRemoved(const Volume& volume) {
    if (state_ != State::Open)
        return;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].volume.mountPoint != volume.mountPoint)
            continue;
        entries_[i].mounted = false;
        if (selected_ == i)
            serialText_.clear();
    }
}

void InsertDiskPrompt::confirm() {
    if (state_ != State::Open)
        return;
    if (!selected_) {
        state_ = State::Ok;
        chosen_.reset();
        return;
    }
    Entry& entry = entries_[*selected_];
    serialText_.clear();
    const std::optional<uint32_t> serial = entry.mounted ? readSerial_(entry.volume) : std::nullopt;
    if (!serial) {
        entry.mounted = false;
        prompter_.error(
            StringPrintf(Str(kMessageCannotChangeTo).c_str(), entry.volume.mountPoint.c_str()));
        return;
    }
    serialText_ = FormatVolumeSerial(*serial);
    if (isWanted(*serial) || updateSerial_)
        finish(entry.volume, *serial);
}

void InsertDiskPrompt::cancel() {
    if (state_ == State::Open)
        state_ = State::Cancelled;
}

}  // namespace shelfmark
