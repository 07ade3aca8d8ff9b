#pragma once
#include <QDialog>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

// The confirmation dialog "Confirmation:": a framed, word-wrapped text, "Yes" (default) and "No".
class TFsure : public QDialog {
    Q_OBJECT
public:
    explicit TFsure(QWidget* parent = nullptr);
    // Shows text modally; true when the user answered "Yes".
    virtual bool Ask(const std::string& text);
    bool Answer() const { return answer_; }

protected:
    void showEvent(QShowEvent* event) override;
    // Every question opens on its default answer, whatever was pressed the time before.
    virtual void FocusDefaultAnswer();

    QLabel* text_;
    QPushButton* btn_yes_;
    QPushButton* btn_no_;
    QWidget* extras_;  // room under the text for what subclasses add
    bool answer_ = false;
};

// "Break scanning": "Break process", "Ignore current file", "Continue".
class TFbreak_scanning : public TFsure {
    Q_OBJECT
public:
    explicit TFbreak_scanning(QWidget* parent = nullptr);
    bool Ask(const std::string& text) override;
    // Asks above `window` (the progress window, which stays on top), centred on it.
    bool AskAbove(QWidget* window, const std::string& text);
    bool IgnoreRequested = false;

protected:
    void showEvent(QShowEvent* event) override;
    void FocusDefaultAnswer() override;  // "Continue"

private:
    QPushButton* btn_ignore_;
    QWidget* above_ = nullptr;
};

// A stricter confirmation: "Yes" is enabled only while "Yes, I'm sure" is ticked.
class TFsure_checked : public TFsure {
    Q_OBJECT
public:
    explicit TFsure_checked(QWidget* parent = nullptr);
    bool Ask(const std::string& text) override;

protected:
    void FocusDefaultAnswer() override;  // the check box: "Yes" is disabled until it is ticked

private:
    QCheckBox* CB_sure_;
};
