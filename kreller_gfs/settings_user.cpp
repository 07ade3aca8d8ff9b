#include "kreller_gfs/settings_user.h"
#include "kreller_gfs/graph_convertor.h"
#include "kreller_gfs/image_condition_page.h"
#include "kreller_gfs/image_viewer.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace gfs {
namespace {

QWidget* Page(const char* name)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    return page;
}

QWidget* PageHolding(const char* name, QWidget* content)
{
    QWidget* page = Page(name);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(content);
    return page;
}

QWidget* PageUnderHeading(const char* name, const char* heading, QWidget* content)
{
    QWidget* page = Page(name);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(heading));
    layout->addWidget(content, 1);
    return page;
}

QListWidget* TypeList()
{
    auto* list = new QListWidget;
    list->setObjectName("LBexts");
    for (const char* type : kFileTypes) {
        auto* item = new QListWidgetItem(type, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    }
    return list;
}

QPlainTextEdit* LogMemo()
{
    auto* memo = new QPlainTextEdit;
    memo->setObjectName("Memo_log");
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

QWidget* AboutPage()
{
    auto* text = new QLabel("This plugin (custom kreller) selects graphical files \nby height and width\n\n"
                            "Pictures are read from BMP, GIF and JPEG files; the viewer also opens icons and "
                            "metafiles.\nThe condition travels with the kreller list; only the two square "
                            "picture boxes stay in this dialog.");
    text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    text->setWordWrap(true);
    return PageHolding("TabSheet1", text);
}

} // namespace

TD_settings_user::TD_settings_user(QWidget* parent)
    : TD_settings(parent)
{
    conditionPage_ = new TO_image_condition;
    viewer_ = new TO_image_viewer;
    LBexts = TypeList();
    Memo_log = LogMemo();
    TabSheet_condition = PageHolding("TabSheet_condition", conditionPage_);
    TabSheet_filetypes = PageUnderHeading("TabSheet_filetypes", "Graphical file extentions:", LBexts);
    TabSheet_img = PageHolding("TabSheet_img", viewer_);
    TabSheet_errorlog = PageUnderHeading("TabSheet_errorlog", "Error list:", Memo_log);
    TabSheet1 = AboutPage();
    PageControl1->addTab(TabSheet_condition, "Image size condition");
    PageControl1->addTab(TabSheet_filetypes, "File extentions");
    PageControl1->addTab(TabSheet_img, "View image");
    PageControl1->addTab(TabSheet_errorlog, "Errors log");
    PageControl1->addTab(TabSheet1, "About");
    PageControl1->setCurrentWidget(TabSheet_img);

    connect(conditionPage_, &TO_image_condition::ResetRequested, this,
            [this] { ShowTypes(TImageCondition{}.FileTypes); });
    conditionPage_->ShowCondition(condition_);
    ShowTypes(condition_.FileTypes);
}

bool TD_settings_user::AcceptExt(const std::string& path) const
{
    return condition_.AcceptExt(path);
}

bool TD_settings_user::ImageMeets(const std::string& path) const
{
    const std::optional<TPictureSize> size = DecodedPictureSize(path);
    return size && condition_.Meets(*size);
}

bool TD_settings_user::TestImageFile(const std::string& path)
{
    try {
        return AcceptExt(path) && ImageMeets(path);
    } catch (const std::exception& error) {
        AppendLog(path + " opening error: " + error.what());
        return false;
    }
}

void TD_settings_user::LoadConditionText(const std::string& text)
{
    condition_ = condition_.WithText(text);
}

std::string TD_settings_user::EditImageCondition()
{
    PageControl1->setCurrentWidget(TabSheet_condition);
    ShowModal();
    return condition_.Text();
}

void TD_settings_user::ShowImageFile(const std::string& path)
{
    try {
        viewer_->LoadImage(path);
    } catch (const std::exception& error) {
        AppendLog(path + " opening error: " + error.what());
    }
    PageControl1->setCurrentWidget(TabSheet_img);
    ShowModal();
}

void TD_settings_user::ShowModal()
{
    conditionPage_->ShowCondition(condition_);
    ShowTypes(condition_.FileTypes);
    exec();
}

void TD_settings_user::done(int result)
{
    condition_ = conditionPage_->ReadCondition(condition_);
    condition_.FileTypes = ReadTypes();
    TD_settings::done(result);
}

void TD_settings_user::AppendLog(const std::string& line)
{
    Memo_log->appendPlainText(QString::fromUtf8(line));
}

void TD_settings_user::ShowTypes(const std::array<bool, kFileTypeCount>& types)
{
    for (int i = 0; i < kFileTypeCount; ++i)
        LBexts->item(i)->setCheckState(types[i] ? Qt::Checked : Qt::Unchecked);
}

std::array<bool, kFileTypeCount> TD_settings_user::ReadTypes() const
{
    std::array<bool, kFileTypeCount> types{};
    for (int i = 0; i < kFileTypeCount; ++i)
        types[i] = LBexts->item(i)->checkState() == Qt::Checked;
    return types;
}

} // namespace gfs
