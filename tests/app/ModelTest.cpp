// The folder tree and item list models follow the document's changes row by row (checked by
// Qt's own model tester and by the signals they send), build rows lazily, hide locked contents,
// and the information page and status texts say what the selection holds.
#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/FolderTreeModel.h"
#include "app/ItemIcons.h"
#include "app/ItemInfoPage.h"
#include "app/ItemListModel.h"
#include "catalog/Definitions.h"
#include "catalog/CatalogDocument.h"
#include "catalog/DeleteOperations.h"
#include "catalog/FolderOperations.h"
#include "catalog/LendOperations.h"
#include "catalog/MoveCopyOperations.h"
#include "catalog/RenameOperations.h"
#include "foundation/ScriptedPrompter.h"
#include "lists/RowBuilder.h"
#include "tests/catalog/EditTestCatalog.h"

using namespace shelfmark;
using shelfmark::testing::At;

namespace {

QString Label(const QAbstractItemModel& model, const QModelIndex& index) {
    return model.data(index, Qt::DisplayRole).toString();
}

QStringList Children(const QAbstractItemModel& model, const QModelIndex& parent) {
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << Label(model, model.index(row, 0, parent));
    return names;
}

}  // namespace

class ModelTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<CatalogDocument> document_;
    std::unique_ptr<ItemIcons> icons_;

    CatalogItem* at(const char* path) { return At(document_->tree(), path); }

  private slots:
    void init() {
        prompter_ = std::make_unique<ScriptedPrompter>();
        document_ = std::make_unique<CatalogDocument>(*prompter_);
        document_->newCatalog();
        shelfmark::testing::BuildEditCatalog(document_->tree());
        icons_ = std::make_unique<ItemIcons>();
    }
    void cleanup() {
        document_.reset();
        prompter_.reset();
    }

    void treeShowsContainersInTreeOrder() {
        FolderTreeModel model(*document_, *icons_);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 1);
        const QModelIndex root = model.index(0, 0);
        QCOMPARE(Children(model, root), (QStringList{"Backup", "Music", "Loose"}));
        const QModelIndex disk = model.indexOf(at("Music\\Rock\\Rock One"));
        QVERIFY(disk.isValid());
        // Files are not in the tree; directories and archives are.
        QCOMPARE(Children(model, disk), (QStringList{"Album", "songs.zip"}));
        QCOMPARE(model.itemAt(disk.parent()), at("Music\\Rock"));
        QVERIFY(!model.indexOf(at("Music\\Rock\\Rock One\\cover.jpg")).isValid());
        model.setDisplay({true, true});
        QCOMPARE(Label(model, disk), QStringLiteral("Rock One [0007]"));
    }

    void treeFollowsOperationsRowByRow() {
        FolderTreeModel model(*document_, *icons_);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QModelIndex root = model.index(0, 0);
        model.rowCount(model.indexOf(at("Music")));  // rows of Music built, as when expanded
        QPersistentModelIndex backup = model.indexOf(at("Backup"));
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

        CatalogItem* created = nullptr;
        QCOMPARE(CreateFolder(*document_, document_->tree().root(), std::string("Archive"), &created),
                 EditStatus::Done);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(0).value<QModelIndex>(), QModelIndex(root));
        QCOMPARE(Children(model, root), (QStringList{"Archive", "Backup", "Music", "Loose"}));
        QCOMPARE(backup.row(), 1);  // the sibling's index moved along

        CatalogItem* loose = at("Loose");
        std::vector<CatalogItem*> items{loose};
        QCOMPARE(MoveToFolder(*document_, items, at("Music")), EditStatus::Done);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(Children(model, model.indexOf(at("Music"))), (QStringList{"Jazz", "Rock", "Loose"}));

        prompter_->queueAnswer(PromptAnswer::Yes);
        std::vector<CatalogItem*> gone{at("Backup")};
        QCOMPARE(DeleteItems(*document_, gone), EditStatus::Done);
        QVERIFY(!backup.isValid());
        QCOMPARE(Children(model, root), (QStringList{"Archive", "Music"}));

        // A rename keeps the item's place among its siblings, as the tree does.
        QCOMPARE(RenameItem(*document_, created, "Zeta"), EditStatus::Done);
        QCOMPARE(Children(model, root), (QStringList{"Zeta", "Music"}));

        // Undo brings each change back, again row by row.
        while (document_->newestUndoStep())
            QCOMPARE(document_->undo(false), CatalogDocument::UndoResult::Done);
        QCOMPARE(Children(model, root), (QStringList{"Backup", "Music", "Loose"}));
        QCOMPARE(resets.count(), 0);

        // A new catalog replaces every item: that one is a reset.
        document_->newCatalog();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(Children(model, model.index(0, 0)), QStringList());
    }

    void lockedContainersShowNothingBelow() {
        FolderTreeModel tree(*document_, *icons_);
        CatalogItem* backup = at("Backup");
        QCOMPARE(tree.rowCount(tree.indexOf(backup)), 1);
        document_->tree().setBlockAttribute(backup, attr::PasswordCheck, std::vector<uint8_t>(16, 1));
        document_->notifyChanged(*backup);
        QCOMPARE(tree.rowCount(tree.indexOf(backup)), 0);
        QVERIFY(!tree.hasChildren(tree.indexOf(backup)));
        QVERIFY(!tree.indexOf(At(document_->tree(), "Music")).parent().parent().isValid());
        ItemListModel list(*document_, *icons_, nullptr);
        list.setContainer(backup);
        QCOMPARE(list.rowCount(), 0);
        document_->tree().setNumberAttribute(backup, attr::Unlocked, 1);
        document_->notifyChanged(*backup);
        QCOMPARE(tree.rowCount(tree.indexOf(backup)), 1);
        QCOMPARE(list.rowCount(), 1);
    }

    void listFetchesAHugeFolderInChunks() {
        CatalogTree& tree = document_->tree();
        CatalogItem* disk = tree.createItem("Big", tree.root(), Sorted, DiskFlags(MediaType::HardDisk));
        constexpr int kFiles = 100000;
        for (int i = kFiles; i > 0; --i)  // created backwards: the list sorts them
            tree.createItem("file" + std::to_string(100000 + i) + ".txt", disk, First, 0);
        // Without the model tester: it fetches more rows itself whenever the model resets.
        ItemListModel model(*document_, *icons_, nullptr);
        model.setContainer(disk);
        QCOMPARE(model.rowCount(), ItemListModel::kFetchChunk);
        QCOMPARE(model.totalRows(), size_t(kFiles));
        QVERIFY(model.canFetchMore({}));
        QCOMPARE(Label(model, model.index(0, 0)), QStringLiteral("file100001.txt"));
        while (model.canFetchMore({}))
            model.fetchMore({});
        QCOMPARE(model.rowCount(), kFiles);
        QCOMPARE(Label(model, model.index(kFiles - 1, 0)), QStringLiteral("file200000.txt"));
        // Descending by name, then by size.
        model.sort(0, Qt::DescendingOrder);
        QCOMPARE(Label(model, model.index(0, 0)), QStringLiteral("file200000.txt"));
    }

    void listFollowsItsContainer() {
        ItemListModel model(*document_, *icons_, nullptr);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        CatalogItem* music = at("Music");
        model.setContainer(music);
        QCOMPARE(Children(model, {}), (QStringList{"Jazz", "Rock"}));
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QCOMPARE(CreateFolder(*document_, music, std::string("Blues")), EditStatus::Done);
        QCOMPARE(Children(model, {}), (QStringList{"Blues", "Jazz", "Rock"}));
        std::vector<CatalogItem*> disks{at("Backup\\B1")};
        QCOMPARE(MoveToFolder(*document_, disks, music), EditStatus::Done);
        QCOMPARE(Children(model, {}), (QStringList{"Blues", "Jazz", "Rock", "B1"}));
        QCOMPARE(LendDisks(*document_, disks, LendRequest{"Carol", 0}), EditStatus::Done);
        QVERIFY(changed.count() >= 1);
        QCOMPARE(model.data(model.index(3, 0), Qt::ForegroundRole).value<QColor>(), QColor(160, 0, 0));
        QCOMPARE(resets.count(), 0);

        // The shown container itself goes: the list empties and says so.
        QSignalSpy gone(&model, &ItemListModel::containerGone);
        prompter_->queueAnswer(PromptAnswer::Yes);
        std::vector<CatalogItem*> folder{music};
        QCOMPARE(DeleteItems(*document_, folder), EditStatus::Done);
        QCOMPARE(gone.count(), 1);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.container(), nullptr);
    }

    void columnsShowSizesTypesAndAttributes() {
        ItemListModel model(*document_, *icons_, nullptr);
        model.setColumns({0x00, 0x01, 0x03, 0x82, 0x42});
        model.setContainer(at("Music\\Rock"));
        QCOMPARE(Label(model, model.index(0, 0)), QStringLiteral("Rock One"));
        QCOMPARE(Label(model, model.index(0, 2)), QStringLiteral("CD/ DVD"));
        QCOMPARE(Label(model, model.index(0, 3)), QStringLiteral("Ann"));
        // The disk number reads as in printed lists, also without the catalog's definitions.
        QCOMPARE(Label(model, model.index(0, 4)), QStringLiteral("0007"));
        QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Lent to"));
        ListDisplay display;
        display.showByteSizes = true;
        model.setDisplay(display);
        // Digit grouping follows the locale; the number and the unit do not.
        QCOMPARE(Label(model, model.index(0, 1)).remove(QRegularExpression(QStringLiteral("[^0-9A-Za-z ]"))),
                 QStringLiteral("1000 Bytes"));
        display.showDirectorySizes = false;
        model.setDisplay(display);
        QCOMPARE(Label(model, model.index(0, 1)), QString());
    }

    // The main list and the printed or exported lists (the shared row builder) give the same
    // text for the same item, in every container of the catalog, for the columns whose form
    // is fixed: checksum, disk number, volume serial, track, and the plain texts beside them.
    void cellTextsMatchPrintedLists() {
        CatalogTree& tree = document_->tree();
        tree.setNumberAttribute(at("Music\\Jazz\\Blue\\Track01.cda"), attr::TrackNumber, 1);
        tree.setNumberAttribute(at("Music\\Jazz\\Blue"), attr::VolumeSerial, 0xFFFF0001);  // high bit set
        tree.setNumberAttribute(at("Loose"), attr::VolumeSerial, 0x000000AB);
        tree.setNumberAttribute(at("Music\\Rock\\Rock One\\Album\\track1.mp3"), attr::Crc32, 0x0000000F);
        // A checksum on a directory is not shown by either.
        tree.setNumberAttribute(at("Music\\Rock\\Rock One\\Album"), attr::Crc32, 0x12345678);
        const CatalogDefinitions definitions;
        const RowBuilder builder(tree, definitions);
        const std::vector<uint8_t> keys{0x00, 0x03, 0x04, attr::Crc32, attr::DiskId, attr::VolumeSerial,
                                        attr::TrackNumber, attr::Description, attr::LentTo};
        for (const CatalogDefinitions* given : {&definitions, static_cast<const CatalogDefinitions*>(nullptr)}) {
            ItemListModel model(*document_, *icons_, given);
            model.setColumns(keys);
            int compared = 0;
            std::vector<CatalogItem*> containers{tree.root()};
            while (!containers.empty()) {
                CatalogItem* container = containers.back();
                containers.pop_back();
                model.setContainer(container);
                while (model.canFetchMore({}))
                    model.fetchMore({});
                for (int row = 0; row < model.rowCount(); ++row) {
                    const CatalogItem& item = *model.itemAt(row);
                    if (item.isContainer())
                        containers.push_back(model.itemAt(row));
                    for (size_t c = 0; c < keys.size(); ++c) {
                        const QString printed = QString::fromStdString(builder.columnText(item, keys[c]));
                        QCOMPARE(Label(model, model.index(row, int(c))), printed);
                        compared += printed.isEmpty() ? 0 : 1;
                    }
                }
            }
            QVERIFY(compared > 40);
        }
        ItemListModel model(*document_, *icons_, nullptr);
        model.setColumns({0x00, attr::Crc32, attr::VolumeSerial, attr::DiskId});
        model.setContainer(at("Music\\Jazz"));
        QCOMPARE(Label(model, model.index(0, 2)), QStringLiteral("FFFF-0001"));
        model.setContainer(at("Music\\Rock\\Rock One\\Album"));
        QCOMPARE(Label(model, model.index(0, 1)), QStringLiteral("0x0000000F"));
        QCOMPARE(Label(model, model.index(0, 3)), QStringLiteral("0007"));  // the disk's number on its file
        model.setContainer(at("Music\\Rock\\Rock One"));
        QCOMPARE(Label(model, model.index(0, 1)), QString());  // the directory "Album"
    }

    void listSortsBySizeDateAndMixedMediaTypes() {
        CatalogTree& tree = document_->tree();
        CatalogItem* box = tree.createItem("Box", tree.root(), Sorted, itemflag::Folder);
        CatalogItem* audio = tree.createItem("Z audio", box, Sorted, DiskFlags(MediaType::AudioCd));
        CatalogItem* data = tree.createItem("B data", box, Sorted, DiskFlags(MediaType::CdRom));
        CatalogItem* small = tree.createItem("C small", box, Sorted, DiskFlags(MediaType::CdRom));
        tree.setSize(audio, 300);
        tree.setSize(data, 5'000'000'000ull);  // above 32 bits
        tree.setSize(small, 10);
        audio->setDate(3000);
        data->setDate(1000);
        small->setDate(2000);
        ItemListModel model(*document_, *icons_, nullptr);
        model.setColumns({0x00, 0x01, 0x02});
        model.setContainer(box);
        // Disks of different media types stay apart: audio CDs before data CDs (descending
        // turns the whole order round).
        QCOMPARE(Children(model, {}), (QStringList{"Z audio", "B data", "C small"}));
        model.sort(1, Qt::AscendingOrder);
        QCOMPARE(Children(model, {}), (QStringList{"Z audio", "C small", "B data"}));
        model.sort(2, Qt::DescendingOrder);
        QCOMPARE(Children(model, {}), (QStringList{"C small", "B data", "Z audio"}));
        ListDisplay mixed;
        mixed.equalizeMediaTypes = true;  // bEqualizeMediaTypes: one group
        model.setDisplay(mixed);
        model.sort(0, Qt::AscendingOrder);
        QCOMPARE(Children(model, {}), (QStringList{"B data", "C small", "Z audio"}));
        model.sort(1, Qt::DescendingOrder);
        QCOMPARE(Children(model, {}), (QStringList{"B data", "Z audio", "C small"}));
        // A new item goes where the order puts it.
        CatalogItem* created = nullptr;
        QCOMPARE(AddDiskByName(*document_, box, "D empty", MediaType::HardDisk, &created), EditStatus::Done);
        QCOMPARE(Children(model, {}).last(), QStringLiteral("D empty"));
    }

    void cellTextsOfAttributes() {
        const CatalogTree& tree = document_->tree();
        const ListDisplay display;
        const CatalogItem& letter = *at("Backup\\B1\\Docs\\letter.doc");
        QCOMPARE(ItemCellText(tree, letter, attr::Crc32, display, nullptr), std::string("0xDEADBEEF"));
        QCOMPARE(ItemCellText(tree, letter, 0x04, display, nullptr), std::string("B1:\\Docs"));
        CatalogItem* blue = at("Music\\Jazz\\Blue");
        document_->tree().setNumberAttribute(blue, attr::Length, 3725);
        QCOMPARE(ItemCellText(tree, *blue, attr::Length, display, nullptr), std::string("1:02:05"));
        QCOMPARE(ItemCellText(tree, *blue, attr::Artist, display, nullptr), std::string());
        document_->tree().setTextAttribute(blue, attr::Artist, "Miles");
        QCOMPARE(ItemCellText(tree, *blue, attr::Artist, display, nullptr), std::string("Miles"));
        // A shortcut has no size of its own.
        std::vector<CatalogItem*> target{blue};
        std::vector<CatalogItem*> made;
        QCOMPARE(CreateShortcuts(*document_, target, at("Backup"), true, {}, &made), EditStatus::Done);
        QCOMPARE(ItemCellText(tree, *made.front(), 0x01, display, nullptr), std::string());
        QCOMPARE(ItemCellText(tree, *made.front(), 0x00, display, nullptr), std::string("Shortcut to Blue"));
    }

    void treeKeepsExpandedBranchesAcrossMoves() {
        FolderTreeModel model(*document_, *icons_);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QModelIndex rock = model.indexOf(at("Music\\Rock"));
        model.rowCount(rock);
        QPersistentModelIndex disk = model.indexOf(at("Music\\Rock\\Rock One"));
        model.rowCount(disk);
        QPersistentModelIndex album = model.indexOf(at("Music\\Rock\\Rock One\\Album"));
        QVERIFY(album.isValid());
        // Moving a sibling folder leaves the branch and its indexes alone.
        std::vector<CatalogItem*> jazz{at("Music\\Jazz")};
        QCOMPARE(MoveToFolder(*document_, jazz, at("Backup")), EditStatus::Done);
        QVERIFY(album.isValid());
        QCOMPARE(model.itemAt(album), at("Music\\Rock\\Rock One\\Album"));
        QCOMPARE(model.itemAt(disk.parent()), at("Music\\Rock"));
        QCOMPARE(Children(model, model.indexOf(at("Backup"))), (QStringList{"Jazz", "B1"}));
        // Moving the disk itself drops its old indexes and shows it at the new place.
        std::vector<CatalogItem*> one{at("Music\\Rock\\Rock One")};
        QCOMPARE(MoveToFolder(*document_, one, at("Backup")), EditStatus::Done);
        QVERIFY(!disk.isValid());
        QVERIFY(model.indexOf(at("Backup\\Rock One\\Album")).isValid());
        QCOMPARE(model.rowCount(model.indexOf(at("Music\\Rock"))), 0);
    }

    void detachedWhileATreeIsReplaced() {
        FolderTreeModel model(*document_, *icons_);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(model.index(0, 0)), 3);
        model.detach();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.indexOf(at("Music")).isValid());
        // Changes meanwhile are not followed; the reset shows the tree again.
        QCOMPARE(CreateFolder(*document_, document_->tree().root(), std::string("During")), EditStatus::Done);
        QCOMPARE(model.rowCount(), 0);
        model.attach();
        QCOMPARE(Children(model, model.index(0, 0)), (QStringList{"Backup", "During", "Music", "Loose"}));
    }

    void iconsByKindWithOverlays() {
        QCOMPARE(icons_->baseIconName(*at("Music")), QStringLiteral("folder"));
        QCOMPARE(icons_->baseIconName(*at("Music\\Jazz\\Blue")), QStringLiteral("media-optical-audio"));
        QCOMPARE(icons_->baseIconName(*at("Backup\\B1")), QStringLiteral("drive-harddisk"));
        QCOMPARE(icons_->baseIconName(*at("Loose")), QStringLiteral("drive-removable-media"));
        QVERIFY(!icons_->iconFor(*at("Backup\\B1"), false).isNull());
        QVERIFY(!icons_->iconFor(*at("Music\\Rock\\Rock One\\cover.jpg"), false).isNull());
        icons_->setSettings({false, true});
        QCOMPARE(icons_->baseIconName(*at("Music\\Rock\\Rock One\\cover.jpg")),
                 QStringLiteral("text-x-generic"));
    }

    void informationPageAndStatusTexts() {
        const CatalogTree& tree = document_->tree();
        InfoPageInput input;
        input.tree = &tree;
        QCOMPARE(ItemInfoHtml(input), QStringLiteral("Select an item to view its description."));

        CatalogItem* disk = at("Backup\\B1");
        document_->tree().setTextAttribute(disk, attr::Description, "line 1\r\n<two> & more");
        input.selection = {disk};
        input.columns = {0x00, 0x01, 0x42};
        const QString one = ItemInfoHtml(input);
        QVERIFY2(one.startsWith(QStringLiteral("<B>B1</B><BR>Hard Disk<BR><BR>Size: ")), qPrintable(one));
        QVERIFY2(one.contains(QStringLiteral("<BR><BR>Description: <BR>line 1<BR>&lt;two&gt; &amp; more")),
                 qPrintable(one));
        QVERIFY2(one.contains(QStringLiteral("<BR><BR>Lent to: Bob<BR><BR>Disk ID: ")), qPrintable(one));
        input.showDescription = true;
        QVERIFY(ItemInfoHtml(input).contains(QStringLiteral("<BR><BR>Name: <BR>B1")));

        input.selection = {at("Music"), at("Backup"), at("Loose")};
        input.showDescription = false;
        const QString several = ItemInfoHtml(input);
        QVERIFY2(several.startsWith(QStringLiteral("3 items selected.<BR><BR>Total size: ")),
                 qPrintable(several));
        QVERIFY2(several.endsWith(QStringLiteral("<BR><BR>Backup<BR>Loose<BR>Music")), qPrintable(several));

        const std::vector<const CatalogItem*> none;
        QCOMPARE(SelectionStatusText(tree, 12, none, {}), QStringLiteral("12 item(s)"));
        const std::vector<const CatalogItem*> two{at("Music"), at("Loose")};
        QCOMPARE(SelectionStatusText(tree, 12, two, {}), QStringLiteral("2 items selected."));
        ListDisplay bytes;
        bytes.showByteSizes = true;
        const std::vector<const CatalogItem*> single{at("Loose")};
        QCOMPARE(SelectionStatusText(tree, 12, single, bytes),
                 QStringLiteral("Loose, Removable Disk, 300 Bytes"));
    }
};

QTEST_MAIN(ModelTest)
#include "ModelTest.moc"
