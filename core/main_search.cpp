// The main window's search run, its services to the walk and the progress window, and the states
// of its commands.
#include "core/main.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "core/FoundList.h"
#include "core/msg.h"
#include "core/search_summary.h"
#include "core/start_path_box.h"
#include "krellers/kreller_list_view.h"
#include "platform/Icons.h"
#include "platform/Text.h"

std::string TFmain::NameBoxText() const
{
    return CMB_name->currentText().toStdString();
}

void TFmain::SetNameBoxText(const std::string& text)
{
    CMB_name->setEditText(QString::fromStdString(text));
}

std::vector<std::string> TFmain::NameHistory() const
{
    std::vector<std::string> texts;
    for (int i = 0; i < CMB_name->count(); ++i)
        texts.push_back(CMB_name->itemText(i).toStdString());
    return texts;
}

void TFmain::SetNameHistory(const std::vector<std::string>& texts)
{
    const QString typed = CMB_name->currentText();
    CMB_name->clear();
    for (const std::string& text : texts) {
        if (CMB_name->count() == NameHistoryLength)
            break;
        if (!text.empty() && CMB_name->findText(QString::fromStdString(text), Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            CMB_name->addItem(QString::fromStdString(text));
    }
    CMB_name->setEditText(typed);
}

void TFmain::RememberNameInHistory(const std::string& text)
{
    if (platform::Trimmed(text).empty())
        return;
    std::vector<std::string> texts = NameHistory();
    std::erase(texts, text);
    texts.insert(texts.begin(), text);
    SetNameHistory(texts);
}

void TFmain::Edit_nameChange()
{
    if (Searching || !listedRunPaths_ || *listedRunPaths_ != StartPaths())
        return;
    found_->SetNameFilter(TNameFilter(NameBoxText()));
    if (!found_->NameFilter().Active()) {
        SetStatusText("");
        return;
    }
    SetStatusText(std::to_string(found_->Count()) + " of " + std::to_string(found_->Total()) +
                  " files listed match; Enter searches again");
}

void TFmain::SB_runClick()
{
    if (Searching || !SB_run->isEnabled())
        return;
    const std::string name = NameBoxText();
    krellers_.SetNameFilter(TNameFilter(name));
    RememberNameInHistory(name);
    listedRunPaths_ = StartPaths();
    RememberRecentStartPaths(*listedRunPaths_);
    walk_.StopRequested = false;
    Searching = true;
    UpdateCommands();
    found_->Clear();
    found_->HoldOrder(true);
    if (!LiveResults) {
        LV_found->repaint();  // the emptied list is what stays on screen while repainting is suspended
        LV_found->setUpdatesEnabled(false);
    }
    walk_.ResetCounters();
    funnel_ = krellers_.StartFunnel(DirsItem);
    runStart_ = std::chrono::steady_clock::now();
    livePacing_.Restart();
    runStatus_ = {};
    runStatus_.Ran = true;
    runStatus_.Running = true;
    ShowRunStatus(runStatus_);
    ShowRunCounts();
    std::string failure;
    try {
        const int count = LB_paths->count();
        for (int i = 0; i < count; ++i) {
            LoadKrellerConditions();
            const TReadingAheadScope readingAhead(krellers_, DirsItem);  // its workers end with the scan
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
    FitSizeAndDateColumns();
    if (progress_) {
        if (progress_->ShownFlag)
            progress_->close();
        progress_->ResetProgress();
    }
    EndRunStatus();
    UpdateCommands();
    if (!failure.empty())
        ShowError(failure);
    if (closePending_)
        QTimer::singleShot(0, this, &QWidget::close);
    else if (failure.empty() && runStatus_.FailedFiles > 0)
        search_result_info();  // an empty list must not look like a search that found nothing
}

void TFmain::SB_runOrStopClick()
{
    if (!Searching) {
        SB_runClick();
        return;
    }
    // At once and without asking; the break dialog stays at the progress window's link.
    StopSearch();
    if (progress_)
        progress_->BreakProgress(true);
}

void TFmain::EndRunStatus()
{
    runStatus_ = TRunStatus::Ended(walk_.FoundCount, walk_.StopRequested, std::chrono::steady_clock::now() - runStart_,
                                   funnel_);
    ShowRunStatus(runStatus_);
}

void TFmain::ShowRunStatus(const TRunStatus& status)
{
    setWindowTitle(QString::fromStdString(RunTitleText(status)));
    if (!status.Running)
        SetStatusText(RunStatusText(status));
    static const char* const kLooks[] = {
        "stop:0 #d8ffb0, stop:1 #50a020); border: 1px solid #406020;",  // a good run
        "stop:0 #fff0a0, stop:1 #e08000); border: 1px solid #805000;",  // errors
        "stop:0 #f0f0f0, stop:1 #909090); border: 1px solid #505050;",  // stopped
    };
    // The round look replaces the style's focus frame, so the focus draws a ring of its own.
    SB_found_stat->setStyleSheet(QString("QToolButton { border-radius: 8px; background: qradialgradient(cx:0.4, "
                                         "cy:0.4, radius:0.6, fx:0.3, fy:0.3, %1 } "
                                         "QToolButton:focus { border: 2px solid palette(highlight); }")
                                     .arg(kLooks[static_cast<int>(IndicatorState(status))]));
    SB_found_stat->setToolTip(QString::fromStdString(IndicatorToolTip(status)));
    Label_found_stat->setText(QString::fromStdString(IndicatorWord(status)));
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
    runStatus_.Found = walk_.FoundCount;
    ShowRunStatus(runStatus_);
    if (progress_)
        walk_.StopRequested = !progress_->ReportProgress(walk_.FoundCount, walk_.TotalCount);
    // Off, the rows wait for the end of the run, as the view does not paint meanwhile.
    if (LiveResults && livePacing_.Due(std::chrono::steady_clock::now())) {
        // Only the list's own work is timed: the other windows' events (the progress window's
        // first painting, say) would put the next refresh off for seconds.
        const auto start = std::chrono::steady_clock::now();
        found_->Flush();
        LV_found->viewport()->repaint();  // where the view lays the new rows out and paints them
        const auto end = std::chrono::steady_clock::now();
        livePacing_.Done(end - start, end);
    }
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

// Rows sorted by a fact need it for every file at the end of the run, when the walk's workers
// are no longer there to ask for them many at a time.
bool TFmain::NeedsFileFacts()
{
    return krellers_.NeedsFileFacts(DirsItem) || found_->SortNeedsFacts();
}

bool TFmain::NeedsDirectoryFacts()
{
    return DirectoriesNeedFacts(DirsItem);
}

bool TFmain::EntriesListed(const std::string& dir, std::span<const FileEntry> entries,
                           const platform::TWalkPlace& first)
{
    return krellers_.ReadAhead(dir, entries, first);
}

bool TFmain::ListsAhead()
{
    return krellers_.ReadingAhead() != nullptr;
}

bool TFmain::MayListAhead(const FileEntry& directory, const std::string& path)
{
    return DirectoryPassesAhead(DirsItem, directory, path);
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
    statusPanels_[2]->setToolTip({});
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
    return ::SearchResultText(TRunOutcome{found_->Total(), walk_.StopRequested, walk_.TotalCount, walk_.Unread, walk_.MissingStartPaths}, funnel_);
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
    // While a search runs the Run button is its Stop button.
    SB_run->setText(idle ? "Run (F9)" : "Stop");
    // In colour whatever the theme draws: a grey start icon reads as a disabled button.
    SB_run->setIcon(platform::CommandIconInColour(idle ? "media-playback-start" : "media-playback-stop"));
    enable({SB_add_path, N_Adddirectory, N_Startsearch, SB_exit, N_Exit, N_Loadfoundfileslist,
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
    UpdatePreviewCommands();
}

