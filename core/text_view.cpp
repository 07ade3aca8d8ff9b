#include "core/text_view.h"

#include "core/find_dialog.h"
#include "platform/Files.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

std::string TextForView(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            text.push_back(bytes[i]);
            continue;
        }
        text.push_back('\n');
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    return text;
}

namespace {

char16_t FoldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool MatchesAt(QStringView text, QStringView key, qsizetype at)
{
    for (qsizetype k = 0; k < key.size(); ++k) {
        if (FoldAscii(text[at + k].unicode()) != FoldAscii(key[k].unicode()))
            return false;
    }
    return true;
}

constexpr qsizetype FeedPieceLength = 1 << 18;

// Where the piece of text starting at from ends: FeedPieceLength characters on, never between the
// two halves of a surrogate pair.
qsizetype PieceEnd(QStringView text, qsizetype from)
{
    qsizetype end = std::min(from + FeedPieceLength, text.size());
    if (end < text.size() && text[end - 1].isHighSurrogate())
        ++end;
    return end;
}

} // namespace

qsizetype FindTextFrom(QStringView text, QStringView key, qsizetype from)
{
    if (key.isEmpty() || from < 0)
        return -1;
    for (qsizetype at = from; at + key.size() <= text.size(); ++at) {
        if (MatchesAt(text, key, at))
            return at;
    }
    return -1;
}

TF_text_view::TF_text_view(InformCallback inform, QWidget* parent)
    : QDialog(parent)
    , inform_(std::move(inform))
    , Memo_text_(new QPlainTextEdit(this))
    , btn_find_(new QPushButton("Find", this))
    , btn_close_(new QPushButton("Close", this))
    , find_(new TD_find(this))
    , feeder_(new QTimer(this))
{
    setObjectName("TF_text_view");
    setWindowTitle("View as text");
    Memo_text_->setObjectName("Memo_text");
    btn_find_->setObjectName("btn_find");
    btn_close_->setObjectName("btn_close");

    Memo_text_->setReadOnly(true);
    Memo_text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo_text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_text_->setUndoRedoEnabled(false);
    // The found occurrence must stay visible while the find dialog has the focus.
    QPalette palette = Memo_text_->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    Memo_text_->setPalette(palette);

    find_->SetDirectionOffered(false);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btn_find_);
    buttons->addWidget(btn_close_);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Memo_text_, 1);
    layout->addLayout(buttons);
    resize(780, 540);

    connect(btn_find_, &QPushButton::clicked, this, &TF_text_view::btn_findClick);
    connect(btn_close_, &QPushButton::clicked, this, &QDialog::accept);
    connect(find_, &TD_find::FindNext, this, [this](const QString& key, FindDirection) { FindNext(key); });
    connect(feeder_, &QTimer::timeout, this, &TF_text_view::FeedNextPiece);
    connect(this, &QDialog::finished, this, &TF_text_view::StopFeeding);
    // Escape in the text area reaches the dialog, which closes on it.
}

void TF_text_view::LoadFile(const std::string& path)
{
    StopFeeding();
    Memo_text_->clear();
    StartFeeding(QString::fromUtf8(TextForView(platform::ReadWholeFile(path))));
}

void TF_text_view::StartFeeding(QString text)
{
    pending_ = std::move(text);
    fed_ = 0;
    FeedNextPiece();
    // The first piece went in at the caret and pushed it along; a file is read from its start.
    Memo_text_->moveCursor(QTextCursor::Start);
    if (IsFeeding())
        feeder_->start(0);
}

void TF_text_view::FeedNextPiece()
{
    if (!IsFeeding()) {
        StopFeeding();
        return;
    }
    const qsizetype end = PieceEnd(pending_, fed_);
    // A cursor of its own at the end: the user's caret, selection and scroll position stay put.
    QTextCursor end_of_text(Memo_text_->document());
    end_of_text.movePosition(QTextCursor::End);
    end_of_text.insertText(QStringView(pending_).sliced(fed_, end - fed_).toString());
    fed_ = end;
}

void TF_text_view::FinishFeeding()
{
    while (IsFeeding())
        FeedNextPiece();
    StopFeeding();
}

void TF_text_view::StopFeeding()
{
    feeder_->stop();
    pending_.clear();
    fed_ = 0;
}

void TF_text_view::ViewFile(const std::string& path)
{
    try {
        LoadFile(path);
    } catch (const std::exception& failure) {
        inform_(failure.what());
        return;
    }
    exec();
    find_->hide();
}

void TF_text_view::FindNext(const QString& key)
{
    // The search covers the whole file, also when it is not all in the text area yet.
    FinishFeeding();
    QTextCursor cursor = Memo_text_->textCursor();
    // Raw text keeps one position per character, as the cursor counts them.
    const QString text = Memo_text_->document()->toRawText();
    const qsizetype at = FindTextFrom(text, key, cursor.selectionEnd());
    if (at < 0) {
        inform_(TextNotFoundText);
        return;
    }
    cursor.setPosition(static_cast<int>(at));
    cursor.setPosition(static_cast<int>(at + key.size()), QTextCursor::KeepAnchor);
    Memo_text_->setTextCursor(cursor);
    Memo_text_->ensureCursorVisible();
}

void TF_text_view::btn_findClick()
{
    find_->ShowNonModal();
}
