// The main window's saved searches, found list export, optional columns and quick filter.
#include "core/main.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTreeView>

#include "core/FoundList.h"
#include "core/found_columns.h"
#include "core/found_export.h"
#include "core/found_list_file.h"
#include "core/msg.h"
#include "krellers/kreller_list_view.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"
#include "settings_ui/folder_browser.h"

namespace {

constexpr const char* kNulFilterName = "Paths separated by NUL bytes";

} // namespace

void TFmain::Tell(const std::string& text)
{
    if (dialogs_.Msg)
        dialogs_.Msg->Inform(text);
    else
        ShowError(text);
}

// ---- Saved searches ----

void TFmain::BuildSearchFileMenu(QMenu* file)
{
    QAction* before = N_Settings;
    auto insert = [&](const QString& text, const char* objectName, void (TFmain::*handler)()) {
        QAction* action = MenuAction(file, text, objectName, handler);
        file->removeAction(action);
        file->insertAction(before, action);
        return action;
    };
    N_Opensearch = insert("Open search...", "N_Opensearch", &TFmain::N_OpensearchClick);
    N_Savesearchas = insert("Save search as...", "N_Savesearchas", &TFmain::N_SavesearchasClick);
    N_Recentsearches = new QMenu("Recent searches", file);
    N_Recentsearches->setObjectName("N_Recentsearches");
    file->insertMenu(before, N_Recentsearches);
    connect(N_Recentsearches, &QMenu::aboutToShow, this, &TFmain::FillRecentSearchesMenu);
    N_Exportfoundlist = insert("Export found list...", "N_Exportfoundlist", &TFmain::N_ExportfoundlistClick);
    file->insertSeparator(before);
    P_Exportfoundlist = MenuAction(PopupMenu_found, "Export found list...", "P_Exportfoundlist",
                                   &TFmain::N_ExportfoundlistClick);
}

TSavedSearch TFmain::CurrentSearch() const
{
    TSavedSearch search;
    search.StartPaths = StartPaths();
    search.NameBox = NameBoxText();
    search.Krellers = CaptureKrellers(krellers_, unplacedKrellers_);
    return search;
}

bool TFmain::SaveSearchTo(const std::string& file)
{
    try {
        SaveSearchFile(file, CurrentSearch());
    } catch (const std::exception& error) {
        Tell(error.what());
        return false;
    }
    RememberRecentSearch(file);
    return true;
}

bool TFmain::OpenSearchFrom(const std::string& file)
{
    if (Searching)
        return false;
    TSavedSearch search;
    try {
        search = LoadSearchFile(file);
    } catch (const std::exception& error) {
        Tell(error.what());
        return false;
    }
    SetStartPaths(search.StartPaths, search.StartPaths.empty() ? -1 : 0);
    SetNameBoxText(search.NameBox);
    unplacedKrellers_ = ApplyKrellers(krellers_, search.Krellers);
    LV_krellers_->Refresh();
    RememberRecentSearch(file);
    UpdateCommands();
    const std::string unplaced = UnplacedKrellersText(unplacedKrellers_);
    if (!unplaced.empty())
        Tell(unplaced);
    return true;
}

void TFmain::N_SavesearchasClick()
{
    const auto file = ChooseRemembered(settings_->Store(), "SEARCH_FILE", {}, TChosenKind::File, [&](const std::string& start) {
        return AskFileToSave(this, start, "SaveDialog_search", SavedSearchFilter, SavedSearchExtension);
    });
    if (file)
        SaveSearchTo(*file);
}

void TFmain::N_OpensearchClick()
{
    if (Searching)
        return;
    const auto file = ChooseRemembered(settings_->Store(), "SEARCH_FILE", {}, TChosenKind::File, [&](const std::string& start) {
        return AskFileToOpen(this, start, "OpenDialog_search", SavedSearchFilter);
    });
    if (file)
        OpenSearchFrom(*file);
}

