#pragma once
#include "kreller_gfs/image_condition.h"
#include "kreller_gfs/settings.h"

#include <string>

class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace gfs {

class TO_image_condition;
class TO_image_viewer;

// The plug-in's one dialog: the condition, the accepted file types, the picture viewer, the error
// log and notes. The condition is held as a value: the pages show it while the dialog is up, and
// however the dialog is closed their state becomes the condition.
class TD_settings_user : public TD_settings {
    Q_OBJECT
public:
    explicit TD_settings_user(QWidget* parent = nullptr);

    const TImageCondition& Condition() const { return condition_; }

    // ACCEPT_FILE: the name's extension is a ticked file type.
    bool AcceptExt(const std::string& path) const;
    // FILE_MEETS: an accepted picture that meets the condition; a picture that cannot be read fails
    // and is logged.
    bool TestImageFile(const std::string& path);
    // LOAD_CONDITION: takes over a condition text; an empty text changes nothing.
    void LoadConditionText(const std::string& text);
    // SHOW_EDIT: lets the user edit on the condition page; answers the condition text.
    std::string EditImageCondition();
    // SHOW_FILE: the file's picture on the viewer page.
    void ShowImageFile(const std::string& path);
    // SET_UP: the dialog on whichever page is active.
    void ShowModal();

    void done(int result) override;

private:
    bool ImageMeets(const std::string& path) const;
    void AppendLog(const std::string& line);
    void ShowTypes(const std::array<bool, kFileTypeCount>& types);
    std::array<bool, kFileTypeCount> ReadTypes() const;

    TImageCondition condition_;

    QWidget* TabSheet_condition;
    QWidget* TabSheet_filetypes;
    QWidget* TabSheet_img;
    QWidget* TabSheet_errorlog;
    QWidget* TabSheet1;
    TO_image_condition* conditionPage_;
    TO_image_viewer* viewer_;
    QListWidget* LBexts;
    QPlainTextEdit* Memo_log;
};

} // namespace gfs
