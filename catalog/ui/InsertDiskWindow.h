// The insert-disk prompt's window ("Dlg_InsertDisk") over the headless InsertDiskPrompt: the
// explanation, the drives of the wanted type, the serial number of the medium in the selected
// one, the update-serial option, OK and Cancel. Volume changes come from a VolumeWatcher (or a
// test) on any thread and are handed to the window's thread; when the wanted medium arrives the
// prompt ends with OK and the window closes by itself.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "catalog/InsertDiskPrompt.h"
#include "catalog/ui/VolumeRelay.h"
#include "platform/volumes/VolumeWatcher.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace shelfmark {

class InsertDiskWindow : public QDialog, public InsertDiskDialog {
    Q_OBJECT
  public:
    // Starts a watcher for the volume changes while the window is shown; without one the
    // caller feeds volumeChanged() itself.
    using WatcherFactory = std::function<std::unique_ptr<VolumeWatcher>(VolumeWatcher::Listener)>;

    explicit InsertDiskWindow(QWidget* parent = nullptr, WatcherFactory watcher = RealWatcher());

    // InsertDiskDialog: shows the window modally over the prompt; true when it ended with OK.
    bool run(InsertDiskPrompt& prompt) override;

    // A volume was mounted or unmounted; safe from any thread.
    void volumeChanged(const VolumeChange& change);

    QComboBox* driveBox() const { return drives_; }
    QLineEdit* serialField() const { return serial_; }
    QCheckBox* updateBox() const { return update_; }
    QLabel* explanation() const { return explanation_; }

    // The watcher on the system's mount table (ListDrives).
    static WatcherFactory RealWatcher();

  public slots:
    void accept() override;
    void reject() override;

  private:
    void refresh();
    void handleChange(const VolumeChange& change);

    WatcherFactory makeWatcher_;
    VolumeRelay relay_;
    InsertDiskPrompt* prompt_ = nullptr;
    QLabel* explanation_;
    QComboBox* drives_;
    QLineEdit* serial_;
    QCheckBox* update_;
    bool refreshing_ = false;
};

}  // namespace shelfmark
