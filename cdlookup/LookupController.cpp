#include "cdlookup/LookupController.h"

#include <algorithm>

#include "catalog/CatalogDocument.h"
#include "catalog/TreeWalk.h"
#include "cdlookup/CdPlayerIni.h"
#include "cdlookup/DiscApplication.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark {

namespace {

constexpr int kDiscNotFound = 145;
constexpr int kSubmitChangesQuestion = 146;
constexpr int kServerError = 248;
constexpr int kRetryQuestion = 249;
constexpr int kNoEmailMessage = 252;
constexpr const char kCaption[] = "CDDB";
constexpr const char kSubmitMode[] = "submit";

std::string DescriptionOf(const CatalogItem& disk) {
    return std::string(disk.textAttribute(attr::Description).value_or(std::string_view()));
}

}  // namespace

LookupController::LookupController(CatalogDocument& document, SettingsStore& store,
                                   LookupDialogs& dialogs, TocServices toc,
                                   std::string_view siteLine)
    : document_(document),
      store_(store),
      dialogs_(dialogs),
      toc_(std::move(toc)),
      client_(std::string(kApplicationName).c_str(), std::string(kProgramVersion).c_str()) {
    client_.AddSite(std::string(siteLine).c_str());
    reloadSettings();
}

std::vector<CatalogItem*> LookupController::AudioCdDisks(const CatalogTree& tree) {
    std::vector<CatalogItem*> disks;
    if (tree.root() == nullptr)
        return disks;
    auto enter = [](const CatalogItem& item) { return item.isFolder() && !item.isShortcut(); };
    WalkBelow(tree.root(), enter, [&disks](CatalogItem& item) {
        if (item.isDisk() && !item.isShortcut() && item.mediaType() == MediaType::AudioCd)
            disks.push_back(&item);
        return true;
    });
    return disks;
}

void LookupController::fill(std::span<CatalogItem* const> preChecked) {
    rows_.clear();
    for (CatalogItem* disk : AudioCdDisks(document_.tree()))
        rows_.push_back({disk, false, DescriptionOf(*disk), RowResult::None, {}});
    for (size_t i = 0; i < rows_.size(); ++i)
        if (std::find(preChecked.begin(), preChecked.end(), rows_[i].disk) != preChecked.end())
            setChecked(i, true);
}

bool LookupController::setChecked(size_t row, bool checked) {
    if (row >= rows_.size())
        return false;
    if (checked && !rows_[row].checked && !ensureToc(row))
        return false;
    if (row < rows_.size())
        rows_[row].checked = checked;
    return true;
}

void LookupController::selectAll() {
    for (size_t i = 0; i < rows_.size(); ++i)
        setChecked(i, true);
}

void LookupController::unselectAll() {
    for (LookupRow& row : rows_)
        row.checked = false;
}

void LookupController::invertSelection() {
    for (size_t i = 0; i < rows_.size(); ++i)
        setChecked(i, !rows_[i].checked);
}

void LookupController::selectNew() {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].disk->hasAttribute(attr::ReadThisSession))
            setChecked(i, true);
}

void LookupController::openSettings() {
    if (dialogs_.editCddbSettings())
        reloadSettings();
}

void LookupController::reloadSettings() {
    settings_ = CddbSettings::Load(store_);
    settings_.applyProxy(client_);
}

bool LookupController::ensureToc(size_t row) {
    const uint64_t generation = document_.treeGeneration();
    const bool present = EnsureToc(document_, *rows_[row].disk, toc_);
    if (document_.treeGeneration() != generation) {
        // Taking the lock read the catalog again: every disk of the list is gone.
        fill();
        return false;
    }
    return present;
}

bool LookupController::prepareNewDisc(size_t row, CDiscoraDisc& disc) {
    const std::optional<std::vector<uint32_t>> offsets = TocOffsets(*rows_[row].disk);
    if (!offsets)
        return false;
    return client_.InitSubmitDisc(static_cast<int>(offsets->size()) - 1, offsets->data(), disc) ==
           1;
}

