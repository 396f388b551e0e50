// The insert-disk prompt without its window: it asks the user to insert a catalogued disk or to
// pick the drive that holds it, watches volumes come and go, and can adopt a new serial number
// for the disk (a disk copied to another medium). The dialog shows what this class holds and
// passes the user's clicks and the volume watcher's events in; tests drive it the same way.
//
// On Linux a drive is a mounted volume: the list holds the mounted volumes of the wanted drive
// type. An unmounted volume stays listed without a medium, like an empty CD drive, and a volume
// mounted while the prompt is open joins the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/volumes/Volumes.h"

namespace shelfmark {

class Prompter;

struct InsertDiskRequest {
    std::string diskName;
    std::optional<uint32_t> wantedSerial;  // the disk's volume serial; none matches no medium
    DriveType wantedType = DriveType::CdRom;
    std::optional<size_t> preferredDrive;  // the disk's remembered drive index
};

// The drive index the classic prompt returns when it was confirmed with no drive listed.
inline constexpr size_t kNoDriveListed = 255;

class InsertDiskPrompt {
  public:
    // Reads the serial number of the medium a listed volume holds now; nothing when it holds
    // none (not mounted any more).
    using SerialReader = std::function<std::optional<uint32_t>(const Volume&)>;

    struct Entry {
        Volume volume;
        bool mounted = true;
    };
    enum class State { Open, Ok, Cancelled };

    // `drives` are the drives in drive index order (ListDrives); those of the wanted type are
    // listed. The preferred drive is selected when listed, else the first entry, and its serial
    // is read. Messages go to `prompter`.
    InsertDiskPrompt(InsertDiskRequest request, const std::vector<Volume>& drives,
                     Prompter& prompter, SerialReader readSerial = CurrentSerial);

    // The reader used outside tests: the serial of the volume mounted at the entry's mount
    // point from the same device, as the mount table lists it now.
    static std::optional<uint32_t> CurrentSerial(const Volume& volume);

    const InsertDiskRequest& request() const { return request_; }
    // "Please insert the disk '%s' (serial number %04X-%04X) ..." for this disk.
    std::string explanation() const;
    // "&Update serial number of '%s'." for this disk.
    std::string updateOptionText() const;

    const std::vector<Entry>& entries() const { return entries_; }
    std::optional<size_t> selected() const { return selected_; }
    // The selected medium's serial as "%04X-%04X"; empty when it could not be read.
    const std::string& serialText() const { return serialText_; }
    bool updateSerial() const { return updateSerial_; }
    void setUpdateSerial(bool update) { updateSerial_ = update; }

    // The user picked another entry: the serial text is cleared and read again.
    void select(size_t entry);
    // A volume was mounted (as the volume watcher lists it, serial included). One of the wanted
    // type is listed (or its entry gets the medium); when it holds the wanted serial the prompt
    // ends with OK at once, whatever is selected.
    void volumeArrived(const Volume& volume);
    // A volume was unmounted: its entry stays without a medium; the serial text is cleared when
    // it is the selected one.
    void volumeRemoved(const Volume& volume);
    // The OK button. With nothing listed the prompt ends with OK and no drive. Otherwise the
    // selected medium's serial is read again: when that fails the error "Error changing to
    // %s..." names the mount point and the prompt stays open; when the serial is the wanted one,
    // or the update option is ticked, it ends with OK; otherwise it stays open showing the
    // medium's serial.
    void confirm();
    void cancel();

    State state() const { return state_; }
    // After OK: the chosen volume (none: confirmed with no drive listed) and its medium's serial.
    const std::optional<Volume>& chosenVolume() const { return chosen_; }
    uint32_t chosenSerial() const { return chosenSerial_; }

  private:
    void refreshSerialText();
    bool isWanted(uint32_t serial) const;
    void finish(const Volume& volume, uint32_t serial);

    InsertDiskRequest request_;
    Prompter& prompter_;
    SerialReader readSerial_;
    std::vector<Entry> entries_;
    std::optional<size_t> selected_;
    std::string serialText_;
    bool updateSerial_ = false;
    State state_ = State::Open;
    std::optional<Volume> chosen_;
    uint32_t chosenSerial_ = 0;
};

// Shows the prompt until it ends. The desktop program runs its modal dialog over the prompt and
// feeds it the volume watcher's events; the command-line tool, with nobody to insert a disk,
// cancels; tests script the user. True when the prompt ended with OK.
class InsertDiskDialog {
  public:
    virtual ~InsertDiskDialog() = default;
    virtual bool run(InsertDiskPrompt& prompt) = 0;
};

}  // namespace shelfmark
