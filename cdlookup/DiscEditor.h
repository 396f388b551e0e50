// The disc editor without its window: a copy of a disc record, the category list it may be filed
// under, the rows (0 the disc, 1 ... n the tracks) with their shown texts, the edits and the
// checks of OK. The dialog shows what this class holds and passes the user's edits in; tests
// drive it the same way.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "discora/Discora.h"

namespace shelfmark {

class Prompter;

class DiscEditor {
  public:
    // Works on a copy of `disc`. Reads the server's category list once per client (Connect(0),
    // ReadCategoryList, Disconnect) when the client has none yet; a failure is reported with
    // "Couldn't read category list from CDDB server!".
    DiscEditor(CDiscora& client, const CDiscoraDisc& disc, Prompter& prompter);

    const CDiscoraDisc& disc() const { return disc_; }
    bool modified() const { return modified_; }

    // The category names offered, sorted; the disc's own category is among them.
    const std::vector<std::string>& categories() const { return categories_; }
    // A record that came with a category cannot be filed under another one.
    bool categoryLocked() const { return categoryLocked_; }
    std::string category() const;
    // Choosing a category while the disc has none; false when the category is locked.
    bool chooseCategory(const std::string& name);
    void setGenre(const std::string& genre);
    // The year as typed; checked by accept().
    void setYear(const std::string& year) { year_ = year; }
    const std::string& year() const { return year_; }

    // Rows: 0 the disc ("CD"), 1 ... n the tracks ("%02u").
    int rowCount() const { return disc_.GetTrackCount() + 1; }
    std::string rowItemText(int row) const;
    // "artist / title", or the title alone when the artist is empty; a track without an artist
    // of its own shows the disc's.
    std::string rowTitleText(int row) const;
    struct Details {
        std::string artist;
        std::string title;
        std::string extended;
    };
    Details details(int row) const;
    // Stores the texts that differ from the row's (exact comparison); the editor is modified
    // when any did.
    void setDetails(int row, const Details& details);

    // OK: a category must be chosen, the year (when not empty) must be a number from 1800 to
    // 2999, the disc needs an artist and a title and every track a title. On the first problem
    // the message is shown and problemRow() names the row (-1: category or year); false.
    bool accept();
    int problemRow() const { return problemRow_; }

  private:
    CDiscoraDisc disc_;
    Prompter& prompter_;
    std::vector<std::string> categories_;
    bool categoryLocked_ = false;
    bool modified_ = false;
    std::string year_;
    int problemRow_ = -1;
};

}  // namespace shelfmark
