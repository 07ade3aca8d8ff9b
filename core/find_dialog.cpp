#include "core/find_dialog.h"

#include "platform/DialogManners.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TD_find::TD_find(QWidget* parent)
    : QDialog(parent)
    , Edit_find_(new QLineEdit(this))
    , Label_note_(new QLabel(this))
    , btn_find_next_(new QPushButton("Find Next", this))
    , btn_cancel_(new QPushButton("Cancel", this))
    , RG_direction_(new QGroupBox("Direction", this))
    , RB_up_(new QRadioButton("Up", RG_direction_))
    , RB_down_(new QRadioButton("Down", RG_direction_))
{
    setObjectName("TD_find");
    setWindowTitle("Find");
    setModal(false);
    Edit_find_->setObjectName("Edit_find");
    btn_find_next_->setObjectName("btn_find_next");
    btn_cancel_->setObjectName("btn_cancel");
    RG_direction_->setObjectName("RG_direction");
    RB_up_->setObjectName("RB_up");
    RB_down_->setObjectName("RB_down");
    RB_down_->setChecked(true);
    btn_find_next_->setDefault(true);
    Label_note_->setObjectName("Label_note");
    Label_note_->hide();

    auto* label = new QLabel("Find what:", this);
    label->setBuddy(Edit_find_);
    auto* directionLayout = new QHBoxLayout(RG_direction_);
    directionLayout->addWidget(RB_up_);
    directionLayout->addWidget(RB_down_);

    auto* left = new QVBoxLayout;
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(label);
    textRow->addWidget(Edit_find_, 1);
    left->addLayout(textRow);
    left->addWidget(Label_note_);
    left->addWidget(RG_direction_, 0, Qt::AlignRight);
    left->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btn_find_next_);
    buttons->addWidget(btn_cancel_);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(btn_find_next_, &QPushButton::clicked, this, &TD_find::btn_find_nextClick);
    connect(btn_cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit_find_, &QLineEdit::textChanged, this, &TD_find::UpdateFindNextEnabled);
    connect(Edit_find_, &QLineEdit::textChanged, this, [this] { ShowNote({}); });
    UpdateFindNextEnabled();
    platform::MakeFixedSizeDialog(this);
    platform::SetStandardButtonIcon(btn_cancel_, platform::StandardButton::Cancel);
}

void TD_find::ShowNote(const QString& note)
{
    Label_note_->setText(note);
    Label_note_->setVisible(!note.isEmpty());
}

QString TD_find::Note() const
{
    return Label_note_->text();
}

void TD_find::SetDirectionOffered(bool offered)
{
    RG_direction_->setVisible(offered);
    if (!offered)
        RB_down_->setChecked(true);
}

void TD_find::ShowNonModal()
{
    show();
    raise();
    activateWindow();
    Edit_find_->setFocus();
    Edit_find_->selectAll();
}

QString TD_find::Text() const
{
    return Edit_find_->text();
}

FindDirection TD_find::Direction() const
{
    return RB_up_->isChecked() ? FindDirection::Up : FindDirection::Down;
}

void TD_find::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3 && event->modifiers() == Qt::NoModifier && btn_find_next_->isEnabled()) {
        btn_find_nextClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TD_find::btn_find_nextClick()
{
    ShowNote({});
    emit FindNext(Text(), Direction());
}

// As with any find dialog, there is nothing to find before something is typed.
void TD_find::UpdateFindNextEnabled()
{
    btn_find_next_->setEnabled(!Edit_find_->text().isEmpty());
}
