#include "kreller_gfs/image_condition_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace gfs {
namespace {

// The panel below the mode group: index 0 shows no mode, 1 + mode each mode's panel.
int PanelIndex(std::optional<TImageMode> mode)
{
    return mode ? 1 + static_cast<int>(*mode) : 0;
}

QWidget* TextPanel(const char* text, QCheckBox* square = nullptr)
{
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel(text));
    if (square)
        layout->addWidget(square);
    layout->addStretch();
    return panel;
}

QCheckBox* SquareBox(const char* name)
{
    auto* box = new QCheckBox("Accept square pictures (width = height)");
    box->setObjectName(name);
    return box;
}

QSpinBox* BoundField(const char* name)
{
    auto* field = new QSpinBox;
    field->setObjectName(name);
    field->setRange(kBoundMin, kBoundMax);
    return field;
}

int FieldValue(const QSpinBox* field)
{
    return BoundFromText(field->cleanText().toStdString());
}

// The 13 sizes flow top to bottom in three columns of five rows.
QListWidget* BannerList()
{
    auto* list = new QListWidget;
    list->setObjectName("CB_banners");
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setGridSize(QSize(130, 22));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setFixedSize(3 * 130 + 8, 5 * 22 + 8);
    for (const char* size : kBannerSizes) {
        auto* item = new QListWidgetItem(size, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }
    return list;
}

} // namespace

TO_image_condition::TO_image_condition(QWidget* parent)
    : QWidget(parent)
{
    RG1 = new QGroupBox("Graphical files to select:");
    RG1->setObjectName("RG1");
    modeButtons_ = new QButtonGroup(this);
    auto* modeLayout = new QVBoxLayout(RG1);
    for (int i = 0; i < kModeCount; ++i) {
        auto* button = new QRadioButton(kModeCaptions[i]);
        button->setObjectName(QString("RG1_item%1").arg(i));
        modeButtons_->addButton(button, i);
        modeLayout->addWidget(button);
    }

    CB_sqr_portrait = SquareBox("CB_sqr_portrait");
    CB_sqr_landscape = SquareBox("CB_sqr_landscape");
    CB_banners = BannerList();
    SE_hmin = BoundField("SE_hmin");
    SE_hmax = BoundField("SE_hmax");
    SE_wmin = BoundField("SE_wmin");
    SE_wmax = BoundField("SE_wmax");

    auto* bannersPanel = new QWidget;
    auto* bannersLayout = new QVBoxLayout(bannersPanel);
    bannersLayout->addWidget(CB_banners);
    bannersLayout->addStretch();

    auto* customPanel = new QWidget;
    auto* customLayout = new QGridLayout(customPanel);
    customLayout->addWidget(new QLabel("Image height must be between "), 0, 0);
    customLayout->addWidget(SE_hmin, 0, 1);
    customLayout->addWidget(new QLabel("and "), 0, 2);
    customLayout->addWidget(SE_hmax, 0, 3);
    customLayout->addWidget(new QLabel("Image width must be between "), 1, 0);
    customLayout->addWidget(SE_wmin, 1, 1);
    customLayout->addWidget(new QLabel("and "), 1, 2);
    customLayout->addWidget(SE_wmax, 1, 3);
    customLayout->setColumnStretch(4, 1);
    customLayout->setRowStretch(2, 1);

    panels_ = new QStackedWidget;
    panels_->setObjectName("Panel_modes");
    panels_->addWidget(TextPanel("No condition deffined"));
    panels_->addWidget(TextPanel("Picture width must be less then picture height", CB_sqr_portrait));
    panels_->addWidget(TextPanel("Picture height must be less then picture width", CB_sqr_landscape));
    panels_->addWidget(bannersPanel);
    panels_->addWidget(customPanel);

    auto* btn_reset = new QPushButton("Reset");
    btn_reset->setObjectName("btn_reset");
    connect(btn_reset, &QPushButton::clicked, this, &TO_image_condition::btn_resetClick);
    connect(modeButtons_, &QButtonGroup::idClicked, this,
            [this](int id) { panels_->setCurrentIndex(PanelIndex(static_cast<TImageMode>(id))); });

    auto* top = new QHBoxLayout;
    top->addWidget(RG1, 1);
    top->addWidget(btn_reset, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(panels_, 1);

    ShowCondition(TImageCondition{});
}

void TO_image_condition::ShowMode(std::optional<TImageMode> mode)
{
    // An exclusive group cannot be emptied; it is opened for the moment it takes.
    modeButtons_->setExclusive(false);
    for (QAbstractButton* button : modeButtons_->buttons())
        button->setChecked(mode && modeButtons_->id(button) == static_cast<int>(*mode));
    modeButtons_->setExclusive(true);
    panels_->setCurrentIndex(PanelIndex(mode));
}

std::optional<TImageMode> TO_image_condition::ChosenMode() const
{
    const int id = modeButtons_->checkedId();
    return id < 0 ? std::nullopt : std::optional<TImageMode>(static_cast<TImageMode>(id));
}

void TO_image_condition::ShowCondition(const TImageCondition& condition)
{
    ShowMode(condition.Mode);
    CB_sqr_portrait->setChecked(condition.SquarePortraits);
    CB_sqr_landscape->setChecked(condition.SquareLandscapes);
    for (int i = 0; i < kBannerCount; ++i)
        CB_banners->item(i)->setCheckState(condition.Banners[i] ? Qt::Checked : Qt::Unchecked);
    SE_hmin->setValue(condition.HMin);
    SE_hmax->setValue(condition.HMax);
    SE_wmin->setValue(condition.WMin);
    SE_wmax->setValue(condition.WMax);
}

TImageCondition TO_image_condition::ReadCondition(const TImageCondition& base) const
{
    TImageCondition condition = base;
    condition.Mode = ChosenMode();
    condition.SquarePortraits = CB_sqr_portrait->isChecked();
    condition.SquareLandscapes = CB_sqr_landscape->isChecked();
    for (int i = 0; i < kBannerCount; ++i)
        condition.Banners[i] = CB_banners->item(i)->checkState() == Qt::Checked;
    condition.HMin = FieldValue(SE_hmin);
    condition.HMax = FieldValue(SE_hmax);
    condition.WMin = FieldValue(SE_wmin);
    condition.WMax = FieldValue(SE_wmax);
    return condition;
}

void TO_image_condition::btn_resetClick()
{
    ShowCondition(ReadCondition(TImageCondition{}).Reset());
    emit ResetRequested();
}

} // namespace gfs