std::vector<std::string> TFmain::RecentSearches() const
{
    TSettingsStore* store = settings_->Store();
    return store ? store->RecentSearches() : recentSearches_;
}

void TFmain::RememberRecentSearch(const std::string& file)
{
    std::vector<std::string> recent = RecentSearches();
    PushRecentSearch(recent, file);
    if (TSettingsStore* store = settings_->Store())
        store->SetRecentSearches(recent);
    else
        recentSearches_ = recent;
}

void TFmain::FillRecentSearchesMenu()
{
    N_Recentsearches->clear();
    const std::vector<std::string> recent = RecentSearches();
    int number = 0;
    for (const std::string& file : recent) {
        ++number;
        QAction* action = N_Recentsearches->addAction(
            QString("&%1 %2").arg(number % 10).arg(QString::fromUtf8(file)));
        action->setObjectName(QString("N_Recentsearch%1").arg(number));
        action->setEnabled(!Searching);
        connect(action, &QAction::triggered, this, [this, file] { OpenSearchFrom(file); });
    }
    if (recent.empty())
        N_Recentsearches->addAction("(none)")->setEnabled(false);
}

// ---- Export ----

std::vector<TFoundColumn> TFmain::ShownFoundColumns() const
{
    const QHeaderView* header = LV_found->header();
    std::vector<TFoundColumn> shown;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            shown.push_back(static_cast<TFoundColumn>(logical));
    }
    return shown;
}

bool TFmain::ExportFoundListTo(const std::string& file, bool nulSeparated)
{
    try {
        if (nulSeparated) {
            platform::WriteFileAtomically(file, NulSeparatedPaths(FoundPathsShown()));
            return true;
        }
        const std::vector<TFoundColumn> columns = ShownFoundColumns();
        TCsvWriter csv;
        std::vector<std::string> fields;
        for (const TFoundColumn column : columns)
            fields.push_back(FoundColumnCaption(column));
        csv.Record(fields);
        found_->FillAllFacts();
        for (int position = 0; position < found_->Count(); ++position) {
            fields.clear();
            for (const TFoundColumn column : columns)
                fields.push_back(found_->CellBytes(position, column));
            csv.Record(fields);
        }
        platform::WriteFileAtomically(file, csv.Text());
    } catch (const std::exception& error) {
        Tell(error.what());
        return false;
    }
    return true;
}

void TFmain::N_ExportfoundlistClick()
{
    if (Searching || found_->Count() == 0)
        return;
    std::string filter;
    const auto file = ChooseRemembered(settings_->Store(), "EXPORT_FILE", {}, TChosenKind::File, [&](const std::string& start) {
        return AskFileToSave(this, start, "SaveDialog_export", CsvExportFilter, "", &filter);
    });
    if (!file)
        return;
    const bool nulSeparated = filter.rfind(kNulFilterName, 0) == 0;
    std::string target = *file;
    if (ExtensionOf(platform::FileNamePart(target)).empty())
        target += nulSeparated ? ".nul" : ".csv";
    ExportFoundListTo(target, nulSeparated);
}

// ---- Optional columns ----

void TFmain::BuildColumnMenu()
{
    QHeaderView* header = LV_found->header();
    const int widths[] = {300, 330, 60, 60, 120, 120, 140, 70, 80, 90};
    for (int column = 0; column < TFoundListModel::ColumnCount; ++column) {
        header->resizeSection(column, widths[column]);
        header->setSectionHidden(column, IsOptionalFoundColumn(static_cast<TFoundColumn>(column)));
    }
    PopupMenu_columns = new QMenu(this);
    PopupMenu_columns->setObjectName("PopupMenu_columns");
    for (int column = 0; column < TFoundListModel::ColumnCount; ++column) {
        const auto kind = static_cast<TFoundColumn>(column);
        if (!IsOptionalFoundColumn(kind))
            continue;
        QAction* action = PopupMenu_columns->addAction(QString::fromStdString(FoundColumnCaption(kind)));
        action->setObjectName(QString("P_Column%1").arg(QString::fromStdString(FoundColumnCaption(kind))));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this, kind](bool on) { ShowOptionalColumn(kind, on); });
    }
    connect(PopupMenu_columns, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : PopupMenu_columns->actions()) {
            const QSignalBlocker quiet(action);
            const auto shown = ShownFoundColumns();
            action->setChecked(std::any_of(shown.begin(), shown.end(), [&](TFoundColumn column) {
                return action->text().toStdString() == FoundColumnCaption(column);
            }));
        }
    });
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this,
            [this, header](const QPoint& at) { PopupMenu_columns->popup(header->mapToGlobal(at)); });
}

