#pragma once
#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Dates.h"

class QLabel;
class TFbreak_scanning;

// The base progress dialog "Progress": shown without being modal at the first report of a run,
// it shows "found/total" and tells the run whether to go on.
class TD_progress : public QDialog {
    Q_OBJECT
public:
    explicit TD_progress(QWidget* parent = nullptr);

    virtual bool ReportProgress(std::int64_t found, std::int64_t total);
    void ResetProgress();
    void BreakProgress(bool close);

    bool ShownFlag = false;
    bool ContinueFlag = true;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Shows the window centred on the window it belongs to (on the screen when there is none).
    void ShowCentred();
    QLabel* Label_counter;
};

// What the search progress dialog needs of the rest of the program.
class TProgressHost {
public:
    virtual ~TProgressHost() = default;
    virtual void IgnoreCurrentFile() = 0;
    virtual void StopSearch() = 0;
    virtual void SearchInWeb() = 0;
    virtual std::string ReadLastVisit() = 0;             // the stored "LVD" text, empty when none
    virtual void WriteLastVisit(const std::string&) = 0;
};

// The last-visit label: its text and whether it is highlighted (more than 30 days, or unknown).
struct TLastVisitLabel {
    std::string Text;
    bool Highlighted = true;
};
TLastVisitLabel LastVisitLabelFor(const std::string& stored, const platform::CalendarDate& today);

// The search progress dialog: no title bar, a red frame, the counter, the stop link and the web links.
class TD_progress_user : public TD_progress {
    Q_OBJECT
public:
    TD_progress_user(TProgressHost& host, TFbreak_scanning& breakDialog, QWidget* parent = nullptr);

    void StopLinkClick();
    // Escape in the window: the search stops at once, without the break question.
    void EscapePressed();
    void WebLinkClick();
    void RefreshLastVisit();
    QString LastVisitText() const { return lastVisitText_; }
    bool LastVisitHighlighted() const { return lastVisitHighlighted_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* Link(const QString& text, const char* objectName);

    TProgressHost& host_;
    TFbreak_scanning& break_;
    QLabel* Label_lvd_;
    bool lastVisitHighlighted_ = true;
    QString lastVisitText_;
};
