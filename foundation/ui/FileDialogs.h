// The file choosers the commands share, and their filters in Qt's form from the program's texts. The language files keep filters in
// the Windows form, label and pattern between bars ("|All Files (*.*)|*.*|", Strings key 209);
// Qt wants "All Files (*)", filters separated by ";;". On Linux a file needs no dot to be a file,
// so the pattern "*.*" becomes "*".
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace shelfmark {

// "|Label|pattern|Label|pattern|" as Qt filters; a label's own "(...)" is replaced by the
// pattern. Pairs without a pattern are left out.
QString QtFileFilters(std::string_view barSeparated);
// The "All Files" filter of the active language (Strings key 209) in Qt's form.
QString AllFilesFilter();
// `label (*.extension)` followed by the All Files filter: the save and open dialogs' filter
// for one kind of file.
QString FileFilterWithAllFiles(const QString& label, std::string_view extension);

// A Save dialog: `defaultSuffix` (without the dot) is added to a name typed without one, and an
// existing file is replaced only after the overwrite question. Nothing on Cancel.
std::optional<std::string> AskSaveFile(QWidget* parent, const QString& caption,
                                       const QString& filter, const QString& defaultSuffix,
                                       const std::string& suggestion = {});
// An Open dialog for one or more existing files, in the order chosen; empty on Cancel.
std::vector<std::string> AskOpenFiles(QWidget* parent, const QString& caption,
                                      const QString& filter);

// The wait cursor while a command works on the user-interface thread.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace shelfmark
