// The MP3 options ("Dlg_MP3ID3Format", "MP3 ID3 Settings"): whether tags make a description and
// in which format, and which tags become extra information. The built-in description provider
// opens it as its configure command; the options live with the read profiles.
#pragma once

#include <QDialog>

#include "reading/profiles/Mp3Options.h"

class QCheckBox;
class QLineEdit;

namespace shelfmark {

class BuiltinProvider;

class Mp3FormatDialog : public QDialog {
    Q_OBJECT
  public:
    Mp3FormatDialog(const Mp3Options& options, QWidget* parent = nullptr);

    Mp3Options options() const;
    QCheckBox* describeBox() const { return describe_; }
    QCheckBox* userFormatBox() const { return userFormat_; }
    QLineEdit* formatEdit() const { return format_; }

    // Loads the options from `profilePath` (default: the read profile file), shows the dialog
    // and saves them on OK; true when saved.
    static bool Edit(QWidget* parent, const std::string& profilePath = {});
    // Makes the built-in provider's configure command open this dialog.
    static void Install(BuiltinProvider& provider, QWidget* parent,
                        const std::string& profilePath = {});

  private:
    void updateEnabled();

    QCheckBox* describe_;
    QCheckBox* userFormat_;
    QLineEdit* format_;
    std::vector<std::pair<bool Mp3Options::*, QCheckBox*>> fields_;
};

}  // namespace shelfmark
