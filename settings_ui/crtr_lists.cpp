#include "settings_ui/crtr_lists.h"

#include "platform/DialogManners.h"
#include "platform/Shell.h"
#include "settings_ui/ui_text.h"

#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNameColumnWidth = 160;
constexpr int kFileColumnWidth = 120;

// A plug-in list row; the wrapper of its plug-in belongs to the plug-in host.
class TCrtrItem : public QTreeWidgetItem {
public:
    // Tells these rows from plain ones, which the base's AddItem can still put into the list.
    static constexpr int ItemType = QTreeWidgetItem::UserType + 1;

    explicit TCrtrItem(TListedCrtr* crtr) : QTreeWidgetItem(ItemType), crtr_(crtr) {}
    TListedCrtr* Crtr() const { return crtr_; }

private:
    TListedCrtr* crtr_;
};

const TAboutCrtrTexts kCartridgeTexts = {
    "Cartridges",
    "Cartridges install/uninstall",
    "To add a cartridge:",
    {"1 Close the program.", "2 Put cartridge library file into context_crtrs directory or run cartridge installer.",
     "3 Open the program again. Suitable library file will be loaded as a cartridge."},
    "To remove cartridge:",
    {"1 Close the program.", "2 Remove cartridge library file from context_crtrs directory.",
     "3 Open the program again."},
    "Find more cartridges at:",
};

const TAboutCrtrTexts kCustomKrellerTexts = {
    "Custom krellers",
    "Custom krellers install/uninstall",
    "To add a custom kreller:",
    {"1 Close the program.",
     "2 Put kreller library file into custom_krellers directory or run installer of the kreller.",
     "3 Open the program again. Suitable library file will be loaded as a custom kreller."},
    "To remove custom kreller:",
    {"1 Close the program.", "2 Remove cartridge library file from custom_krellers directory.",
     "3 Open the program again."},
    "Click here to find more plugins at:",
};

QLabel* BoldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

void AddSteps(QVBoxLayout& layout, const char* const (&steps)[3], QWidget* parent)
{
    for (const char* step : steps)
        layout.addWidget(new QLabel(step, parent));
}

} // namespace

// ---- TO_crtrs ----

TO_crtrs::TO_crtrs(QWidget* parent) : TO_selected_list(parent)
{
    setObjectName("TO_crtrs");
    LV1->installEventFilter(this);
}

bool TO_crtrs::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LV1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit ItemActivated();
            return true;
        }
    }
    return TO_selected_list::eventFilter(watched, event);
}

void TO_crtrs::SetCrtrColumns(const QString& nameCaption)
{
    SetColumns({{nameCaption, kNameColumnWidth}, {"Library file", kFileColumnWidth}}, true);
    // The names take the room the library files leave, so neither hides behind a scroll bar.
    LV1->header()->setStretchLastSection(false);
    LV1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    LV1->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
}

void TO_crtrs::AddCrtr(const std::string& name, const std::string& fileName, TListedCrtr* crtr)
{
    AppendItem(new TCrtrItem(crtr), name, fileName);
}

TListedCrtr* TO_crtrs::CrtrItemAt(int index) const
{
    const QTreeWidgetItem* item = ItemAt(index);
    if (!item || item->type() != TCrtrItem::ItemType)
        return nullptr;
    return static_cast<const TCrtrItem*>(item)->Crtr();
}

void TO_crtrs::SetUpSelected()
{
    TListedCrtr* crtr = CrtrItemAt(SelectedIndex());
    if (!crtr)
        return;
    try {
        crtr->CallSetUp();
    } catch (...) {
        // A plug-in's own settings dialog failing is no concern of the host.
    }
}

TO_crtrs_context::TO_crtrs_context(QWidget* parent) : TO_crtrs(parent)
{
    setObjectName("TO_crtrs_context");
    SetCrtrColumns("Cartridge name");
}

void TO_crtrs_context::ShowPlugins(const TPluginHost& host) { ShowCrtrs(host.Cartridges()); }

TO_crtrs_ckreller::TO_crtrs_ckreller(QWidget* parent) : TO_crtrs(parent)
{
    setObjectName("TO_crtrs_ckreller");
    SetCrtrColumns("Custom kreller name");
}

void TO_crtrs_ckreller::ShowPlugins(const TPluginHost& host) { ShowCrtrs(host.CustomKrellers()); }

TNoxCrtr_ckreller* TO_crtrs_ckreller::CrtrAt(int index) const
{
    return dynamic_cast<TListedCkreller*>(CrtrItemAt(index));
}

// ---- TFabout_crtr ----

TFabout_crtr::TFabout_crtr(QWidget* parent) : TFabout_crtr(kCartridgeTexts, parent)
{
    setObjectName("TFabout_crtr");
}

TFabout_crtr::TFabout_crtr(const TAboutCrtrTexts& texts, QWidget* parent) : QDialog(parent)
{
    BuildControls(texts);
}

void TFabout_crtr::BuildControls(const TAboutCrtrTexts& texts)
{
    setWindowTitle(texts.Caption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BoldLabel(texts.Heading, this));
    layout->addWidget(BoldLabel(texts.AddTitle, this));
    AddSteps(*layout, texts.AddSteps, this);
    layout->addWidget(BoldLabel(texts.RemoveTitle, this));
    AddSteps(*layout, texts.RemoveSteps, this);
    Label_folders = new QLabel(this);
    Label_folders->setObjectName("Label_folders");
    Label_folders->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label_folders->hide();
    layout->addWidget(Label_folders);
    layout->addWidget(new QLabel(texts.LinkTitle, this));

    Label_link = new QLabel(this);
    Label_link->setObjectName("Label_link");
    Label_link->setTextFormat(Qt::RichText);
    Label_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(Label_link, &QLabel::linkActivated, this,
            [](const QString& address) { platform::OpenAddress(FromQ(address)); });
    layout->addWidget(Label_link);

    CB_close = new QCheckBox("Close the program now", this);
    CB_close->setObjectName("CB_close");
    auto* btn_ok = new QPushButton("Ok", this);
    btn_ok->setObjectName("btn_ok");
    btn_ok->setDefault(true);
    connect(btn_ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CB_close);
    bottom->addStretch();
    bottom->addWidget(btn_ok);
    layout->addLayout(bottom);
    platform::MakeFixedSizeDialog(this);
}

void TFabout_crtr::SetLinkAddress(const std::string& address)
{
    // A page of the program's own is shown by its full path, not as "../docs/...".
    const QString target = ToQ(address);
    const QString shown = QUrl(target).scheme().isEmpty() ? QFileInfo(target).absoluteFilePath() : target;
    Label_link->setText(address.empty() ? QString()
                                        : QString("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), shown.toHtmlEscaped()));
}

void TFabout_crtr::SetFolders(const std::vector<std::string>& folders)
{
    QString text = folders.size() == 1 ? "The folder:" : "The folders, read in this order:";
    for (const std::string& folder : folders)
        text += "\n    " + ToQ(folder);
    Label_folders->setText(text);
    Label_folders->setVisible(!folders.empty());
}

void TFabout_crtr::Execute()
{
    CloseRequested = false;
    CB_close->setChecked(false);
    CentreOnScreen();
    exec();
    CloseRequested = CB_close->isChecked();
}

// Without a position of its own, the dialog would be centred on the settings dialog instead.
void TFabout_crtr::CentreOnScreen()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    adjustSize();
    QRect placed = frameGeometry();
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
}

TFabout_ckrellers::TFabout_ckrellers(QWidget* parent) : TFabout_crtr(kCustomKrellerTexts, parent)
{
    setObjectName("TFabout_ckrellers");
}
