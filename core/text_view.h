#pragma once
#include "core/user_callbacks.h"

#include "platform/Files.h"

#include <QDialog>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

class QLabel;
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

// Where the find-next in the text view lands: the start of the occurrence after from, else the
// first one from the top (then Wrapped); -1 when key occurs nowhere.
struct TTextFindResult {
    qsizetype At = -1;
    bool Wrapped = false;
};
TTextFindResult FindTextWrapping(QStringView text, QStringView key, qsizetype from);

// The window title for a file: its name, then what the window is.
QString TextViewTitle(const std::string& path);

// At most this much of a file is shown as text.
inline constexpr std::int64_t ViewTextLimit = std::int64_t{64} << 20;
inline constexpr const char* RestNotShownText = "Only the first 64 MB of this file are shown; the rest is not.";
// Why a FIFO, a socket or a device is not shown: "<path>" + NotRegularFileText.
inline constexpr const char* NotRegularFileText = " is not a regular file and cannot be shown as text.";

// A file's text for the view (as TextForView gives it), read a step at a time, so that a big
// file is shown while the rest is still being read. Reading ends at the first zero byte, at the
// end of the file or after limit bytes.
class TViewTextReader {
public:
    // Throws std::runtime_error with the failure's text.
    TViewTextReader(const std::string& path, std::int64_t limit);

    // The text of up to stepBytes more bytes of the file; a line break or a character cut by the
    // step's end comes with the next step.
    QString NextStep(std::size_t stepBytes);
    bool AtEnd() const { return atEnd_; }
    // Whether reading stopped at the limit with more of the file left unread.
    bool LimitReached() const { return limitReached_; }

private:
    void Finish(std::string& bytes, std::size_t got);

    platform::TFileReader file_;
    std::int64_t limit_;
    std::int64_t read_ = 0;
    std::string carried_;  // bytes held back for the next step
    bool atEnd_ = false;
    bool limitReached_ = false;
};

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
    // The find dialog's find-next: selects the next occurrence of key after the selection, going
    // round to the top after the last (the find box then says so), or tells "Not found".
    void FindNext(const QString& key);
    // F3: the next occurrence of the text in the find box; the find box opens while it is empty.
    void FindAgain();

    QPlainTextEdit* Memo_text() const { return Memo_text_; }
    TD_find* FindDialog() const { return find_; }
    // Whether part of the loaded text is still on its way into the text area.
    bool IsFeeding() const { return fed_ < pending_.size() || (reader_ && !reader_->AtEnd()); }
    // The note that not all of the file is shown; visible only then.
    QLabel* RestNote() const { return Label_rest_; }

    // How many bytes of a file are shown at most (tests make it small).
    std::int64_t TextLimit = ViewTextLimit;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Opens the find box beside the window, where it covers none of the text.
    void btn_findClick();
    void StartFeeding();
    void FeedNextPiece();
    void ReadNextStep();
    void FinishFeeding();
    void StopFeeding();

    InformCallback inform_;
    QPlainTextEdit* Memo_text_;
    QLabel* Label_rest_;
    QPushButton* btn_find_;
    QPushButton* btn_close_;
    TD_find* find_;
    // A big file is read and goes into the text area piece by piece from the event loop, so the
    // window shows and answers at once instead of after seconds of reading and building.
    std::optional<TViewTextReader> reader_;
    QString pending_;
    qsizetype fed_ = 0;
    QTimer* feeder_;
};