bool LookupController::lookUp(size_t row, CDiscoraDisc& disc) {
    LookupRow& entry = rows_[row];
    disc.Clear();
    const std::optional<std::vector<uint32_t>> offsets = TocOffsets(*entry.disk);
    if (!offsets) {
        entry.error = "no table of contents";
        return false;
    }
    CDiscoraQueryResult matches;
    if (!client_.Connect(0) ||
        !client_.QueryDisc(static_cast<int>(offsets->size()) - 1, offsets->data(), matches)) {
        entry.error = client_.GetLastError();
        client_.Disconnect();
        return false;
    }
    if (matches.GetMatchCount() == 0) {
        entry.description = Str(kDiscNotFound);
        entry.result = RowResult::NotFound;
        client_.Disconnect();
        return true;
    }
    // A single match is read at once, exact or not.
    if (matches.GetMatchCount() == 1) {
        const bool read = client_.ReadDisc(matches, disc, 0) == 1;
        if (!read)
            entry.error = client_.GetLastError();
        client_.Disconnect();
        return read;
    }
    const std::string diskName(entry.disk->name());
    const LookupDialogs::MatchChoice choice = dialogs_.chooseMatch(diskName, matches);
    if (choice.kind == LookupDialogs::MatchChoice::Chosen) {
        const bool read = client_.ReadDisc(matches, disc, choice.index) == 1;
        if (!read)
            entry.error = client_.GetLastError();
        client_.Disconnect();
        return read;
    }
    client_.Disconnect();
    entry.result = RowResult::Skipped;
    if (choice.kind == LookupDialogs::MatchChoice::Cancelled)
        return true;

    CDiscoraDisc fresh;
    if (!prepareNewDisc(row, fresh))
        return true;
    DiscEditor editor(client_, fresh, document_.prompter());
    if (!dialogs_.editDisc(editor) || !editor.modified())
        return true;
    if (document_.prompter().show({kCaption, Str(kSubmitChangesQuestion), PromptIcon::Question,
                                   PromptButtons::YesNo}) == PromptAnswer::Yes)
        submit(editor.disc());
    disc = editor.disc();
    return true;
}

bool LookupController::apply(size_t row, const CDiscoraDisc& disc) {
    LookupRow& entry = rows_[row];
    const DiscNaming naming{settings_.discFormat(), settings_.trackFormat(),
                            settings_.bSaveDiscInfo};
    if (ApplyDiscToDisk(document_, *entry.disk, disc, naming) != EditStatus::Done) {
        entry.result = RowResult::Failed;
        entry.error = "the catalog cannot be changed";
        return false;
    }
    entry.description = std::string(entry.disk->name());
    entry.result = RowResult::Applied;
    return true;
}

int LookupController::start() {
    Prompter& prompter = document_.prompter();
    const uint64_t generation = document_.treeGeneration();
    int failed = 0;
    do {
        failed = 0;
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (!rows_[i].checked)
                continue;
            dialogs_.showProgress(std::string(rows_[i].disk->name()));
            CDiscoraDisc disc;
            if (!lookUp(i, disc)) {
                rows_[i].description = Str(kServerError);
                rows_[i].result = RowResult::Failed;
                ++failed;
                continue;
            }
            if (disc.GetTrackCount() > 0)
                apply(i, disc);
            if (document_.treeGeneration() != generation) {
                dialogs_.closeProgress();
                fill();
                return failed;
            }
            rows_[i].checked = false;
        }
        dialogs_.closeProgress();
    } while (failed > 0 && prompter.show({kCaption, Str(kRetryQuestion), PromptIcon::Error,
                                          PromptButtons::YesNo}) == PromptAnswer::Yes);
    return failed;
}

void LookupController::discInfo(size_t row) {
    if (row >= rows_.size() || !ensureToc(row))
        return;
    Prompter& prompter = document_.prompter();
    CDiscoraDisc disc;
    while (!lookUp(row, disc)) {
        if (prompter.show({kCaption, Str(kRetryQuestion), PromptIcon::Error,
                           PromptButtons::YesNo}) != PromptAnswer::Yes)
            return;
    }
    if (disc.GetTrackCount() == 0) {
        prompter.show({kCaption, Str(kDiscNotFound), PromptIcon::Information, PromptButtons::Ok});
        return;
    }
    editAndSubmit(row, disc);
}

void LookupController::submitNew(size_t row) {
    if (row >= rows_.size() || !ensureToc(row))
        return;
    CDiscoraDisc disc;
    if (prepareNewDisc(row, disc))
        editAndSubmit(row, disc);
}

void LookupController::editAndSubmit(size_t row, const CDiscoraDisc& disc) {
    DiscEditor editor(client_, disc, document_.prompter());
    if (!dialogs_.editDisc(editor) || !editor.modified())
        return;
    if (document_.prompter().show({kCaption, Str(kSubmitChangesQuestion), PromptIcon::Question,
                                   PromptButtons::YesNo}) != PromptAnswer::Yes)
        return;
    apply(row, editor.disc());
    submit(editor.disc());
}

bool LookupController::submit(const CDiscoraDisc& disc) {
    Prompter& prompter = document_.prompter();
    while (settings_.Email.empty()) {
        if (prompter.show({kCaption, Str(kNoEmailMessage), PromptIcon::Warning,
                           PromptButtons::OkCancel}) != PromptAnswer::Ok)
            return false;
        openSettings();
    }
    CDiscoraDisc record(disc);
    for (;;) {
        const bool sent = client_.Connect(0) &&
                          client_.SubmitDisc(record, settings_.Email.c_str(), kSubmitMode) == 1;
        client_.Disconnect();
        if (sent)
            return true;
        if (prompter.show({kCaption, Str(kServerError), PromptIcon::Error, PromptButtons::YesNo}) !=
            PromptAnswer::Yes)
            return false;
    }
}

}  // namespace shelfmark
