#include "cdlookup/DiscEditor.h"

#include "cdlookup/DiscText.h"

#include <algorithm>
#include <cstring>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"

namespace shelfmark {

namespace {

constexpr int kFillOutFieldMessage = 19;

bool Differs(const char* stored, const std::string& text) {
    return DiscText(stored) != text;
}

}  // namespace

DiscEditor::DiscEditor(CDiscora& client, const CDiscoraDisc& disc, Prompter& prompter)
    : disc_(disc), prompter_(prompter), year_(std::string(DiscText(disc.GetYear()))) {
    if (client.GetCategoryCount() == 0) {
        const bool read = client.Connect(0) && client.ReadCategoryList();
        client.Disconnect();
        if (!read)
            prompter_.error("Couldn't read category list from CDDB server!");
    }
    for (int i = 0; i < client.GetCategoryCount(); ++i)
        categories_.push_back(std::string(DiscText(client.GetCategory(i))));
    if (disc_.GetCategory() != nullptr) {
        categoryLocked_ = true;
        if (std::find(categories_.begin(), categories_.end(), category()) == categories_.end())
            categories_.push_back(category());
    }
    std::sort(categories_.begin(), categories_.end());
}

std::string DiscEditor::category() const {
    return std::string(DiscText(disc_.GetCategory()));
}

bool DiscEditor::chooseCategory(const std::string& name) {
    if (categoryLocked_)
        return false;
    if (Differs(disc_.GetCategory(), name)) {
        disc_.SetCategory(name.c_str());
        modified_ = true;
    }
    return true;
}

void DiscEditor::setGenre(const std::string& genre) {
    if (Differs(disc_.GetGenre(), genre)) {
        disc_.SetGenre(genre.c_str());
        modified_ = true;
    }
}

std::string DiscEditor::rowItemText(int row) const {
    return row == 0 ? std::string("CD") : StringPrintf("%02u", unsigned(row));
}

std::string DiscEditor::rowTitleText(int row) const {
    const Details shown = details(row);
    std::string artist = shown.artist;
    if (row > 0 && artist.empty())
        artist = std::string(DiscText(disc_.GetArtist()));
    return artist.empty() ? shown.title : artist + " / " + shown.title;
}

DiscEditor::Details DiscEditor::details(int row) const {
    if (row == 0)
        return {std::string(DiscText(disc_.GetArtist())), std::string(DiscText(disc_.GetTitle())),
                std::string(DiscText(disc_.GetExtended()))};
    CDiscoraTrack track;
    if (!disc_.GetTrack(row, track))
        return {};
    return {std::string(DiscText(track.GetArtist())), std::string(DiscText(track.GetTitle())),
            std::string(DiscText(track.GetExtended()))};
}

void DiscEditor::setDetails(int row, const Details& details) {
    if (row == 0) {
        if (Differs(disc_.GetArtist(), details.artist))
            modified_ = disc_.SetArtist(details.artist.c_str()) || modified_;
        if (Differs(disc_.GetTitle(), details.title))
            modified_ = disc_.SetTitle(details.title.c_str()) || modified_;
        if (Differs(disc_.GetExtended(), details.extended))
            modified_ = disc_.SetExtended(details.extended.c_str()) || modified_;
        return;
    }
    CDiscoraTrack track;
    if (!disc_.GetTrack(row, track))
        return;
    bool changed = false;
    if (Differs(track.GetArtist(), details.artist))
        changed = track.SetArtist(details.artist.c_str()) || changed;
    if (Differs(track.GetTitle(), details.title))
        changed = track.SetTitle(details.title.c_str()) || changed;
    if (Differs(track.GetExtended(), details.extended))
        changed = track.SetExtended(details.extended.c_str()) || changed;
    if (changed) {
        disc_.SetTrack(row, track);
        modified_ = true;
    }
}

bool DiscEditor::accept() {
    problemRow_ = -1;
    if (category().empty()) {
        prompter_.error(Str(kFillOutFieldMessage));
        return false;
    }
    if (!year_.empty()) {
        const bool digits =
            year_.size() <= 4 &&
            std::all_of(year_.begin(), year_.end(), [](char c) { return c >= '0' && c <= '9'; });
        const int value = digits ? std::stoi(year_) : 0;
        if (value < 1800 || value > 2999) {
            prompter_.error("Please enter an integer between 1800 and 2999.");
            return false;
        }
    }
    if (Differs(disc_.GetYear(), year_)) {
        disc_.SetYear(year_.c_str());
        modified_ = true;
    }
    for (int row = 0; row < rowCount(); ++row) {
        const Details shown = details(row);
        if ((row == 0 && shown.artist.empty()) || shown.title.empty()) {
            problemRow_ = row;
            prompter_.error(Str(kFillOutFieldMessage));
            return false;
        }
    }
    return true;
}

}  // namespace shelfmark
