// What the main window remembers between sessions: its place, its columns and splitter, the name
// box, the start paths and two switches, kept in the settings document's MAIN_WINDOW element.
#include "core/main.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>
#include <QSplitter>
#include <QTreeView>

#include "core/FoundList.h"
#include "core/start_path_box.h"
#include "krellers/kreller_list_view.h"
#include "tagged/remembered_state.h"

namespace {

const char* const kElement = "MAIN_WINDOW";
const char* const kGeometry = "GEOMETRY";        // x,y,width,height of the normal (not maximised) window
const char* const kMaximised = "MAXIMISED";
const char* const kFoundColumns = "FOUND_COLUMNS";
const char* const kShownColumns = "SHOWN_COLUMNS"; // the optional columns shown, by caption
const char* const kFoundSort = "FOUND_SORT";      // column,descending; no key: the found order
const char* const kKrellerColumns = "KRELLER_COLUMNS";
const char* const kSplitter = "SPLITTER";
const char* const kNameText = "NAME_TEXT";
const char* const kNameHistory = "NAME_HISTORY";
const char* const kStartPaths = "START_PATHS";
const char* const kStartSelected = "START_SELECTED";
const char* const kRememberPaths = "REMEMBER_PATHS";
const char* const kLiveResults = "LIVE_RESULTS";
const char* const kRecentPaths = "RECENT_PATHS";  // the path field's drop-down, newest first

std::vector<int> SectionSizes(const QHeaderView* header)
{
    std::vector<int> sizes;
    for (int i = 0; i < header->count(); ++i)
        sizes.push_back(header->sectionSize(i));
    return sizes;
}

// Sizes of a changed column set or of a damaged key are left alone; a stretched column takes
// what the others leave.
void ResizeSections(QHeaderView* header, const std::optional<std::vector<int>>& sizes)
{
    if (!sizes || static_cast<int>(sizes->size()) != header->count())
        return;
    for (int i = 0; i < header->count(); ++i) {
        if ((*sizes)[i] > 0 && header->sectionResizeMode(i) == QHeaderView::Interactive)
            header->resizeSection(i, (*sizes)[i]);
    }
}

} // namespace

std::optional<TRememberedState> TFmain::Remembered()
{
    TSettingsStore* store = settings_->Store();
    if (!store)
        return std::nullopt;
    return TRememberedState(store->Document(), kElement);
}

void TFmain::RestoreRememberedState()
{
    const std::optional<TRememberedState> state = Remembered();
    if (!state)
        return;
    RememberPaths = state->Switch(kRememberPaths, true);
    LiveResults = state->Switch(kLiveResults, true);
    N_Rememberstartpaths->setChecked(RememberPaths);
    N_Showfoundwhilesearching->setChecked(LiveResults);
    ResizeSections(LV_found->header(), state->Numbers(kFoundColumns));
    ResizeSections(LV_krellers_->header(), state->Numbers(kKrellerColumns));
    if (const auto sort = state->Numbers(kFoundSort); sort && sort->size() == 2 && (*sort)[0] >= 0 &&
                                                       (*sort)[0] < TFoundListModel::ColumnCount)
        LV_found->header()->setSortIndicator((*sort)[0], (*sort)[1] ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (const auto sizes = state->Numbers(kSplitter); sizes && sizes->size() == 2 && (*sizes)[0] >= 0 && (*sizes)[1] > 0)
        findChild<QSplitter*>("Splitter_main")->setSizes({(*sizes)[0], (*sizes)[1]});
    SetNameHistory(state->Texts(kNameHistory));
    SetNameBoxText(state->Text(kNameText));
    CMB_path->SetRecentPaths(state->Texts(kRecentPaths));
    const std::vector<std::string> paths = state->Texts(kStartPaths);
    if (RememberPaths && !paths.empty())
        SetStartPaths(paths, state->Number(kStartSelected, 0));
}

// The columns shown are kept at once, not only when the window closes.
void TFmain::KeepShownColumns(const std::string& text)
{
    if (std::optional<TRememberedState> state = Remembered())
        state->SetText(kShownColumns, text);
    else
        shownColumns_ = text;
}

std::string TFmain::ShownColumnsKept()
{
    const std::optional<TRememberedState> state = Remembered();
    return state ? state->Text(kShownColumns) : shownColumns_;
}

void TFmain::ShowAsRemembered()
{
    const std::optional<TRememberedState> state = Remembered();
    const auto geometry = state ? state->Numbers(kGeometry) : std::nullopt;
    if (geometry && geometry->size() == 4 && (*geometry)[2] > 0 && (*geometry)[3] > 0)
        setGeometry((*geometry)[0], (*geometry)[1], (*geometry)[2], (*geometry)[3]);
    if (!state || state->Switch(kMaximised, true))
        showMaximized();
    else
        show();
}

void TFmain::KeepRememberedState()
{
    std::optional<TRememberedState> state = Remembered();
    if (!state)
        return;
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    if (normal.isValid())
        state->SetNumbers(kGeometry, {normal.x(), normal.y(), normal.width(), normal.height()});
    state->SetSwitch(kMaximised, isMaximized());
    state->SetNumbers(kFoundColumns, SectionSizes(LV_found->header()));
    state->SetNumbers(kKrellerColumns, SectionSizes(LV_krellers_->header()));
    const TFoundSort& sort = found_->Sorting();
    if (sort.Active)
        state->SetNumbers(kFoundSort, {static_cast<int>(sort.Column), sort.Descending ? 1 : 0});
    else
        state->SetText(kFoundSort, {});
    const QList<int> sizes = findChild<QSplitter*>("Splitter_main")->sizes();
    if (sizes.size() == 2)
        state->SetNumbers(kSplitter, {sizes[0], sizes[1]});
    state->SetText(kNameText, NameBoxText());
    state->SetTexts(kNameHistory, NameHistory());
    state->SetSwitch(kRememberPaths, RememberPaths);
    state->SetSwitch(kLiveResults, LiveResults);
    state->SetTexts(kStartPaths, RememberPaths ? StartPaths() : std::vector<std::string>{});
    state->SetNumber(kStartSelected, LB_paths->currentRow());
    state->SetTexts(kRecentPaths, RecentStartPaths());
}
