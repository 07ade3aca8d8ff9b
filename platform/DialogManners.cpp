#include "platform/DialogManners.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLayout>
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

void MakeFixedSizeDialog(QDialog* dialog)
{
    dialog->setWindowFlags((dialog->windowFlags() & ~(Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint)) |
                           Qt::MSWindowsFixedSizeDialogHint);
    dialog->setSizeGripEnabled(false);
    if (QLayout* layout = dialog->layout())
        layout->setSizeConstraint(QLayout::SetFixedSize);
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
