#include "foundation/ui/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

#include "foundation/LanguageTexts.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

QString QtFileFilters(std::string_view barSeparated) {
    const QStringList parts = ToQString(barSeparated).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i].trimmed();
        if (label.endsWith(QLatin1Char(')')) && label.contains(QLatin1Char('(')))
            label = label.left(label.lastIndexOf(QLatin1Char('('))).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        patterns.removeAll(QString());
        if (!patterns.isEmpty())
            filters << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                           QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QString AllFilesFilter() {
    return QtFileFilters(Str(209));
}

QString FileFilterWithAllFiles(const QString& label, std::string_view extension) {
    QString filter = label + QStringLiteral(" (*.") + ToQString(extension) + QLatin1Char(')');
    const QString all = AllFilesFilter();
    if (!all.isEmpty())
        filter += QStringLiteral(";;") + all;
    return filter;
}

std::optional<std::string> AskSaveFile(QWidget* parent, const QString& caption,
                                       const QString& filter, const QString& defaultSuffix,
                                       const std::string& suggestion) {
    QFileDialog dialog(parent, caption, ToQString(suggestion), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToUtf8(dialog.selectedFiles().front());
}

std::vector<std::string> AskOpenFiles(QWidget* parent, const QString& caption,
                                      const QString& filter) {
    std::vector<std::string> paths;
    for (const QString& path : QFileDialog::getOpenFileNames(parent, caption, QString(), filter))
        paths.push_back(ToUtf8(path));
    return paths;
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace shelfmark
