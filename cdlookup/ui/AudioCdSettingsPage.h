// The "Audio CD" page of the settings dialog (section Sht_SettingsAudioCD): the disc and track
// name formats with their switches (each edit enabled only while its box is checked), and the
// CD-Text switch, which belongs to the read-disk profile file's "Default" section. A
// self-contained widget: load() fills it, apply() stores.
#pragma once

#include <QWidget>
#include <string>

class QCheckBox;
class QLineEdit;

namespace shelfmark {

class SettingsStore;

class AudioCdSettingsPage : public QWidget {
    Q_OBJECT

  public:
    // `readProfilePath`: the read-disk profile file (a bare name lies in the configuration
    // directory).
    explicit AudioCdSettingsPage(SettingsStore& store, std::string readProfilePath = {},
                                 QWidget* parent = nullptr);

    void load();
    // Both format texts are stored whatever their boxes say, then both boxes, then the CD-Text
    // switch into the profile file. False when a file could not be written.
    bool apply();

    QCheckBox* discFormatBox() const { return useDiscFormat_; }
    QLineEdit* discFormatEdit() const { return discFormat_; }
    QCheckBox* trackFormatBox() const { return useTrackFormat_; }
    QLineEdit* trackFormatEdit() const { return trackFormat_; }
    QCheckBox* cdTextBox() const { return cdText_; }

  private:
    SettingsStore& store_;
    std::string readProfilePath_;
    QCheckBox* useDiscFormat_;
    QLineEdit* discFormat_;
    QCheckBox* useTrackFormat_;
    QLineEdit* trackFormat_;
    QCheckBox* cdText_;
};

}  // namespace shelfmark
