#include "core/why_dialog.h"

#include "platform/DialogManners.h"
#include "tagged/settings_store.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TD_why_not_found::TD_why_not_found(QWidget* parent) : QDialog(parent)
{
    setObjectName("TD_why_not_found");
    setWindowTitle("Why not found?");
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel("The file the search should have found:", this);
    layout->addWidget(caption);
    Edit_path_ = new QLineEdit(this);
    caption->setBuddy(Edit_path_);
    Edit_path_->setObjectName("Edit_path");
    Edit_path_->setMinimumWidth(420);
    auto* browse = new QPushButton("Browse...", this);
    browse->setObjectName("btn_browse");
    connect(browse, &QPushButton::clicked, this, &TD_why_not_found::btn_browseClick);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(Edit_path_, 1);
    pathRow->addWidget(browse);
    layout->addLayout(pathRow);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
    ok->setObjectName("btn_ok");
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("btn_cancel");
    platform::SetStandardButtonIcon(ok, platform::StandardButton::Ok);
    platform::SetStandardButtonIcon(cancel, platform::StandardButton::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    platform::MakeFixedSizeDialog(this);
}

void TD_why_not_found::SetPathText(const QString& text)
{
    Edit_path_->setText(text);
}

std::optional<std::string> TD_why_not_found::AskPath()
{
    Edit_path_->setFocus();
    Edit_path_->selectAll();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    const QString text = Edit_path_->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (text == chosenText_)
        return chosenPath_;
    return QFile::encodeName(text).toStdString();
}

void TD_why_not_found::btn_browseClick()
{
    // Opened at the typed path's folder, else at home: never in the program's own folder.
    const std::string typed = QFile::encodeName(Edit_path_->text().trimmed()).toStdString();
    const QString start = QFile::decodeName(QByteArray::fromStdString(FirstExistingFolder(typed, {})));
    const QString file = QFileDialog::getOpenFileName(this, "Why not found?", start);
    if (file.isEmpty())
        return;
    chosenPath_ = QFile::encodeName(file).toStdString();
    chosenText_ = file;
    Edit_path_->setText(file);
}
