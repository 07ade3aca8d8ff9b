#include "platform/DialogManners.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLayout>
#include <QMessageBox>
#include <QStyle>
#include <QVariant>

namespace platform {

void SetHelpTopic(QWidget* window, const std::string& topic)
{
    window->setProperty(HelpTopicProperty, QString::fromStdString(topic));
}

std::string HelpTopicOf(const QWidget* widget)
{
    for (const QWidget* at = widget ? widget->window() : nullptr; at;
         at = at->parentWidget() ? at->parentWidget()->window() : nullptr) {
        const QString topic = at->property(HelpTopicProperty).toString();
        if (!topic.isEmpty())
            return topic.toStdString();
    }
    return "index";
}

Qt::WindowFlags DialogTitleFlags(DialogFrame frame)
{
    // Without the customize hint the window manager decorates a dialog as it likes, and some give
    // every window minimise and maximise buttons; with it the dialog says which buttons it has.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (frame == DialogFrame::Fixed)
        flags |= Qt::MSWindowsFixedSizeDialogHint;
    else
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

void SetDialogTitleButtons(QDialog* dialog, DialogFrame frame)
{
    // Kept beside the title buttons: a progress window stays above the window it reports on.
    const Qt::WindowFlags kept = dialog->windowFlags() & (Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    dialog->setWindowFlags(DialogTitleFlags(frame) | kept);
}

void MakeFixedSizeDialog(QDialog* dialog)
{
    SetDialogTitleButtons(dialog, DialogFrame::Fixed);
    dialog->setSizeGripEnabled(false);
    if (QLayout* layout = dialog->layout())
        layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowErrorBox(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setObjectName("ErrorBox");
    SetDialogTitleButtons(&box, DialogFrame::Fixed);
    box.exec();
}

void SetStandardButtonIcon(QAbstractButton* button, StandardButton kind)
{
    // The style's standard icons come from the icon theme where it has them, else from Qt's own set.
    QStyle::StandardPixmap pixmap = QStyle::SP_DialogOkButton;
    switch (kind) {
    case StandardButton::Ok: pixmap = QStyle::SP_DialogOkButton; break;
    case StandardButton::Cancel: pixmap = QStyle::SP_DialogCancelButton; break;
    case StandardButton::Yes: pixmap = QStyle::SP_DialogYesButton; break;
    case StandardButton::No: pixmap = QStyle::SP_DialogNoButton; break;
    case StandardButton::Close: pixmap = QStyle::SP_DialogCloseButton; break;
    case StandardButton::Help: pixmap = QStyle::SP_DialogHelpButton; break;
    case StandardButton::Reset: pixmap = QStyle::SP_DialogResetButton; break;
    }
    button->setIcon(button->style()->standardIcon(pixmap, nullptr, button));
}

} // namespace platform
