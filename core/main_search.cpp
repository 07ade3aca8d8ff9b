// The main window's search run, its services to the walk and the progress window, and the states
// of its commands.
#include "core/main.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "core/FoundList.h"
#include "core/msg.h"
#include "core/search_summary.h"
#include "krellers/kreller_list_view.h"

void TFmain::SB_runClick()
{
    if (Searching || !SB_run->isEnabled())
        return;
    walk_.StopRequested = false;
    Searching = true;
    UpdateCommands();
    found_->Clear();
    found_->HoldOrder(true);
    LV_found->repaint();  // the emptied list is what stays on screen while repainting is suspended
    LV_found->setUpdatesEnabled(false);
    walk_.ResetCounters();
    funnel_ = krellers_.StartFunnel(DirsItem);
    ShowRunCounts();
    std::string failure;
    try {
        const int count = LB_paths->count();
        for (int i = 0; i < count; ++i) {
            LoadKrellerConditions();
            Timer_refresh->start();
            walk_.ScanDirectory(StartPathAt(i));
            if (walk_.StopRequested)
                break;
        }
    } catch (const std::exception& error) {
        failure = error.what();
    }
    Searching = false;
    Timer_refresh->stop();
    found_->HoldOrder(false);
    FindIndex = SelectedFoundRow();
    LV_found->setUpdatesEnabled(true);
    ShowRunCounts();
    FitSizeColumn();
    if (progress_) {
        if (progress_->ShownFlag)
            progress_->close();
        progress_->ResetProgress();
    }
    SetStatusText("");
    UpdateCommands();
    if (!failure.empty())
        ShowError(failure);
    if (closePending_)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TFmain::LoadKrellerConditions()
{
    LV_krellers_->Krellers().LoadKrellerConditions();
}

void TFmain::Timer_refreshTimer()
{
    if (!Searching)
        return;
    SetStatusText(walk_.CurrentPath);
    ShowRunCounts();
    found_->Flush();
    if (progress_)
        walk_.StopRequested = !progress_->ReportProgress(walk_.FoundCount, walk_.TotalCount);
    QCoreApplication::processEvents();
}

void TFmain::LetEventsRun()
{
    QCoreApplication::processEvents();
}

bool TFmain::DirectoryPasses(const FileEntry& entry, const std::string& path)
{
    return JudgeDirectory(DirsItem, entry, path, &funnel_).Passed();
}

bool TFmain::FilePassesKrellers(const FileEntry& entry, const std::string& path)
{
    return krellers_.JudgeFile(entry, path, DirsItem, &funnel_).Passed();
}

void TFmain::AddFoundFile(const FileEntry& entry, const std::string& path)
{
    found_->Append(entry, path);
}

void TFmain::IgnoreCurrentFile()
{
    walk_.IgnoreCurrent = true;
}

void TFmain::StopSearch()
{
    walk_.StopRequested = true;
}

bool TFmain::CurrentFileAbandoned() const
{
    return walk_.IgnoreCurrent || walk_.StopRequested;
}

void TFmain::SetStatusText(const std::string& text)
{
    statusPanels_[2]->setText(QString::fromUtf8(text));
}

QString TFmain::StatusText() const
{
    return statusPanels_[2]->text();
}

QString TFmain::StatusPanelText(int panel) const
{
    return statusPanels_[panel]->text();
}

void TFmain::ShowRunCounts()
{
    statusPanels_[0]->setText(QString("Examined: %1").arg(walk_.TotalCount));
    statusPanels_[1]->setText(QString("Found: %1").arg(walk_.FoundCount));
}

std::string TFmain::SearchResultText() const
{
    return ::SearchResultText(TRunOutcome{found_->TotalCount(), walk_.StopRequested, walk_.TotalCount, walk_.Unread, walk_.MissingStartPaths}, funnel_);
}

void TFmain::search_result_info()
{
    if (dialogs_.Msg)
        dialogs_.Msg->Inform(SearchResultText());
}

void TFmain::UpdateCommands()
{
    const bool idle = !Searching;
    const bool pathSelected = !LB_paths->selectedItems().isEmpty();
    const bool krellerSelected = LV_krellers_->SelectedRow() != nullptr;
    const bool foundSelected = SelectedFoundRow() >= 0;
    const bool foundNotEmpty = found_->rowCount() > 0;
    const bool viaPlugin = idle && ViewViaPlugin(false);

    const auto enable = [](std::initializer_list<QObject*> controls, bool enabled) {
        for (QObject* control : controls) {
            if (auto* widget = qobject_cast<QWidget*>(control))
                widget->setEnabled(enabled);
            else if (auto* action = qobject_cast<QAction*>(control))
                action->setEnabled(enabled);
        }
    };
    enable({SB_add_path, N_Adddirectory, SB_run, N_Startsearch, SB_exit, N_Exit, N_Loadfoundfileslist,
            P_Loadfoundfileslist, N_Settings}, idle);
    enable({SB_del_path, N_Deletedirectory, SB_save_path}, idle && pathSelected);
    enable({SB_kreller, N_Editcurrentkreller}, idle && krellerSelected);
    enable({SB_view, N_Viewfile, P_Viewfileastext, SB_open, N_Openfile, P_Openfile, N_Opencontainingfolder,
            P_Opencontainingfolder}, idle && foundSelected);
    enable({P_Copyfullpath, P_Copyfilename}, foundSelected);
    enable({N_Whynotfound}, idle);
    enable({SB_view_plugin, N_Viewfileviaplugin, P_Viewfileviaplugin}, viaPlugin);
    enable({SB_findinfound, N_Searchinfoundfilenames, N_Savefoundfileslist, P_Savefoundfileslist}, idle && foundNotEmpty);
    LV_krellers_->SetSearching(Searching);
    UpdateFoundToolCommands();
}

