#include "core/text_view.h"

#include "core/find_dialog.h"
#include "core/found_names_find.h"
#include "core/found_rows.h"
#include "core/window_placement.h"
#include "platform/DialogManners.h"
#include "platform/Icons.h"
#include "platform/Files.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QLabel>
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
constexpr std::size_t ReadStepBytes = std::size_t{1} << 20;

// How many bytes at the end of bytes begin a UTF-8 character that is not complete yet.
std::size_t IncompleteCharacterTail(std::string_view bytes)
{
    for (std::size_t back = 1; back <= std::min<std::size_t>(4, bytes.size()); ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;  // a continuation byte: the character starts further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

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

// A FIFO, a socket or a device is refused with plain words.
TViewTextReader::TViewTextReader(const std::string& path, std::int64_t limit) try : file_(path), limit_(limit) {
} catch (const platform::ENotRegularFile&) {
    throw std::runtime_error(path + NotRegularFileText);
}

QString TViewTextReader::NextStep(std::size_t stepBytes)
{
    if (atEnd_)
        return {};
    std::string bytes = std::move(carried_);
    carried_.clear();
    const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(stepBytes), limit_ - read_));
    const std::size_t got = file_.ReadSome(bytes, wanted);
    read_ += static_cast<std::int64_t>(got);
    Finish(bytes, got);
    if (!atEnd_) {
        // A CR may be the first half of CR LF, and a character may continue in the next step.
        std::size_t held = IncompleteCharacterTail(bytes);
        if (held == 0 && !bytes.empty() && bytes.back() == '\r')
            held = 1;
        carried_.assign(bytes, bytes.size() - held, held);
        bytes.resize(bytes.size() - held);
    }
    return QString::fromUtf8(TextForView(bytes));
}

// Whether this step is the last: a zero byte ends the text, as does the end of the file or the limit.
void TViewTextReader::Finish(std::string& bytes, std::size_t got)
{
    if (const std::size_t zero = bytes.find('\0'); zero != std::string::npos) {
        bytes.resize(zero);
        atEnd_ = true;
    } else if (got == 0) {
        atEnd_ = true;
    } else if (read_ >= limit_) {
        atEnd_ = true;
        std::string probe;
        limitReached_ = file_.ReadSome(probe, 1) > 0;
    }
}

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

namespace {

// The desktop's fixed-width font; where the desktop names none, the system's monospace family.
QFont FixedWidthFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(font).fixedPitch()) {
        font.setFamilies({"monospace", "DejaVu Sans Mono", "Liberation Mono"});
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    return font;
}

} // namespace

TTextFindResult FindTextWrapping(QStringView text, QStringView key, qsizetype from)
{
    if (const qsizetype at = FindTextFrom(text, key, from); at >= 0)
        return {at, false};
    if (const qsizetype at = FindTextFrom(text, key, 0); at >= 0)
        return {at, true};
    return {};
}

QString TextViewTitle(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
    return ShownText(name) + " - View as text";
}

TF_text_view::TF_text_view(InformCallback inform, QWidget* parent)
    : QDialog(parent)
    , inform_(std::move(inform))
    , Memo_text_(new QPlainTextEdit(this))
    , Label_rest_(new QLabel(RestNotShownText, this))
    , btn_find_(new QPushButton("Find", this))
    , btn_close_(new QPushButton("Close", this))
    , find_(new TD_find(this))
    , feeder_(new QTimer(this))
{
    setObjectName("TF_text_view");
    setWindowTitle("View as text");
    Memo_text_->setObjectName("Memo_text");
    Label_rest_->setObjectName("Label_rest");
    Label_rest_->hide();
    btn_find_->setObjectName("btn_find");
    btn_close_->setObjectName("btn_close");

    Memo_text_->setReadOnly(true);
    Memo_text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo_text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_text_->setUndoRedoEnabled(false);
    // Columns of text line up as the file means them to.
    Memo_text_->setFont(FixedWidthFont());
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
    auto* text = new QVBoxLayout;
    text->addWidget(Memo_text_, 1);
    text->addWidget(Label_rest_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(text, 1);
    layout->addLayout(buttons);
    resize(780, 540);
    platform::SetDialogTitleButtons(this, platform::DialogFrame::Resizable);

    platform::SetStandardButtonIcon(btn_close_, platform::StandardButton::Close);
    btn_find_->setIcon(platform::CommandIcon("edit-find"));
    btn_find_->setToolTip(QString("Find (%1), find again (F3)").arg(QKeySequence(Qt::CTRL | Qt::Key_F).toString(QKeySequence::NativeText)));
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
    Label_rest_->hide();
    reader_.emplace(path, TextLimit);
    StartFeeding();
}

void TF_text_view::StartFeeding()
{
    FeedNextPiece();
    // The first piece went in at the caret and pushed it along; a file is read from its start.
    Memo_text_->moveCursor(QTextCursor::Start);
    if (IsFeeding())
        feeder_->start(0);
}

void TF_text_view::ReadNextStep()
{
    pending_ = reader_->NextStep(ReadStepBytes);
    fed_ = 0;
    if (reader_->LimitReached())
        Label_rest_->show();
}

void TF_text_view::FeedNextPiece()
{
    while (fed_ == pending_.size() && reader_ && !reader_->AtEnd())
        ReadNextStep();
    if (fed_ == pending_.size()) {
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
    reader_.reset();
    pending_.clear();
    fed_ = 0;
}

void TF_text_view::ViewFile(const std::string& path)
{
    try {
        LoadFile(path);
        setWindowTitle(TextViewTitle(path));
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
    const TTextFindResult found = FindTextWrapping(text, key, cursor.selectionEnd());
    if (found.At < 0) {
        inform_(TextNotFoundText);
        return;
    }
    const qsizetype at = found.At;
    if (found.Wrapped)
        find_->ShowNote(ContinuedFromTopText);
    cursor.setPosition(static_cast<int>(at));
    cursor.setPosition(static_cast<int>(at + key.size()), QTextCursor::KeepAnchor);
    Memo_text_->setTextCursor(cursor);
    Memo_text_->ensureCursorVisible();
}

void TF_text_view::FindAgain()
{
    if (find_->Text().isEmpty()) {
        btn_findClick();
        return;
    }
    find_->ShowNote({});
    FindNext(find_->Text());
}

void TF_text_view::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F && event->modifiers() == Qt::ControlModifier) {
        btn_findClick();
        return;
    }
    if (event->key() == Qt::Key_F3 && event->modifiers() == Qt::NoModifier) {
        FindAgain();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TF_text_view::btn_findClick()
{
    if (!find_->isVisible()) {
        find_->adjustSize();
        const QScreen* screen = this->screen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        if (area.isValid())
            find_->move(BesideOf(frameGeometry(), find_->frameGeometry().size(), area));
    }
    find_->ShowNonModal();
}
