#pragma once
#include "core/user_callbacks.h"

#include <QDialog>
#include <QStringView>
#include <string>
#include <string_view>

class QPlainTextEdit;
class QPushButton;
class QTimer;
class TD_find;

// The text shown for a file's bytes: everything before the first zero byte, with every line break
// (CR LF, LF or a lone CR) made a single LF.
std::string TextForView(std::string_view bytes);

// Start of the first occurrence of key in text at or after from; ASCII letters are compared
// without regard to case, every other character exactly. -1 when there is none or key is empty.
qsizetype FindTextFrom(QStringView text, QStringView key, qsizetype from);

inline constexpr const char* TextNotFoundText = "Not found";

// The window "View as text": a read-only text area with both scroll bars, "Find" and "Close".
class TF_text_view : public QDialog {
    Q_OBJECT
public:
    explicit TF_text_view(InformCallback inform, QWidget* parent = nullptr);

    // Shows the file modally. When it cannot be read, its failure's text goes to inform and the
    // window stays hidden.
    void ViewFile(const std::string& path);
    // Puts the file's text into the text area without showing the window; throws
    // std::runtime_error with the failure's text.
    void LoadFile(const std::string& path);
    // The find dialog's find-next: selects the next occurrence of key after the selection, or
    // tells "Not found".
    void FindNext(const QString& key);

    QPlainTextEdit* Memo_text() const { return Memo_text_; }
    TD_find* FindDialog() const { return find_; }
    // Whether part of the loaded text is still on its way into the text area.
    bool IsFeeding() const { return fed_ < pending_.size(); }

private:
    void btn_findClick();
    void StartFeeding(QString text);
    void FeedNextPiece();
    void FinishFeeding();
    void StopFeeding();

    InformCallback inform_;
    QPlainTextEdit* Memo_text_;
    QPushButton* btn_find_;
    QPushButton* btn_close_;
    TD_find* find_;
    // A big text goes into the text area piece by piece from the event loop, so the window shows
    // and answers at once instead of after seconds of building the document.
    QString pending_;
    qsizetype fed_ = 0;
    QTimer* feeder_;
};
