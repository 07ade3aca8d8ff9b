#include "settings_ui/folder_browser.h"

#include "platform/FileSystem.h"
#include "settings_ui/ui_text.h"
#include "tagged/settings_store.h"

#include <QFile>
#include <QFileDialog>

std::optional<std::string> BrowseSystemFolder(QWidget* parent, const std::string& title, const std::string& start)
{
    const QString folder =
        QFileDialog::getExistingDirectory(parent, ToQ(title), QFile::decodeName(QByteArray::fromStdString(start)));
    if (folder.isEmpty())
        return std::nullopt;
    // The dialog shows names, so a byte that is not UTF-8 came back as a replacement character:
    // the real name is the entry that is shown the same way.
    const std::string shown = QFile::encodeName(folder).toStdString();
    const auto shownName = [](const std::string& name) {
        return QFile::encodeName(QFile::decodeName(QByteArray::fromStdString(name))).toStdString();
    };
    return platform::PathShownAs(shown, shownName).value_or(shown);
}

std::optional<std::string> ChooseRemembered(TSettingsStore* store, const std::string& purpose,
                                            const std::string& selected, TChosenKind kind, const TChooseFrom& choose)
{
    const std::string start = store ? store->DialogFolder(purpose, selected) : FirstExistingFolder(selected, {});
    const std::optional<std::string> chosen = choose(start);
    if (chosen && store)
        store->RememberDialogFolder(purpose, kind == TChosenKind::File ? platform::ParentDirectory(*chosen) : *chosen);
    return chosen;
}