void TFmain::ShowOptionalColumn(TFoundColumn column, bool shown)
{
    if (!IsOptionalFoundColumn(column))
        return;
    LV_found->header()->setSectionHidden(static_cast<int>(column), !shown);
    KeepShownColumns(ShownColumnsText(ShownFoundColumns()));
}

void TFmain::RestoreShownColumns()
{
    const std::vector<TFoundColumn> shown = ParseShownColumns(ShownColumnsKept());
    QHeaderView* header = LV_found->header();
    for (int column = 0; column < TFoundListModel::ColumnCount; ++column) {
        const auto kind = static_cast<TFoundColumn>(column);
        if (IsOptionalFoundColumn(kind))
            header->setSectionHidden(column, std::find(shown.begin(), shown.end(), kind) == shown.end());
    }
}

// ---- Quick filter ----

QWidget* TFmain::BuildQuickFilter(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    Label_shown = new QLabel(box);
    Label_shown->setObjectName("Label_shown");
    Edit_filter = new QLineEdit(box);
    Edit_filter->setObjectName("Edit_filter");
    Edit_filter->setPlaceholderText("Filter by name or path (Ctrl+L)");
    Edit_filter->setClearButtonEnabled(true);
    Edit_filter->setMinimumWidth(260);
    row->addWidget(Label_shown);
    row->addWidget(Edit_filter);
    connect(Edit_filter, &QLineEdit::textChanged, this, [this](const QString& text) { SetQuickFilter(text); });
    auto* focus = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(focus, &QShortcut::activated, this, &TFmain::FocusQuickFilter);
    // Escape in the field clears it and goes back to the list.
    Edit_filter->installEventFilter(this);
    connect(found_, &TFoundListModel::Changed, this, &TFmain::UpdateShownCount);
    return box;
}

void TFmain::SetQuickFilter(const QString& text)
{
    if (Edit_filter->text() != text)
        Edit_filter->setText(text);  // comes back here through textChanged
    found_->SetQuickFilter(text.toStdString());
    FindIndex = SelectedFoundRow();
    UpdateShownCount();
}

void TFmain::FocusQuickFilter()
{
    Edit_filter->setFocus(Qt::ShortcutFocusReason);
    Edit_filter->selectAll();
}

QString TFmain::ShownCountText() const
{
    if (found_->QuickFilter().empty())
        return {};
    return QString("shown %1 of %2").arg(found_->Count()).arg(found_->Total());
}

void TFmain::UpdateShownCount()
{
    Label_shown->setText(ShownCountText());
}

bool TFmain::TypedIntoFoundList(QKeyEvent* event)
{
    // A printable key without Ctrl or Alt starts the filter; the list's own keys stay its own.
    const Qt::KeyboardModifiers held = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString text = event->text();
    if (held != Qt::NoModifier || text.isEmpty() || !text.at(0).isPrint() || text.at(0).isSpace())
        return false;
    Edit_filter->setFocus(Qt::OtherFocusReason);
    Edit_filter->insert(text);
    return true;
}

void TFmain::UpdateFoundToolCommands()
{
    const bool idle = !Searching;
    N_Opensearch->setEnabled(idle);
    N_Exportfoundlist->setEnabled(idle && found_->Count() > 0);
    P_Exportfoundlist->setEnabled(idle && found_->Count() > 0);
    UpdateFileActionCommands();
}
