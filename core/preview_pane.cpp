#include "core/preview_pane.h"

#include <system_error>

#include <QBuffer>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QPointer>
#include <QStackedWidget>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/Files.h"

namespace {

// A picture file above this size is described, not decoded.
constexpr std::uint64_t kLargestPicture = std::uint64_t{256} << 20;

constexpr std::size_t kMarkedAround = 50;

const QColor kHitColour(255, 236, 139);
const QColor kCurrentHitColour(255, 165, 79);

// The file's picture, decoded at the size that fits box; nothing when its start is no picture
// Qt reads. The whole file is read through the platform's reader, so a FIFO is never opened.
std::optional<QImage> DecodePicture(const std::string& path, const TPreviewHead& head, QSize box,
                                    const TStaleCheck& stale)
{
    {
        QByteArray start = QByteArray::fromRawData(head.Bytes.data(), static_cast<qsizetype>(head.Bytes.size()));
        QBuffer probe(&start);
        probe.open(QIODevice::ReadOnly);
        if (head.Bytes.empty() || QImageReader::imageFormat(&probe).isEmpty() || head.Size > kLargestPicture)
            return std::nullopt;
    }
    const std::string whole = head.Cut() ? platform::ReadWholeFile(path) : head.Bytes;
    if (stale())
        return std::nullopt;
    QByteArray bytes = QByteArray::fromRawData(whole.data(), static_cast<qsizetype>(whole.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // Decoding scaled: a JPEG then decodes at a fraction of its size, which is most of the speed.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

QToolButton* HitButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    return button;
}

} // namespace

TO_preview::TO_preview(QWidget* parent) : QWidget(parent), worker_(std::make_unique<TPreviewWorker>())
{
    setObjectName("TO_preview");
    Label_preview = new QLabel(this);
    Label_preview->setObjectName("Label_preview");
    Label_preview->setTextFormat(Qt::PlainText);
    Label_preview->setMinimumWidth(1);  // a long name must not widen the pane
    Label_hits = new QLabel(this);
    Label_hits->setObjectName("Label_hits");
    btn_previoushit = HitButton(this, "btn_previoushit", "Previous hit");
    btn_previoushit->setToolTip("Previous hit (Shift+F4)");
    btn_nexthit = HitButton(this, "btn_nexthit", "Next hit");
    btn_nexthit->setToolTip("Next hit (F4)");
    connect(btn_previoushit, &QToolButton::clicked, this, &TO_preview::PreviousHit);
    connect(btn_nexthit, &QToolButton::clicked, this, &TO_preview::NextHit);

    Memo_preview = new QPlainTextEdit(this);
    Memo_preview->setObjectName("Memo_preview");
    Memo_preview->setReadOnly(true);
    Memo_preview->setUndoRedoEnabled(false);
    Memo_preview->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Image_preview = new QLabel(this);
    Image_preview->setObjectName("Image_preview");
    Image_preview->setAlignment(Qt::AlignCenter);
    Image_preview->setMinimumSize(1, 1);
    Label_note = new QLabel(this);
    Label_note->setObjectName("Label_note");
    Label_note->setAlignment(Qt::AlignCenter);
    Label_note->setWordWrap(true);
    Label_note->setTextFormat(Qt::PlainText);
    Pages_preview = new QStackedWidget(this);
    Pages_preview->setObjectName("Pages_preview");
    Pages_preview->addWidget(Memo_preview);
    Pages_preview->addWidget(Image_preview);
    Pages_preview->addWidget(Label_note);

    auto* hitsRow = new QHBoxLayout;
    hitsRow->addWidget(Label_hits, 1);
    hitsRow->addWidget(btn_previoushit);
    hitsRow->addWidget(btn_nexthit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label_preview);
    layout->addLayout(hitsRow);
    layout->addWidget(Pages_preview, 1);
    Clear();
}

TO_preview::~TO_preview()
{
    worker_.reset();
}

void TO_preview::Clear()
{
    ++request_;
    shownRequest_ = request_;
    complete_ = true;
    afterConverting_.reset();
    worker_->Abandon();
    shownPath_.clear();
    shown_ = {};
    picture_ = {};
    currentHit_ = 0;
    InstallDocument(new QTextDocument);
    Image_preview->clear();
    Label_note->setText("No file selected.");
    Pages_preview->setCurrentWidget(Label_note);
    ShowHeadline({}, {});
    UpdateHitControls();
}

void TO_preview::ShowFile(const std::string& path, const std::vector<std::string>& keywords,
                          const TCartridgeText& converted)
{
    Load({path, keywords, converted});
}

void TO_preview::Load(const TRequest& request)
{
    const std::uint64_t id = ++request_;
    worker_->Abandon();
    ShowHeadline(request.Path, "Loading...");
    if (!request.Converted) {
        Submit(id, request, std::nullopt);
        return;
    }
    // The cartridge lets the window's events run while it converts; a selection made meanwhile
    // waits here and is loaded once the cartridge is free again.
    if (converting_) {
        afterConverting_ = request;
        return;
    }
    QPointer<TO_preview> alive(this);
    converting_ = true;
    std::optional<TCartridgeContext> text;
    std::string failure;
    try {
        text = request.Converted(request.Path);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    if (!alive)
        return;
    converting_ = false;
    emit ConversionEnded();
    if (id != request_) {
        if (std::optional<TRequest> newest = std::exchange(afterConverting_, std::nullopt))
            Load(*newest);
        return;
    }
    if (!failure.empty()) {
        Deliver(id, request.Path, {FailedPreview(failure), {}, {}, true});
        return;
    }
    Submit(id, request, std::move(text));
}

TO_preview::TDocumentBox::~TDocumentBox()
{
    delete Document;
}

void TO_preview::Submit(std::uint64_t id, const TRequest& request, std::optional<TCartridgeContext> converted)
{
    const QSize box = PictureBox();
    const std::size_t limit = FirstPartBytes;
    const std::size_t firstScreen = FirstScreenBytes;
    const QFont font = Memo_preview->font();
    auto job = [this, id, box, limit, firstScreen, font, path = request.Path, keywords = request.Keywords,
                converted = std::move(converted)](const TStaleCheck& stale) {
        TDelivery delivery;
        try {
            std::optional<TPreviewHead> head = converted ? ConvertedTextHead(*converted, limit, stale)
                                                         : ReadPreviewHead(path, limit, stale);
            if (!head)
                return;
            if (std::optional<QImage> picture = converted ? std::nullopt : DecodePicture(path, *head, box, stale)) {
                delivery.Content.Kind = TPreviewKind::Picture;
                delivery.Content.Size = head->Size;
                delivery.Picture = std::move(*picture);
                Post(id, path, std::move(delivery));
                return;
            }
            if (!converted && !HeadLooksLikeText(*head)) {
                Post(id, path, {DescribedPreview(path, head->Size), {}, {}, true});
                return;
            }
            const std::size_t screen = CutAtCharacter(head->Bytes, firstScreen);
            if (screen < head->Bytes.size()) {
                TPreviewContent first = TextPreview({head->Bytes.substr(0, screen), head->Size}, keywords);
                std::shared_ptr<TDocumentBox> document = DocumentOf(first.Text, font);
                Post(id, path, {std::move(first), {}, std::move(document), false});
            }
            if (stale())
                return;
            delivery.Content = TextPreview(*head, keywords);
            delivery.Text = DocumentOf(delivery.Content.Text, font);
        } catch (const std::exception& error) {
            delivery = {FailedPreview(error.what()), {}, {}, true};
        }
        Post(id, path, std::move(delivery));
    };
    try {
        worker_->Submit(std::move(job));
    } catch (const std::system_error& error) {
        // The system gives no thread to read it on: the pane says so, as for a file it cannot read.
        Post(id, request.Path, {FailedPreview(std::string("a worker thread could not start: ") + error.what()), {}, {}, true});
    }
}

// Filling a document is most of the time a long text takes, so the worker does it and hands the
// document over to the window's thread.
std::shared_ptr<TO_preview::TDocumentBox> TO_preview::DocumentOf(const QString& text, const QFont& font) const
{
    auto box = std::make_shared<TDocumentBox>();
    box->Document = new QTextDocument;
    box->Document->setDefaultFont(font);
    box->Document->setUndoRedoEnabled(false);
    box->Document->setPlainText(text);
    box->Document->moveToThread(thread());
    return box;
}

void TO_preview::Post(std::uint64_t id, const std::string& path, TDelivery delivery)
{
    QMetaObject::invokeMethod(
        this, [this, id, path, delivery = std::move(delivery)]() mutable { Deliver(id, path, std::move(delivery)); },
        Qt::QueuedConnection);
}

void TO_preview::Deliver(std::uint64_t id, const std::string& path, TDelivery delivery)
{
    // A late answer for an earlier selection is not shown.
    if (id != request_)
        return;
    const bool sameFile = shownRequest_ == id;
    const bool hitWasShown = sameFile && !shown_.Hits.empty();
    shownRequest_ = id;
    complete_ = delivery.Final;
    shownPath_ = path;
    shown_ = std::move(delivery.Content);
    picture_ = std::move(delivery.Picture);
    switch (shown_.Kind) {
    case TPreviewKind::Text:
        ShowText(delivery, sameFile, hitWasShown);
        ShowHeadline(path, FirstPartNote(shown_));
        break;
    case TPreviewKind::Picture:
        InstallDocument(new QTextDocument);
        ShowPicture();
        Pages_preview->setCurrentWidget(Image_preview);
        ShowHeadline(path, QString("%1 x %2 picture").arg(picture_.width()).arg(picture_.height()));
        break;
    case TPreviewKind::Described:
    case TPreviewKind::Failed:
        InstallDocument(new QTextDocument);
        Label_note->setText(shown_.Text);
        Pages_preview->setCurrentWidget(Label_note);
        ShowHeadline(path, {});
        break;
    }
    UpdateHitControls();
    emit HitsChanged();
}

void TO_preview::ShowText(TDelivery& delivery, bool sameFile, bool hitWasShown)
{
    // The whole text follows its first screen: the reader keeps the place and the hit, unless the
    // first screen had no hit to show and the reader has not scrolled: then the first hit, which
    // came with the rest, is brought into view.
    const int scrolled = sameFile ? Memo_preview->verticalScrollBar()->value() : 0;
    const bool keepPlace = sameFile && (hitWasShown || scrolled != 0);
    if (!sameFile)
        currentHit_ = 0;
    currentHit_ = std::min(currentHit_, shown_.Hits.empty() ? 0 : shown_.Hits.size() - 1);
    if (delivery.Text && delivery.Text->Document) {
        InstallDocument(std::exchange(delivery.Text->Document, nullptr));
    } else {
        InstallDocument(new QTextDocument);
        Memo_preview->setPlainText(shown_.Text);
    }
    Pages_preview->setCurrentWidget(Memo_preview);
    if (shown_.Text.isEmpty()) {
        Label_note->setText("The file is empty.");
        Pages_preview->setCurrentWidget(Label_note);
    }
    ShowCurrentHit(!keepPlace);
    if (keepPlace)
        Memo_preview->verticalScrollBar()->setValue(scrolled);
}

void TO_preview::InstallDocument(QTextDocument* document)
{
    document->setParent(this);
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    // The view deletes a document of its own when it gets another; one of ours goes here.
    QTextDocument* previous = Memo_preview->document()->parent() == this ? Memo_preview->document() : nullptr;
    Memo_preview->setExtraSelections({});  // the marks point into the document that goes
    Memo_preview->setDocument(document);
    // Emptying or freeing a long text takes a moment too; not before the new one is on screen.
    if (previous)
        previous->deleteLater();
}

void TO_preview::ShowHeadline(const std::string& path, const QString& note)
{
    const std::size_t slash = path.rfind('/');
    const QString name = QString::fromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
    Label_preview->setText(note.isEmpty() ? name : name.isEmpty() ? note : name + " - " + note);
    Label_preview->setToolTip(QString::fromUtf8(path));
}

void TO_preview::NextHit()
{
    if (shown_.Hits.empty())
        return;
    currentHit_ = (currentHit_ + 1) % shown_.Hits.size();
    ShowCurrentHit(true);
    UpdateHitControls();
    emit HitsChanged();
}

void TO_preview::PreviousHit()
{
    if (shown_.Hits.empty())
        return;
    currentHit_ = (currentHit_ + shown_.Hits.size() - 1) % shown_.Hits.size();
    ShowCurrentHit(true);
    UpdateHitControls();
    emit HitsChanged();
}

void TO_preview::ShowCurrentHit(bool scroll)
{
    // The hits around the current one are marked: a keyword of one letter may occur a hundred
    // thousand times, and every mark costs at each repaint.
    const std::size_t first = currentHit_ > kMarkedAround ? currentHit_ - kMarkedAround : 0;
    const std::size_t last = std::min(shown_.Hits.size(), currentHit_ + kMarkedAround + 1);
    QList<QTextEdit::ExtraSelection> marks;
    marks.reserve(static_cast<qsizetype>(last - first));
    QTextCursor current;
    for (std::size_t i = first; i < last; ++i) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(Memo_preview->document());
        mark.cursor.setPosition(static_cast<int>(shown_.Hits[i].Begin));
        mark.cursor.setPosition(static_cast<int>(shown_.Hits[i].End), QTextCursor::KeepAnchor);
        mark.format.setBackground(i == currentHit_ ? kCurrentHitColour : kHitColour);
        mark.format.setForeground(Qt::black);
        if (i == currentHit_)
            current = mark.cursor;
        marks.push_back(mark);
    }
    Memo_preview->setExtraSelections(marks);
    if (!scroll)
        return;
    if (current.isNull()) {
        Memo_preview->moveCursor(QTextCursor::Start);
        return;
    }
    current.setPosition(current.selectionStart());
    Memo_preview->setTextCursor(current);
    Memo_preview->centerCursor();
}

void TO_preview::UpdateHitControls()
{
    const bool text = shown_.Kind == TPreviewKind::Text && shownRequest_ == request_ && shown_.KeywordsLookedFor;
    QString count = text ? HitCountText(CurrentHit(), HitCount()) : QString();
    if (text && shown_.FirstPartOnly && HitCount() > 0)
        count += " in the part shown";
    Label_hits->setText(count);
    btn_previoushit->setEnabled(text && HitCount() > 0);
    btn_nexthit->setEnabled(text && HitCount() > 0);
}

QSize TO_preview::PictureBox() const
{
    const QSize area = Pages_preview->size();
    // A pane not laid out yet decodes at a size that fits a common screen.
    return area.width() > 16 && area.height() > 16 ? area : QSize(1600, 1000);
}

void TO_preview::ShowPicture()
{
    if (picture_.isNull())
        return;
    const QSize box = Image_preview->size().boundedTo(picture_.size());
    Image_preview->setPixmap(QPixmap::fromImage(box == picture_.size() || box.isEmpty()
                                                    ? picture_
                                                    : picture_.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TO_preview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (shown_.Kind == TPreviewKind::Picture)
        ShowPicture();
}

void TO_preview::WaitShown()
{
    worker_->WaitIdle();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
