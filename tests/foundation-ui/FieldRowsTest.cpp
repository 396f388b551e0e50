// Field rows: the label takes its text from the page's section, its mnemonic moves the focus to
// the field, and the row puts the label where its name says (beside, left with the field kept at
// its own width, or above with the field taking the spare height).
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>

#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FieldRows.h"

using namespace shelfmark;

class FieldRowsTest : public QObject {
    Q_OBJECT

  private slots:
    void labelsSitWhereTheRowSaysAndLeadToTheirField() {
        QWidget page;
        page.resize(600, 1000);
        auto* layout = new QVBoxLayout(&page);
        auto* formHolder = new QWidget(&page);
        auto* form = new QFormLayout(formHolder);
        auto* host = new QLineEdit(formHolder);
        QLabel* hostLabel = AddFormRow(form, 1, host);
        layout->addWidget(formHolder);
        auto* port = new QSpinBox(&page);
        QLabel* portLabel = AddInlineRow(layout, 2, port);
        auto* unstretched = new QListWidget(&page);
        layout->addWidget(unstretched);
        auto* email = new QListWidget(&page);
        QLabel* emailLabel = AddLabelAbove(layout, 5, email, 1);
        ApplyDialogTexts(&page, "Sht_SettingsCDDB");
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));

        QCOMPARE(hostLabel->text(), QStringLiteral("&Hostname:"));
        QCOMPARE(portLabel->text(), QStringLiteral("&Port:"));
        QCOMPARE(emailLabel->text(),
                 QStringLiteral("&Email address (required for CD submissions):"));
        QCOMPARE(hostLabel->buddy(), host);
        QCOMPARE(portLabel->buddy(), port);
        QCOMPARE(emailLabel->buddy(), email);
        QCOMPARE(form->labelForField(host), hostLabel);
        for (QLabel* label : {hostLabel, portLabel, emailLabel})
            QVERIFY(page.isAncestorOf(label));

        // Beside: the same line, the label first.
        QVERIFY(hostLabel->geometry().right() < host->geometry().left());
        const auto middle = [](QWidget* w) { return w->mapTo(w->window(), w->rect().center()); };
        QVERIFY(qAbs(middle(portLabel).y() - middle(port).y()) <= 2);
        QVERIFY(portLabel->geometry().right() < port->geometry().left());
        // The stretch after an inline field keeps it at its own width on a wide page.
        QCOMPARE(port->width(), port->sizeHint().width());
        // Above: the label over the field; with a stretch the field takes the spare height an
        // equally growable field without one does not get.
        QVERIFY(emailLabel->geometry().bottom() < email->geometry().top());
        QVERIFY(middle(unstretched).y() < middle(emailLabel).y());
        QVERIFY(email->height() > unstretched->height());
    }

    void mnemonicFocusesTheField() {
        QWidget page;
        auto* layout = new QVBoxLayout(&page);
        auto* first = new QLineEdit(&page);
        layout->addWidget(first);
        auto* email = new QLineEdit(&page);
        AddLabelAbove(layout, 5, email);
        ApplyDialogTexts(&page, "Sht_SettingsCDDB");
        page.show();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        first->setFocus();
        QTRY_VERIFY(first->hasFocus());
        QTest::keyClick(&page, Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(email->hasFocus());
    }
};

QTEST_MAIN(FieldRowsTest)
#include "FieldRowsTest.moc"
