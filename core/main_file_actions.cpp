// The main window's file actions on found rows: open with, move to trash, rename, properties.
#include "core/main.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

#include "core/FoundList.h"
#include "core/file_action_dialogs.h"
#include "core/file_actions.h"
#include "core/sure.h"
#include "platform/FileActions.h"
#include "platform/Icons.h"
#include "platform/Shell.h"

void TFmain::BuildFileActionMenu()
{
    P_Openwith = MenuAction(PopupMenu_found, "Open with...", "P_Openwith", &TFmain::N_OpenwithClick);
    PopupMenu_found->addSeparator();
    P_Rename = MenuAction(PopupMenu_found, "Rename...", "P_Rename", &TFmain::N_RenameClick, QKeySequence(Qt::Key_F2));
    P_Movetotrash = MenuAction(PopupMenu_found, "Move to Trash", "P_Movetotrash", &TFmain::N_MovetotrashClick,
                               QKeySequence(Qt::Key_Delete));
    P_Properties = MenuAction(PopupMenu_found, "Properties", "P_Properties", &TFmain::N_PropertiesClick,
                              QKeySequence(Qt::ALT | Qt::Key_Return));
    P_Movetotrash->setIcon(platform::CommandIcon("user-trash"));
    P_Properties->setIcon(platform::CommandIcon("document-properties"));
}

bool TFmain::FileActionKey(QKeyEvent* event)
{
    const QKeySequence pressed(event->keyCombination());
    for (QAction* action : {P_Rename, P_Movetotrash, P_Properties}) {
        if (action->shortcut() == pressed) {
            if (action->isEnabled())
                action->trigger();
            return true;
        }
    }
    return false;
}

void TFmain::UpdateFileActionCommands()
{
    const bool idle = !Searching;
    const bool oneSelected = SelectedFoundRow() >= 0;
    P_Openwith->setEnabled(idle && oneSelected);
    P_Rename->setEnabled(idle && oneSelected);
    P_Properties->setEnabled(idle && oneSelected);
    P_Movetotrash->setEnabled(idle && !SelectedFoundRows().empty());
}

bool TFmain::Confirmed(const std::string& question)
{
    // A file is never changed unasked: without the dialog to ask, the answer is no.
    return dialogs_.Sure && dialogs_.Sure->Ask(question);
}

void TFmain::N_OpenwithClick()
{
    const int position = SelectedFoundRow();
    if (Searching || position < 0)
        return;
    const std::string path = found_->Row(position).Path;
    if (!openWithDialog_)
        openWithDialog_ = new TD_open_with(this);
    const std::optional<std::string> application = openWithDialog_->Choose(path, platform::ApplicationsFor(path));
    if (!application)
        return;
    try {
        platform::OpenWithApplication(*application, path);
    } catch (const std::exception& error) {
        Tell(error.what());
    }
}

void TFmain::N_MovetotrashClick()
{
    TrashFoundRows(SelectedFoundRows());
}

void TFmain::TrashFoundRows(const std::vector<int>& positions)
{
    if (Searching || positions.empty())
        return;
    std::vector<std::string> paths;
    for (const int position : positions)
        paths.push_back(found_->Row(position).Path);
    if (!Confirmed(TrashQuestion(paths)))
        return;
    const TTrashOutcome outcome = TrashEach(paths, platform::MoveToTrash);
    std::vector<int> gone;
    for (const std::size_t trashed : outcome.Trashed)
        gone.push_back(positions[trashed]);
    if (!gone.empty()) {
        const int first = *std::min_element(gone.begin(), gone.end());
        found_->RemoveShown(gone);
        // The keyboard goes on from where the files were.
        if (found_->Count() > 0 && SelectedFoundRows().empty())
            SelectFoundRow(std::min(first, found_->Count() - 1));
        FindIndex = SelectedFoundRow();
        UpdateCommands();
    }
    const std::string failed = TrashFailureText(outcome);
    if (!failed.empty())
        Tell(failed);
}

void TFmain::N_RenameClick()
{
    const int position = SelectedFoundRow();
    if (Searching || position < 0)
        return;
    const std::string path = found_->Row(position).Path;
    if (!renameDialog_)
        renameDialog_ = new TD_rename(this);
    const std::optional<std::string> newName = renameDialog_->Ask(
        path, [path](const std::string& name) { return RenameRefusal(path, name, platform::SomethingAt); });
    if (newName)
        RenameFoundRow(position, *newName);
}

bool TFmain::RenameFoundRow(int position, const std::string& newName)
{
    if (Searching || position < 0 || position >= found_->Count())
        return false;
    const std::string path = found_->Row(position).Path;
    const std::string refused = RenameRefusal(path, newName, platform::SomethingAt);
    if (!refused.empty()) {
        Tell(refused);
        return false;
    }
    if (newName == found_->Row(position).Name() || !Confirmed(RenameQuestion(path, newName)))
        return false;
    const std::string newPath = RenamedPath(path, newName);
    try {
        platform::RenameWithoutReplacing(path, newPath);
    } catch (const std::exception& error) {
        Tell(error.what());
        return false;
    }
    found_->RenameShown(position, newPath);
    LV_found->scrollTo(LV_found->currentIndex());
    UpdateCommands();
    return true;
}

void TFmain::N_PropertiesClick()
{
    const int position = SelectedFoundRow();
    if (Searching || position < 0)
        return;
    const std::string path = found_->Row(position).Path;
    platform::TFileProperties properties;
    try {
        properties = platform::ReadFileProperties(path);
    } catch (const std::exception& error) {
        Tell(error.what());
        return;
    }
    if (!propertiesDialog_)
        propertiesDialog_ = new TD_properties(this);
    propertiesDialog_->ShowModally(path, PropertyRows(path, properties));
}
