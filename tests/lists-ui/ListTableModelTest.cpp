// The list model: the table's own order first, sorting by value for sizes and dates and by
// case-folded text otherwise, stable among equals, selections following their rows, and the
// copy in shown order that Print/ Export gets. The expected orders are written out by hand.
#include <QItemSelectionModel>
#include <QTest>

#include "catalog/CatalogTree.h"
#include "lists/ui/ListTableModel.h"
#include "tests/search/SearchTestCatalog.h"

using namespace shelfmark;
using shelfmark::testing::Add;

class ListTableModelTest : public QObject {
    Q_OBJECT

    CatalogTree tree;
    ListTable table;

    QStringList column(const ListTableModel& model, int c) {
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts << model.data(model.index(r, c)).toString();
        return texts;
    }

  private slots:
    void init() {
        CatalogItem* root = tree.resetToNewCatalog();
        // Sizes whose texts sort otherwise than their values; dates likewise.
        CatalogItem* a = Add(tree, root, "a", 0, 1000, 300);
        CatalogItem* b = Add(tree, root, "b", 0, 2048, 100);
        CatalogItem* c = Add(tree, root, "c", 0, 999, 200);
        CatalogItem* d = Add(tree, root, "d", 0, 2048, 400);
        table = ListTable({{"Name", 0x00, ColumnAlignment::Left, 150},
                           {"Size", 0x01, ColumnAlignment::Right, 75},
                           {"Modified", 0x02, ColumnAlignment::Left, 100}});
        const std::pair<const CatalogItem*, const char*> rows[] = {
            {a, "ärger"}, {b, "Zebra"}, {c, "apple"}, {d, "Äpfel"}};
        const char* sizes[] = {"1,000 Bytes", "2 KB", "999 Bytes", "2 KB"};
        const char* dates[] = {"c", "a", "b", "d"};
        for (size_t i = 0; i < 4; ++i) {
            table.beginRow(rows[i].first, 0);
            table.appendCell(rows[i].second);
            table.appendCell(sizes[i]);
            table.appendCell(dates[i]);
        }
    }

    void ordersByValueOrFoldedText() {
        ListTableModel model;
        model.setTable(&table);
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size"));
        QCOMPARE(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
                 Qt::AlignRight);
        QCOMPARE(column(model, 0), (QStringList{"ärger", "Zebra", "apple", "Äpfel"}));

        model.sort(1);  // 999 < 1000 < 2048 = 2048 (the equal pair keeps its order)
        QCOMPARE(column(model, 0), (QStringList{"apple", "ärger", "Zebra", "Äpfel"}));
        model.sort(1, Qt::DescendingOrder);
        QCOMPARE(column(model, 0), (QStringList{"Zebra", "Äpfel", "ärger", "apple"}));
        model.sort(2);  // dates 100, 200, 300, 400
        QCOMPARE(column(model, 0), (QStringList{"Zebra", "apple", "ärger", "Äpfel"}));
        model.sort(0);  // case folded: "apple" < "zebra" < "äpfel" < "ärger" by folded bytes
        QCOMPARE(column(model, 0), (QStringList{"apple", "Zebra", "Äpfel", "ärger"}));
    }

    void selectionFollowsAndCopyIsInShownOrder() {
        ListTableModel model;
        model.setTable(&table);
        QItemSelectionModel selection(&model);
        selection.setCurrentIndex(model.index(1, 0), QItemSelectionModel::SelectCurrent);  // Zebra
        model.sort(1);
        QCOMPARE(selection.currentIndex().row(), 2);
        QCOMPARE(model.data(selection.currentIndex()).toString(), QStringLiteral("Zebra"));
        QCOMPARE(model.tableRow(2), size_t(1));

        const ListTable shown = model.displayed();
        QCOMPARE(shown.rowCount(), size_t(4));
        QCOMPARE(shown.cell(0, 0), std::string_view("apple"));
        QCOMPARE(shown.cell(3, 1), std::string_view("2 KB"));
        QCOMPARE(shown.row(0).item, table.row(2).item);

        model.setTable(nullptr);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }
};

QTEST_MAIN(ListTableModelTest)
#include "ListTableModelTest.moc"
