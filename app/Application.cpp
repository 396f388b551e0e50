#include "app/Application.h"

#include <QApplication>
#include <QFileDialog>
#include <QIcon>
#include <QTimer>
#include <string>
#include <vector>

#include "app/InstanceChannel.h"
#include "app/MainWindow.h"
#include "app/MimeTypeNames.h"
#include "app/StartUp.h"
#include "foundation/BuiltinTexts.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/QtPrompter.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark {
namespace {

constexpr int kUninstallQuestionKey = 160;

// "Uninstall": on Yes every setting goes (the settings file with it); no window opens.
int Uninstall(SettingsStore& store) {
    QtPrompter prompter;
    const std::string caption = std::string(kApplicationName) + " Uninstall";
    if (prompter.askYesNo(Str(kUninstallQuestionKey), caption))
        store.deleteAll();
    return 0;
}

}  // namespace

int RunShelfmark(int argc, char** argv) {
    QApplication::setApplicationName(QStringLiteral("shelfmark"));
    QApplication::setApplicationDisplayName(ToQString(kApplicationName));
    QApplication::setDesktopFileName(QStringLiteral("shelfmark"));
    // Outside a desktop session Qt knows no icon theme; the common one fills in.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("shelfmark"),
                                                 QIcon(QStringLiteral(":/shelfmark.svg"))));

    SettingsStore& store = SettingsStore::Instance();
    AppSettings settings = AppSettings::Load(store);
    LanguageTexts& texts = LanguageTexts::Instance();
    if (!settings.LanguageFile.empty())
        texts.loadLanguage(FindLanguageFile(settings.LanguageFile));
    texts.setPromptKeys(DefaultPromptKeys());

    std::vector<std::string> arguments(argv + 1, argv + argc);
    const CommandLine commandLine = ParseCommandLine(arguments);
    if (commandLine.uninstall)
        return Uninstall(store);

    // A second start hands its request over and ends without a window.
    auto channel = std::make_unique<InstanceChannel>(InstanceChannel::DefaultServerName());
    std::vector<InstanceRequest> requests{{InstanceRequest::Activate, {}}};
    if (commandLine.searchName)
        requests.push_back({InstanceRequest::Search, ToQString(*commandLine.searchName)});
    if (commandLine.directoryToRead)
        requests.push_back({InstanceRequest::ReadDirectory, ToQString(*commandLine.directoryToRead)});
    if (channel->sendToRunning(requests, 1000))
        return 0;
    channel->listen();

    static MimeTypeNames typeNames;
    SetFileTypeNameProvider(&typeNames);

    WindowContext context;
    context.store = &store;
    context.settings = settings;
    context.window = WindowSettings::Load(store);
    MainWindow window(context);
    QObject::connect(channel.get(), &InstanceChannel::activateRequested, &window,
                     &MainWindow::activate);
    QObject::connect(channel.get(), &InstanceChannel::searchRequested, &window,
                     &MainWindow::searchRequested);
    QObject::connect(channel.get(), &InstanceChannel::readDirectoryRequested, &window,
                     [&window](const QString& directory) {
                         window.activate();
                         // The read dialog is modal: it opens once the hand-over has ended.
                         QTimer::singleShot(0, &window, [&window, path = ToUtf8(directory)] {
                             window.readDisk(path);
                         });
                     });
    if (!settings.bSaveWindowSettings || context.window.bMaximized)
        window.showMaximized();
    else
        window.show();

    const StartChoice start = ChooseStartCatalog(commandLine, settings);
    switch (start.kind) {
        case StartCatalog::File:
            window.openCatalog(start.path);
            break;
        case StartCatalog::OpenDialog:
            window.runCommand(CommandId::Open);
            break;
        case StartCatalog::Empty:
            window.newCatalog();
            break;
    }
    if (commandLine.searchName)
        emit window.searchRequested(ToQString(*commandLine.searchName));
    if (commandLine.directoryToRead)
        QTimer::singleShot(0, &window, [&window, path = *commandLine.directoryToRead] {
            window.readDisk(path);
        });
    const int status = QApplication::exec();
    SetFileTypeNameProvider(nullptr);
    return status;
}

}  // namespace shelfmark
