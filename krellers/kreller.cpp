#include "krellers/kreller.h"

#include "plugins/crtr_ckreller.h"
#include "platform/DialogManners.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TD_kreller::TD_kreller(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("Kreller");

    content_ = new QWidget(this);
    content_->setObjectName("content");
    buttonColumn_ = new QVBoxLayout;
    ok_ = AddColumnButton("Ok", "btn_ok");
    auto* cancel = AddColumnButton("Cancel", "btn_cancel");
    reset_ = AddColumnButton("Reset", "btn_reset");
    buttonColumn_->addStretch(1);
    ok_->setDefault(true);

    connect(ok_, &QPushButton::clicked, this, &TD_kreller::btn_okClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(reset_, &QPushButton::clicked, this, &TD_kreller::btn_resetClick);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(content_, 1);
    layout->addLayout(buttonColumn_);
    platform::MakeFixedSizeDialog(this);
    platform::SetStandardButtonIcon(ok_, platform::StandardButton::Ok);
    platform::SetStandardButtonIcon(cancel, platform::StandardButton::Cancel);
    platform::SetStandardButtonIcon(reset_, platform::StandardButton::Reset);
}

QPushButton* NewDialogButton(QWidget* parent, const char* text, const char* objectName)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

QPushButton* TD_kreller::AddColumnButton(const char* text, const char* objectName)
{
    auto* button = NewDialogButton(this, text, objectName);
    buttonColumn_->addWidget(button);
    return button;
}

void TD_kreller::SetServices(TKrellerServices services)
{
    services_ = std::move(services);
    ServicesChanged();
}

void TD_kreller::AddHelpButton(const std::string& topic)
{
    auto* help = AddColumnButton("Help", "btn_help");
    platform::SetStandardButtonIcon(help, platform::StandardButton::Help);
    connect(help, &QPushButton::clicked, this, [this, topic] { ShowHelp(topic); });
    helpTopic_ = topic;
    // Also the topic of the dialogs this one opens.
    platform::SetHelpTopic(this, topic);
}

void TD_kreller::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::HelpContents)) {
        ShowHelp(helpTopic_.empty() ? platform::HelpTopicOf(this) : helpTopic_);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TD_kreller::ShowHelp(const std::string& topic) const
{
    if (services_.ShowHelpTopic)
        services_.ShowHelpTopic(topic);
}

void TD_kreller::btn_okClick()
{
    accepted_ = true;
    accept();
}

void TD_kreller::btn_resetClick()
{
    resetRequested_ = true;
    ResetControls();
    reject();
}

void TD_kreller::SetCondition(std::string description, TConditionStrings lines)
{
    description_ = std::move(description);
    conditionLines_ = std::move(lines);
}

void TD_kreller::LoadCondition(TConditionStrings* strings)
{
    description_.clear();
    conditionLines_.clear();
    boundStrings_ = strings;
    if (!strings)
        return;
    if (!strings->empty()) {
        description_ = strings->front();
        conditionLines_.assign(strings->begin() + 1, strings->end());
    }
    if (plugin_)
        plugin_->SendCondition(JoinConditionText(*strings));
}

void TD_kreller::StoreCondition()
{
    if (!boundStrings_)
        return;
    *boundStrings_ = conditionLines_;
    boundStrings_->insert(boundStrings_->begin(), description_);
}

void TD_kreller::ClearCondition()
{
    description_.clear();
    conditionLines_.clear();
    if (boundStrings_)
        boundStrings_->clear();
}

bool TD_kreller::EditCondition(TConditionStrings& strings)
{
    if (plugin_) {
        // The plug-in shows its own editor; its answer is the new condition, whatever the user did.
        plugin_->SendCondition(JoinConditionText(strings));
        strings = SplitConditionText(plugin_->ShowEdit());
        return false;
    }
    accepted_ = false;
    resetRequested_ = false;
    LoadCondition(&strings);
    exec();
    if (accepted_)
        StoreCondition();
    if (resetRequested_)
        ClearCondition();
    return accepted_ || resetRequested_;
}

bool TD_kreller::TestFile(const FileEntry& entry, const std::string& path)
{
    return plugin_ && plugin_->FileMeets(entry, path);
}

void TD_kreller::AttachPlugin(TNoxCrtr_ckreller* wrapper)
{
    plugin_ = wrapper;
}

void TD_kreller::DetachPlugin()
{
    plugin_ = nullptr;
}

bool TD_kreller::IsPluginKreller() const
{
    return plugin_ != nullptr;
}

bool TD_kreller::PluginAcceptsFile(const std::string& path) const
{
    return plugin_ && plugin_->CanShowFile(path);
}

void TD_kreller::ShowFileViaPlugin(const std::string& path, const TConditionStrings& strings)
{
    if (!PluginAcceptsFile(path))
        return;
    plugin_->SendCondition(JoinConditionText(strings));
    plugin_->ShowFile(path);
}

QLabel* NewWarningLine(QWidget* parent, const char* objectName)
{
    auto* line = new QLabel(parent);
    line->setObjectName(objectName);
    line->setWordWrap(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    line->setPalette(palette);
    line->hide();
    return line;
}

void ShowWarning(QLabel* line, const char* warning)
{
    line->setText(warning ? QString::fromUtf8(warning) : QString());
    line->setVisible(warning != nullptr);
}

void EnableWithWindowColour(QWidget* field, bool enabled)
{
    field->setEnabled(enabled);
    const QPalette standard = QApplication::palette(field);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, standard.color(enabled ? QPalette::Base : QPalette::Button));
    field->setPalette(palette);
}
