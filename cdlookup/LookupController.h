// The CD lookup without its windows: the list of the catalog's audio-CD disks with their check
// boxes, Start over the checked rows with per-row results and the retry question, Disc info,
// Submit new and the edit-and-submit sequence. The CDDB dialog shows the rows and passes the
// user's clicks in; the match chooser, the disc editor and the settings page are reached through
// LookupDialogs; every message and question goes through the document's prompter. The network
// calls block the calling thread.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cdlookup/CddbSettings.h"
#include "cdlookup/DiscEditor.h"
#include "cdlookup/TocAccess.h"
#include "discora/Discora.h"

namespace shelfmark {

class CatalogDocument;
class CatalogItem;
class CatalogTree;
class SettingsStore;

// The site every lookup uses: the public CDDB service over HTTP.
inline constexpr std::string_view kDefaultCddbSite =
    "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random gnudb server";
// The service's web search page, for the dialog's "&Browser" button.
inline constexpr std::string_view kCddbSearchPage = "https://gnudb.org/";

// The windows the lookup opens; the desktop program shows dialogs, the command-line tool answers
// from its flags, tests script them.
class LookupDialogs {
  public:
    virtual ~LookupDialogs() = default;

    struct MatchChoice {
        enum Kind { Chosen, Cancelled, SubmitNew } kind = Cancelled;
        int index = 0;  // Chosen: the match, from 0
    };
    // The match chooser over several matches of the disk named `diskName`.
    virtual MatchChoice chooseMatch(const std::string& diskName,
                                    const CDiscoraQueryResult& matches) = 0;
    // The disc editor: true when it closed with OK (after editor.accept() succeeded).
    virtual bool editDisc(DiscEditor& editor) = 0;
    // The settings dialog on its "CDDB" page: true when the user applied it (the settings store
    // then holds the new values).
    virtual bool editCddbSettings() = 0;
    // The progress window of Start: shown with the disk being looked up, then closed.
    virtual void showProgress(const std::string& diskName) { (void)diskName; }
    virtual void closeProgress() {}
};

enum class RowResult {
    None,      // not looked up (yet)
    Applied,   // a disc was found and applied
    NotFound,  // the server knows no match ("Disc not found")
    Skipped,   // the match chooser or the editor was cancelled: the disk is unchanged
    Failed,    // no table of contents, or the server could not be reached ("Error accessing...")
};

struct LookupRow {
    CatalogItem* disk = nullptr;
    bool checked = false;
    std::string description;  // the Description column
    RowResult result = RowResult::None;
    std::string error;  // the library's reason for the last failure
};

class LookupController {
  public:
    // Adds the site line, reads the settings (which also sets the proxy).
    LookupController(CatalogDocument& document, SettingsStore& store, LookupDialogs& dialogs,
                     TocServices toc = {}, std::string_view siteLine = kDefaultCddbSite);

    // Every audio-CD disk in tree order: folders are entered (not disks, not shortcuts), locked
    // items are not.
    static std::vector<CatalogItem*> AudioCdDisks(const CatalogTree& tree);

    // Lists the disks; the pre-checked ones are checked (each needs its table of contents).
    void fill(std::span<CatalogItem* const> preChecked = {});
    const std::vector<LookupRow>& rows() const { return rows_; }
    // Checking a box first makes sure the disk has a table of contents; when that fails the box
    // stays unchecked (false).
    bool setChecked(size_t row, bool checked);
    void selectAll();
    void unselectAll();
    void invertSelection();
    // Checks the disks read since the catalog was opened; the other rows keep their state.
    void selectNew();

    // "Se&ttings": the settings page, then the settings read again.
    void openSettings();
    void reloadSettings();
    const CddbSettings& settings() const { return settings_; }
    CDiscora& client() { return client_; }

    // Looks the row's disk up. True with the disc read (or, no match, a cancelled chooser, an
    // edited new record, with a disc that may have no tracks); false when the server failed.
    bool lookUp(size_t row, CDiscoraDisc& disc);
    // "&Start": every checked row; found discs are applied and their rows unchecked; failures
    // are marked and offered for a retry. Returns the number of rows that failed in the end.
    int start();
    // "Disc &Info": the row's disc in the editor, submitted (and applied) when changed.
    void discInfo(size_t row);
    // "Submit &New": a new record from the row's table of contents in the editor.
    void submitNew(size_t row);
    // The edit-and-submit sequence on a copy of `disc`.
    void editAndSubmit(size_t row, const CDiscoraDisc& disc);
    // Steps 4 and 5 of that sequence: the e-mail address (asking for the settings while it is
    // empty), then the submission with its retry question. True when the server took it.
    bool submit(const CDiscoraDisc& disc);
    // Applies a disc to the row's disk by the naming settings; the Description column shows
    // the disk's new name.
    bool apply(size_t row, const CDiscoraDisc& disc);

  private:
    bool ensureToc(size_t row);
    bool prepareNewDisc(size_t row, CDiscoraDisc& disc);

    CatalogDocument& document_;
    SettingsStore& store_;
    LookupDialogs& dialogs_;
    TocServices toc_;
    CDiscora client_;
    CddbSettings settings_;
    std::vector<LookupRow> rows_;
};

}  // namespace shelfmark
