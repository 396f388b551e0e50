// The Qt prompter answers with the button the user clicks and labels its buttons from the active
// language; dialog texts come from the dialog's language section.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "foundation/LanguageTexts.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/QtPrompter.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using shelfmark::testing::ModalDriver;

namespace {

QString GermanFile() {
    return QString::fromStdString((testing::SourceDir() / "foundation/lang/Deutsch.lng").string());
}

QStringList ButtonTexts(QWidget* box) {
    QStringList texts;
    for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
        if (qobject_cast<QCheckBox*>(b) == nullptr)
            texts << b->text();
    texts.sort();
    return texts;
}

}  // namespace

class FoundationUiTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { LanguageTexts::Instance().unloadLanguage(); }

    void answersWithTheClickedButton() {
        QtPrompter prompter;
        ModalDriver driver;
        QString caption;
        QStringList buttons;
        driver.onNextModal([&](QWidget* box) {
            caption = box->windowTitle();
            buttons = ButtonTexts(box);
            ModalDriver::ClickButton(box, "No");
        });
        const PromptAnswer answer = prompter.askYesNoCancel("Save changes?");
        QVERIFY(driver.allRan());
        QCOMPARE(answer, PromptAnswer::No);
        QCOMPARE(caption, QStringLiteral("Halvenmoor Shelfmark"));
        QCOMPARE(buttons, (QStringList{"&No", "&Yes", "Cancel"}));

        driver.clickOnNextModal("Retry");
        QVERIFY(prompter.askRetryCancel("Insert the disk", "Drive"));
        driver.clickOnNextModal("OK");
        QVERIFY(prompter.askOkCancel("Go on?"));
        QVERIFY(driver.allRan());
    }

    void escapeGivesTheNegativeAnswer() {
        QtPrompter prompter;
        ModalDriver driver;
        driver.onNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(prompter.show({"", "Delete?", PromptIcon::Question, PromptButtons::YesNo}),
                 PromptAnswer::No);
        driver.onNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(prompter.show({"", "Proceed?", PromptIcon::Warning, PromptButtons::YesNoCancel}),
                 PromptAnswer::Cancel);
        QVERIFY(driver.allRan());
    }

    void buttonsFollowTheLanguage() {
        QVERIFY(LanguageTexts::Instance().loadLanguage(GermanFile().toStdString()));
        QtPrompter prompter;
        ModalDriver driver;
        QStringList buttons;
        driver.onNextModal([&](QWidget* box) {
            buttons = ButtonTexts(box);
            ModalDriver::ClickButton(box, "Ja");
        });
        QVERIFY(prompter.askYesNo("Wirklich?"));
        QVERIFY(driver.allRan());
        QCOMPARE(buttons, (QStringList{"&Ja", "&Nein"}));
    }

    void hintReturnsTheCheckBoxState() {
        QtPrompter prompter;
        ModalDriver driver;
        driver.onNextModal([](QWidget* box) {
            box->findChild<QCheckBox*>()->setChecked(true);
            ModalDriver::ClickButton(box, "OK");
        });
        PromptHint hint{{"", "Note this", PromptIcon::Information, PromptButtons::Ok},
                        "Do not show again", false};
        QCOMPARE(prompter.showHint(hint), PromptAnswer::Ok);
        QVERIFY(driver.allRan());
        QVERIFY(hint.checked);
    }

    void asksForTextAndHidesSecrets() {
        QtPrompter prompter;
        ModalDriver driver;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        driver.onNextModal([&](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>();
            echo = edit->echoMode();
            edit->setText(QStringLiteral("geheim ü"));
            ModalDriver::ClickButton(dialog, "OK");
        });
        const auto text = prompter.askText({"Password", "Enter it:", "", true});
        QVERIFY(driver.allRan());
        QCOMPARE(echo, QLineEdit::Password);
        QVERIFY(text.has_value());
        QCOMPARE(QString::fromStdString(*text), QStringLiteral("geheim ü"));

        driver.clickOnNextModal("Cancel");
        QVERIFY(!prompter.askText({"Name", "Name:", "old", false}).has_value());
        QVERIFY(driver.allRan());
    }

    void labelsComeFromTheSection() {
        QWidget dialog;
        SetTextKey(&dialog, 1);  // "Cancel" as a stand-in caption
        auto* label = SetTextKey(new QLabel(&dialog), 0);
        auto* tabs = new QTabWidget(&dialog);
        auto* page = new QWidget;
        tabs->addTab(page, QStringLiteral("x"));
        SetTextKey(page, 2);
        auto* group = SetTextKey(new QGroupBox(page), 0);
        // A page reused from another dialog keeps its own section.
        auto* foreign = new QWidget(page);
        SetTextSection(foreign, "Sht_AddGeneral");
        auto* browse = SetTextKey(new QPushButton(foreign), 2);
        auto* unmarked = new QLabel(QStringLiteral("stays"), &dialog);

        ApplyDialogTexts(&dialog, "Dlg_Common");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Cancel"));
        QCOMPARE(label->text(), QStringLiteral("OK"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("&Delete"));
        QCOMPARE(group->title(), QStringLiteral("OK"));
        QCOMPARE(browse->text(), QStringLiteral("&Browse"));
        QCOMPARE(unmarked->text(), QStringLiteral("stays"));

        QVERIFY(LanguageTexts::Instance().loadLanguage(GermanFile().toStdString()));
        ApplyDialogTexts(&dialog, "Dlg_Common");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Abbrechen"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("&Löschen"));
    }
};

QTEST_MAIN(FoundationUiTest)
#include "FoundationUiTest.moc"
