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
    bool IgnoreRequested = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* btn_ignore_;
};

// A stricter confirmation: "Yes" is enabled only while "Yes, I'm sure" is ticked.
class TFsure_checked : public TFsure {
    Q_OBJECT
public:
    explicit TFsure_checked(QWidget* parent = nullptr);
    bool Ask(const std::string& text) override;

private:
    QCheckBox* CB_sure_;
};
