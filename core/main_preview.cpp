// The preview pane beside the found list: shown from the "Found list" menu, fed with the selected
// row, and kept with the window's other state.
#include "core/main.h"

#include <QAction>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

#include "core/FoundList.h"
#include "core/preview_pane.h"
#include "krellers/context_condition.h"
#include "krellers/kreller.h"
#include "plugins/plugin_host.h"
#include "tagged/remembered_state.h"

namespace {

const char* const kPreviewShown = "PREVIEW";
const char* const kPreviewSplitter = "PREVIEW_SPLITTER";  // list width, pane width

} // namespace

QWidget* TFmain::WithPreviewPane(QWidget* results)
{
    auto* splitter = new QSplitter(Qt::Horizontal, results->parentWidget());
    splitter->setObjectName("Splitter_preview");
    splitter->addWidget(results);
    preview_ = new TO_preview(splitter);
    splitter->addWidget(preview_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);
    preview_->hide();
    connect(LV_found->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { PreviewSelected(); });
    connect(LV_found->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { PreviewSelected(); });
    // Emptied, filtered or loaded anew: no row is selected any more.
    connect(found_, &QAbstractItemModel::modelReset, this, [this] { PreviewSelected(); });
    connect(preview_, &TO_preview::HitsChanged, this, [this] { UpdatePreviewCommands(); });
    connect(preview_, &TO_preview::ConversionEnded, this, [this] {
        if (closePending_)
            QTimer::singleShot(0, this, &QWidget::close);
    });
    return splitter;
}

void TFmain::BuildPreviewMenu(QMenu* foundList)
{
    foundList->addSeparator();
    N_Preview = MenuAction(foundList, "Preview", "N_Preview", nullptr, QKeySequence(Qt::CTRL | Qt::Key_P));
    N_Preview->setCheckable(true);
    connect(N_Preview, &QAction::toggled, this, [this](bool on) { ShowPreview(on); });
    N_Nexthit = MenuAction(foundList, "Next hit", "N_Nexthit", nullptr, QKeySequence(Qt::Key_F4));
    connect(N_Nexthit, &QAction::triggered, preview_, &TO_preview::NextHit);
    N_Previoushit = MenuAction(foundList, "Previous hit", "N_Previoushit", nullptr, QKeySequence(Qt::SHIFT | Qt::Key_F4));
    connect(N_Previoushit, &QAction::triggered, preview_, &TO_preview::PreviousHit);
}

bool TFmain::PreviewShown() const
{
    return N_Preview->isChecked();
}

void TFmain::ShowPreview(bool shown)
{
    N_Preview->setChecked(shown);
    preview_->setVisible(shown);
    PreviewSelected();
}

std::vector<std::string> TFmain::PreviewKeywords() const
{
    const TChainKreller* context = natives_.Context;
    for (std::size_t i = 0; context && i < krellers_.Count(); ++i) {
        const TKrellerRow& row = krellers_.Row(i);
        if (row.Kreller == context && row.Checked && row.HasCondition())
            return ContextConditionKeywords(TConditionStrings(row.Strings.begin() + 1, row.Strings.end()));
    }
    return {};
}

void TFmain::PreviewSelected()
{
    const int row = SelectedFoundRow();
    if (!PreviewShown() || row < 0) {
        // A hidden pane reads nothing; it catches up when shown.
        preview_->Clear();
        return;
    }
    const std::string& path = found_->Row(row).Path;
    if (path == preview_->ShownPath() && !preview_->Loading())
        return;
    // During a search the Context kreller has the cartridges; their text is shown once it ends.
    TCartridgeText converted;
    if (!Searching && !plugins_.ContextCartridges().empty())
        converted = FirstAcceptingCartridge(plugins_.ContextCartridges());
    preview_->ShowFile(path, PreviewKeywords(), converted);
}

void TFmain::UpdatePreviewCommands()
{
    if (!N_Preview)
        return;
    const bool hits = PreviewShown() && preview_->HitCount() > 0;
    N_Nexthit->setEnabled(hits);
    N_Previoushit->setEnabled(hits);
    if (previewWhileSearching_ != Searching) {
        previewWhileSearching_ = Searching;
        // A search starts with an empty list; at its end a cartridge's text can be had again.
        if (Searching)
            preview_->Clear();
        else
            PreviewSelected();
    }
}

void TFmain::RestorePreviewState(const TRememberedState& state)
{
    ShowPreview(state.Switch(kPreviewShown, false));
    const auto sizes = state.Numbers(kPreviewSplitter);
    if (sizes && sizes->size() == 2 && (*sizes)[0] > 0 && (*sizes)[1] > 0)
        findChild<QSplitter*>("Splitter_preview")->setSizes({(*sizes)[0], (*sizes)[1]});
}

void TFmain::KeepPreviewState(TRememberedState& state)
{
    state.SetSwitch(kPreviewShown, PreviewShown());
    const QList<int> sizes = findChild<QSplitter*>("Splitter_preview")->sizes();
    if (sizes.size() == 2 && sizes[0] > 0 && sizes[1] > 0)
        state.SetNumbers(kPreviewSplitter, {sizes[0], sizes[1]});
}
