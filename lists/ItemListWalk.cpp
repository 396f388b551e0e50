#include "lists/ItemListWalk.h"

#include <algorithm>
#include <new>

#include "catalog/CatalogTree.h"
#include "catalog/TreeWalk.h"
#include "foundation/CancelFlag.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"
#include "lists/RowBuilder.h"

namespace shelfmark {

ItemListProblem CheckItemListProfile(const ItemListProfile& profile) {
    if (profile.columns.empty())
        return ItemListProblem::NoColumns;
    if (!profile.format.empty() && !SplitFilenameFormat(profile.format).hasVariables())
        return ItemListProblem::NoFormatVariable;
    return ItemListProblem::None;
}

std::string ItemListProblemText(ItemListProblem problem) {
    switch (problem) {
        case ItemListProblem::NoColumns:
            return Str(178);
        case ItemListProblem::NoFormatVariable:
            return Str(177);
        case ItemListProblem::None:
            break;
    }
    return {};
}

uint64_t ExpectedItemCount(const CatalogTree& tree, const CatalogItem& start, const ItemListProfile& profile) {
    const CatalogStatistics counts = tree.gatherStatistics(&start, false);
    return (profile.files ? counts.files : 0) + (profile.directories ? counts.directories : 0) +
           (profile.folders ? counts.folders : 0) + (profile.disks ? counts.disks : 0);
}

bool ExtensionListed(std::string_view name, const std::vector<std::string>& extensions) {
    if (extensions.empty())
        return true;
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = name.substr(dot + 1);
    return std::any_of(extensions.begin(), extensions.end(), [extension](const std::string& wanted) {
        return text::EqualsNoCase(extension, wanted);
    });
}

namespace {

// The depth of `item` below `start` (a child of start is at depth 1). Successive items mostly
// share a parent, so the last answer is kept.
class DepthOf {
  public:
    explicit DepthOf(const CatalogItem* start) : start_(start) {}
    int operator()(const CatalogItem& item) {
        if (item.parent() != lastParent_) {
            lastParent_ = item.parent();
            lastDepth_ = 1;
            for (const CatalogItem* up = lastParent_; up && up != start_; up = up->parent())
                ++lastDepth_;
        }
        return lastDepth_;
    }

  private:
    const CatalogItem* start_;
    const CatalogItem* lastParent_ = nullptr;
    int lastDepth_ = 0;
};

bool IsPlainContainer(const CatalogItem& item) {
    return (item.flags() & (itemflag::Directory | itemflag::Folder | itemflag::MediaType)) != 0;
}

}  // namespace

ItemListResult BuildItemList(const ItemListJob& job) {
    const ItemListProfile& profile = *job.profile;
    ItemListResult result;
    result.table = ListTable(profile.columns);
    result.expectedTotal = ExpectedItemCount(*job.tree, *job.start, profile);
    try {
        result.table.reserve(size_t(result.expectedTotal), size_t(result.expectedTotal) * 16 * profile.columns.size());
    } catch (const std::bad_alloc&) {
        // The rows then grow as they come, for as long as memory lasts.
    }

    // Split once per list, not per item.
    const SplitFormat format = SplitFilenameFormat(profile.format);
    const bool cutPieces = !profile.format.empty() && format.hasVariables();
    const uint64_t step = std::max<uint64_t>(1, result.expectedTotal / 100);
    uint64_t processed = 0;
    auto advance = [&] {
        ++processed;
        if (job.progress && processed % step == 0)
            job.progress(processed, result.expectedTotal);
    };

    DepthOf depthOf(job.start);
    auto enter = [&](const CatalogItem& item) {
        return !item.isShortcut() && IsPlainContainer(item) && depthOf(item) < profile.maxListingDepth;
    };
    auto visit = [&](CatalogItem& child) {
        if (job.cancel && job.cancel->isSet()) {
            result.cancelled = true;
            return false;
        }
        const CatalogItem& item = child;
        if (item.isShortcut())
            return true;
        if (IsPlainContainer(item)) {
            const bool listed = (item.isFolder() && profile.folders) || (item.isDisk() && profile.disks) ||
                                (item.isDirectory() && !item.isDisk() && profile.directories);
            if (listed) {
                job.builder->appendRow(result.table, item);
                advance();
            }
            return true;
        }
        if (!profile.files)
            return true;
        if (ExtensionListed(item.name(), profile.extensions)) {
            FormatPieces pieces{};
            if (cutPieces) {
                std::string_view source;
                if (profile.parseMode == ParseMode::Description) {
                    source = item.textAttribute(attr::Description).value_or(std::string_view());
                } else {
                    source = item.name();
                    source = source.substr(0, std::min(source.size(), source.rfind('.')));
                }
                pieces = CutFormatPieces(format, source);
            }
            job.builder->appendRow(result.table, item, 0, pieces);
        }
        advance();
        return true;
    };
    try {
        WalkBelow(job.start, enter, visit);
    } catch (const std::bad_alloc&) {
        result.table.dropIncompleteRow();
        result.outOfMemory = true;
    }
    if (job.progress)
        job.progress(processed, result.expectedTotal);
    return result;
}

std::optional<ItemListResult> StartItemList(const ItemListJob& job, Prompter& prompter) {
    const ItemListProblem problem = CheckItemListProfile(*job.profile);
    if (problem != ItemListProblem::None) {
        prompter.error(ItemListProblemText(problem));
        return std::nullopt;
    }
    return BuildItemList(job);
}

}  // namespace shelfmark
