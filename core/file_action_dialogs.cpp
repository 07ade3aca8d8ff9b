#include "core/file_action_dialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/found_rows.h"
#include "platform/DialogManners.h"
#include "platform/FileSystem.h"

namespace {

constexpr const char* kHelpTopic = "found_list";

QPushButton* NewButton(QDialog* dialog, const QString& text, const char* objectName, platform::StandardButton kind)
{
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(objectName);
    platform::SetStandardButtonIcon(button, kind);
    return button;
}

// "Ok" and "Cancel" centred under the dialog's contents.
QHBoxLayout* OkCancelRow(QPushButton* ok, QPushButton* cancel)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addStretch();
    return row;
}

QString ApplicationText(const platform::TApplicationChoice& choice)
{
    const QString name = QString::fromStdString(choice.Name);
    return choice.IsDefault ? QString("%1 (default)").arg(name) : name;
}

} // namespace

// ---- Open with ----

TD_open_with::TD_open_with(QWidget* parent)
    : QDialog(parent)
    , Label_file_(new QLabel(this))
    , LB_applications_(new QListWidget(this))
    , btn_ok_(NewButton(this, "Ok", "btn_ok", platform::StandardButton::Ok))
    , btn_cancel_(NewButton(this, "Cancel", "btn_cancel", platform::StandardButton::Cancel))
{
    setObjectName("TD_open_with");
    setWindowTitle("Open with");
    platform::SetHelpTopic(this, kHelpTopic);
    Label_file_->setObjectName("Label_file");
    Label_file_->setWordWrap(true);
    LB_applications_->setObjectName("LB_applications");
    LB_applications_->setMinimumSize(360, 260);
    btn_ok_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label_file_);
    layout->addWidget(LB_applications_, 1);
    layout->addLayout(OkCancelRow(btn_ok_, btn_cancel_));
    connect(btn_ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(LB_applications_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(LB_applications_, &QListWidget::currentRowChanged, this,
            [this](int row) { btn_ok_->setEnabled(row >= 0); });
}

void TD_open_with::Load(const std::string& path, const std::vector<platform::TApplicationChoice>& choices)
{
    choices_ = choices;
    Label_file_->setText(QString("Open \"%1\" with:").arg(ShownText(platform::FileNamePart(path))));
    LB_applications_->clear();
    for (const platform::TApplicationChoice& choice : choices_) {
        auto* item = new QListWidgetItem(ApplicationText(choice), LB_applications_);
        item->setToolTip(QString::fromStdString(choice.Id));
        if (choice.IsDefault) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
    }
    if (choices_.empty())
        LB_applications_->addItem("(no application is installed for this type)");
    LB_applications_->setCurrentRow(choices_.empty() ? -1 : 0);
    btn_ok_->setEnabled(!choices_.empty());
    LB_applications_->setFocus();
}

std::optional<std::string> TD_open_with::Picked() const
{
    const int row = LB_applications_->currentRow();
    if (row < 0 || row >= static_cast<int>(choices_.size()))
        return std::nullopt;
    return choices_[static_cast<std::size_t>(row)].Id;
}

std::optional<std::string> TD_open_with::Choose(const std::string& path,
                                                const std::vector<platform::TApplicationChoice>& choices)
{
    Load(path, choices);
    return exec() == QDialog::Accepted ? Picked() : std::nullopt;
}

// ---- Rename ----

TD_rename::TD_rename(QWidget* parent)
    : QDialog(parent)
    , Label_folder_(new QLabel(this))
    , Edit_name_(new QLineEdit(this))
    , Label_refusal_(new QLabel(this))
    , btn_ok_(NewButton(this, "Ok", "btn_ok", platform::StandardButton::Ok))
    , btn_cancel_(NewButton(this, "Cancel", "btn_cancel", platform::StandardButton::Cancel))
{
    setObjectName("TD_rename");
    setWindowTitle("Rename");
    platform::SetHelpTopic(this, kHelpTopic);
    Label_folder_->setObjectName("Label_folder");
    Edit_name_->setObjectName("Edit_name");
    Edit_name_->setMinimumWidth(420);
    Label_refusal_->setObjectName("Label_refusal");
    Label_refusal_->setWordWrap(true);
    btn_ok_->setDefault(true);
    auto* caption = new QLabel("New name:", this);
    caption->setBuddy(Edit_name_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label_folder_);
    layout->addWidget(caption);
    layout->addWidget(Edit_name_);
    layout->addWidget(Label_refusal_);
    layout->addLayout(OkCancelRow(btn_ok_, btn_cancel_));
    connect(Edit_name_, &QLineEdit::textChanged, this, &TD_rename::Check);
    connect(btn_ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_cancel_, &QPushButton::clicked, this, &QDialog::reject);
    platform::MakeFixedSizeDialog(this);
}

void TD_rename::Load(const std::string& path, TRefusal refusal)
{
    refusal_ = std::move(refusal);
    Label_folder_->setText(QString("In %1").arg(ShownText(platform::ParentDirectory(path))));
    const QString name = QString::fromUtf8(platform::FileNamePart(path));
    Edit_name_->setText(name);
    // The name is selected without its extension, so typing replaces the part usually changed.
    const qsizetype dot = name.lastIndexOf('.');
    Edit_name_->setSelection(0, dot > 0 ? dot : name.size());
    Edit_name_->setFocus();
    Check();
}

std::string TD_rename::NewName() const
{
    return Edit_name_->text().toStdString();
}

QString TD_rename::Refusal() const
{
    return Label_refusal_->text();
}

void TD_rename::Check()
{
    const std::string refused = refusal_ ? refusal_(NewName()) : std::string();
    Label_refusal_->setText(QString::fromStdString(refused));
    Label_refusal_->setVisible(!refused.empty());
    btn_ok_->setEnabled(refused.empty());
}

std::optional<std::string> TD_rename::Ask(const std::string& path, TRefusal refusal)
{
    Load(path, std::move(refusal));
    adjustSize();
    if (exec() != QDialog::Accepted || !Refusal().isEmpty())
        return std::nullopt;
    return NewName();
}

// ---- Properties ----

TD_properties::TD_properties(QWidget* parent)
    : QDialog(parent), rows_(new QFormLayout), btn_close_(NewButton(this, "Close", "btn_close", platform::StandardButton::Close))
{
    setObjectName("TD_properties");
    platform::SetHelpTopic(this, kHelpTopic);
    btn_close_->setDefault(true);
    rows_->setLabelAlignment(Qt::AlignRight);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_close_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows_);
    layout->addLayout(buttons);
    connect(btn_close_, &QPushButton::clicked, this, &QDialog::accept);
    platform::MakeFixedSizeDialog(this);
}

void TD_properties::Load(const std::string& path, const TRows& rows)
{
    setWindowTitle(QString("Properties of %1").arg(ShownText(platform::FileNamePart(path))));
    while (rows_->rowCount() > 0)
        rows_->removeRow(0);
    for (const auto& [caption, value] : rows) {
        auto* shown = new QLabel(ShownText(value), this);
        shown->setObjectName(QString("Label_%1").arg(QString::fromStdString(caption)).remove(' '));
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        rows_->addRow(QString::fromStdString(caption) + ":", shown);
    }
    btn_close_->setFocus();
}

void TD_properties::ShowModally(const std::string& path, const TRows& rows)
{
    Load(path, rows);
    adjustSize();
    exec();
}

QString TD_properties::Value(const QString& caption) const
{
    const auto* shown = findChild<QLabel*>(QString("Label_%1").arg(caption).remove(' '));
    return shown ? shown->text() : QString();
}
