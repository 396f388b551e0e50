#include "cdlookup/DiscApplication.h"

#include <vector>

#include "catalog/CatalogDocument.h"
#include "cdlookup/CdPlayerIni.h"
#include "cdlookup/CddbSettings.h"
#include "cdlookup/DiscText.h"
#include "discora/Discora.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

CatalogItem* TrackItem(CatalogItem& disk, int number) {
    const std::string name = StringPrintf("Track%02d.cda", number);
    for (CatalogItem* child = disk.firstChild(); child != nullptr; child = child->next())
        if (text::EqualsNoCase(child->name(), name))
            return child;
    return nullptr;
}

}  // namespace

EditStatus ApplyDiscToDisk(CatalogDocument& document, CatalogItem& disk, const CDiscoraDisc& disc,
                           const DiscNaming& naming) {
    const int count = disc.GetTrackCount();
    if (count < 1)
        return EditStatus::Unchanged;
    if (!BeginEdit(document))
        return EditStatus::Refused;

    std::vector<CatalogItem*> items{&disk};
    std::vector<CatalogItem*> tracks(static_cast<size_t>(count) + 1, nullptr);
    for (int i = 1; i <= count; ++i)
        if (CatalogItem* track = TrackItem(disk, i)) {
            tracks[size_t(i)] = track;
            items.push_back(track);
        }
    document.recordUndo(UndoKind::AttributeChange, items, std::string("CDDB"));

    if (naming.saveDiscInfo)
        if (const auto offsets = TocOffsets(disk))
            SaveDiscToCdPlayerIni(CdPlayerKeyOfToc(*offsets), disc, naming.iniPath);

    CatalogTree& tree = document.tree();
    const std::string_view discArtist = DiscText(disc.GetArtist());
    tree.setName(&disk, FormatDiscName(naming.discFormat, discArtist, DiscText(disc.GetTitle())));
    document.notifyChanged(disk);
    for (int i = 1; i <= count; ++i) {
        CDiscoraTrack track;
        if (tracks[size_t(i)] == nullptr || !disc.GetTrack(i, track))
            continue;
        tree.setTextAttribute(tracks[size_t(i)], attr::Description,
                              FormatTrackName(naming.trackFormat, i, DiscText(track.GetArtist()),
                                              discArtist, DiscText(track.GetTitle())));
        document.notifyChanged(*tracks[size_t(i)]);
    }
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
